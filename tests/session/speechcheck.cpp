// Not a test of the suite: the card window with the real speech engine, for
// scripts/speech-check.sh. Two chapters, one Russian and one German; reading the question
// aloud, it shows each card in turn, waits until the engine begins to speak, and prints how
// long after the card was painted that was. Exit 0 when every card was spoken.
#include "appstate.h"
#include "cardmanager.h"
#include "cardspeech.h"
#include "cardview.h"
#include "deck.h"
#include "enginespeaker.h"
#include "frmmain.h"
#include "modrender.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {
// Notes when the card face is painted after `armed` is set.
class PaintWatch : public QObject {
public:
    QElapsedTimer* clock = nullptr;
    std::optional<qint64> paintedAt;
    bool armed = false;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (armed && e->type() == QEvent::Paint && !paintedAt)
            paintedAt = clock->nsecsElapsed();
        return QObject::eventFilter(o, e);
    }
};
} // namespace

int main(int argc, char** argv) {
    QApplication a(argc, argv);
    QTemporaryDir home;
    app().homeFolder = home.path();
    app().hooks.quitProcess = [](int) {};
    app().readAloud = 1;

    QElapsedTimer clock;
    clock.start();
    std::optional<qint64> speakingAt;
    voice::EngineSpeaker engine;
    engine.setProblemSink([](const QString& p) { std::fprintf(stderr, "%s\n", qPrintable(p)); });
    engine.setSpeakingStarted([&] {
        if (!speakingAt)
            speakingAt = clock.nsecsElapsed();
    });
    cardVoice().speaker = [&engine] { return &engine; };
    cardVoice().ready = [&engine] { return engine.started(); };
    cardVoice().log = [](const QString& line) { std::fprintf(stderr, "%s\n", qPrintable(line)); };

    FlushDeck(true);
    deckChapters = {{QStringLiteral("/cards/russian.qex"), QStringLiteral("Russian")},
                    {QStringLiteral("/cards/german.qex"), QStringLiteral("German")}};
    deck = QVector<Card>(3);
    deck[0] = Card{QStringLiteral("Здравствуйте, собака"), QStringLiteral("hello, dog"), {}, {}, 0, 0,
                   QStringLiteral("Russian"), 0};
    deck[1] = Card{QStringLiteral("Grüß Gott, Mädchen"), QStringLiteral("hello, girl"), {}, {}, 0, 0,
                   QStringLiteral("German"), 1};

    frmMain* w = loadMainWindow();
    InitCardSurface();
    PaintWatch watch;
    watch.clock = &clock;
    w->cardView()->installEventFilter(&watch);

    int failures = 0;
    // The first card makes the engine; the Russian card again and the German one find it made.
    const int order[] = {0, 1, 0, 1};
    for (int i = 0; i < 4; ++i) {
        speakingAt.reset();
        watch.paintedAt.reset();
        watch.armed = true;
        if (i == 0)
            ShowFirstCard();
        else
            ShowCardAt(qint16(order[i]));
        QElapsedTimer wait;
        wait.start();
        while ((!speakingAt || !watch.paintedAt) && wait.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const char* label = i == 0 ? "first card, engine made" : "card";
        if (!speakingAt || !watch.paintedAt) {
            std::printf("%s \"%s\": no speech within 10 s\n", label, qPrintable(deck[order[i]].question));
            ++failures;
            continue;
        }
        const double ms = double(*speakingAt - *watch.paintedAt) / 1e6;
        std::printf("%s \"%s\" (%s): speech began %.1f ms after the card was painted\n", label,
                    qPrintable(deck[order[i]].question), i % 2 ? "de" : "ru", ms);
        // Let the engine finish before the next card, so each start is measured alone.
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 1500)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    std::fflush(stdout);
    releaseMainRenderPair();
    w->setProperty("quarnelUnloaded", true);
    delete w;
    return failures ? 1 : 0;
}
