#include "shuffler.h"

#include "appstate.h"
#include "cardmanager.h"
#include "clock.h"
#include "deck.h"
#include "frmmain.h"
#include "frmprogress.h"
#include "messagelog.h"
#include "modrender.h"
#include "prompter.h"
#include "r_data.h"
#include "r_renderer.h"

#include <QCoreApplication>
#include <QPointer>
#include <QProgressBar>
#include <cmath>
#include <random>

namespace {
std::function<double()>& customRandom() {
    static std::function<double()> f;
    return f;
}
QPointer<frmProgress>& progress() {
    static QPointer<frmProgress> p;
    return p;
}

struct Slot {
    bool taken = false;
    Card card;
};

// The fields a card carries through the shuffle; `reserved` stays with the slot.
void carry(Card& to, const Card& from) {
    to.question = from.question;
    to.answer = from.answer;
    to.tag = from.tag;
    to.trouble = from.trouble;
    to.timesviewed = from.timesviewed;
    to.chaptertitle = from.chaptertitle;
}

void showPass(const QString& topLeft, const QString& topRight) {
    if (auto d = mainRenderData()) {
        d->setToplefttext(topLeft);
        d->setToprighttext(topRight);
    }
    if (r_renderer* r = mainRenderer()) {
        r->drawtobuffer(false);
        r->Refresh();
    }
}

// Lets the windows answer while the shuffle runs: the progress window and the card face
// repaint, a click elsewhere is taken. A pump after every draw would cost far more than the
// draws themselves, so it pumps only when 4 ms have passed since the last one (well within
// a frame), and always at the end of a pass.
class EventPump {
public:
    static constexpr qint64 kIntervalMs = 4;
    EventPump() : m_last(appClock().steadyMs()) {}
    void whenDue() {
        if (appClock().steadyMs() - m_last >= kIntervalMs)
            now();
    }
    void now() {
        QCoreApplication::processEvents();
        m_last = appClock().steadyMs();
    }

private:
    qint64 m_last;
};

void advance(QProgressBar* pb, int& count) {
    if (pb->value() + 50 <= count)
        pb->setValue(count);
    ++count;
}
} // namespace

void setShuffleRandom(std::function<double()> next) { customRandom() = std::move(next); }
frmProgress* shuffleProgressWindow() { return progress(); }

void ShuffleCommand() {
    const int n = deckUpper();
    if (n > 9999) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Shuffler"),
                       QStringLiteral("The shuffler cannot work with a dataset greater than 9999. Reduce the number of "
                                      "cards to below this number to reenable shuffling."));
        return;
    }
    app().busy = true;
    if (frmMain* w = mainWindow())
        w->doEnableds(false);
    if (r_renderer* r = mainRenderer())
        r->HaltTimer();
    ShuffleDeck();
    if (r_renderer* r = mainRenderer())
        r->StartTimer();
    if (frmMain* w = mainWindow())
        w->doEnableds(true);
    app().busy = false;
}

void ShuffleDeck() {
    std::mt19937 engine(unsigned(std::floor(appClock().secondsSinceMidnight())));
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    auto next = [&] { return customRandom() ? customRandom()() : uniform(engine); };

    const int lb = 0;
    const int ub = deckUpper();
    const int n = ub - lb;
    QVector<Slot> scratch(ub - lb + 1);

    if (progress())
        progress()->deleteLater();
    progress() = new frmProgress(mainWindow());
    frmProgress* pw = progress();
    pw->setWindowTitle(QStringLiteral("Randomizer Progress"));
    QProgressBar* pb = pw->PB();
    pb->setRange(0, 2 * n);
    pb->setValue(0);
    pw->show();

    showPass(QStringLiteral("Randomizing .. "), QStringLiteral("Pass 1 of 2"));
    auto dropOut = [] {
        LogMessage(QStringLiteral("system shutdown signal received: dropping out of shuffle/n"));
    };
    if (app().shutdownSignal)
        return dropOut();

    EventPump pump;
    int count = 0;
    for (int i = lb; i <= ub - 1;) {
        const double r = std::nearbyint(next() * 10000.0); // halves to even
        const int j = int(r) % n;
        if (!scratch[j].taken) {
            carry(scratch[j].card, deck[i]);
            scratch[j].taken = true;
            advance(pb, count);
            ++i;
        }
        pump.whenDue();
    }
    pump.now();
    count = pb->value();
    if (app().shutdownSignal)
        return dropOut();

    showPass(QStringLiteral("Randomizing ..."), QStringLiteral("Pass 2 of 2"));
    for (int i = lb; i <= ub; ++i) {
        carry(deck[i], scratch[i].card);
        advance(pb, count);
        pump.whenDue();
    }
    pump.now();
    pw->close();
    pw->deleteLater();
    progress() = nullptr;
    ShowFirstRotationCard();
}
