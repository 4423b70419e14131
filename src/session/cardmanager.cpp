#include "cardmanager.h"

#include "appstate.h"
#include "deck.h"
#include "duereview.h"
#include "modrender.h"
#include "prompter.h"
#include "r_data.h"
#include "r_renderer.h"
#include "studydirection.h"

CardManagerHooks& cardManagerHooks() {
    static CardManagerHooks h;
    return h;
}

RoundCounter& roundCounter() {
    static RoundCounter r;
    return r;
}

namespace {
// The last slot is the spare; cards are 0 .. last - 1.
int lastSlot() { return deckUpper(); }

// Callers keep `curcard` in the card range; a deck replaced under it is brought back in.
Card& current() {
    if (curcard < 0 || curcard > lastSlot())
        curcard = 0;
    return deck[curcard];
}

void repaint() {
    if (r_renderer* r = mainRenderer()) {
        r->drawtobuffer(false);
        r->drawtobuffer(true);
    }
}

bool filterOn() { return cardManagerHooks().filterChecked && cardManagerHooks().filterChecked(); }

void showTroubleBox(bool on) {
    if (cardManagerHooks().setTroubleChecked)
        cardManagerHooks().setTroubleChecked(on);
}

// The side the card on screen showed first, drawn when it was presented; -1: none yet.
struct ShownSide {
    int slot = -1;
    bool answerFirst = false;
};
ShownSide& shownSide() {
    static ShownSide s;
    return s;
}

StudyDirection direction() {
    return StudyDirection(StudyDirection::fromStored(app().cardDirection));
}

bool answerFirst() {
    return shownSide().slot == curcard && shownSide().answerFirst;
}
const QString& frontText(const Card& c) {
    return answerFirst() ? c.answer : c.question;
}
const QString& backText(const Card& c) {
    return answerFirst() ? c.question : c.answer;
}

enum class Presentation { Navigation, First, Jump };

void present(Presentation kind) {
    ShowTimesViewed(true);
    Card& c = current();
    // A jump to the card on screen keeps its side; any other presentation draws one.
    if (kind != Presentation::Jump || shownSide().slot != curcard)
        shownSide() = ShownSide{curcard, direction().drawAnswerFirst()};
    if (kind == Presentation::First)
        roundCounter().begin();
    roundCounter().presented(curcard);
    if (auto d = mainRenderData()) {
        d->setMaintext(frontText(c));
        d->setToplefttext(StatusText(kind != Presentation::Jump));
        d->setBottomrighttext(ChapterText());
        if (kind == Presentation::First)
            d->setBottomlefttext(QString());
    }
    if (cardManagerHooks().presenting)
        cardManagerHooks().presenting();
    repaint();
    showTroubleBox(c.trouble != 0);
    if (cardManagerHooks().cardPresented)
        cardManagerHooks().cardPresented();
}
} // namespace

qint16 StepCard(bool forward, qint16 slot) {
    const int last = lastSlot();
    if (last <= 0)
        return 0;
    if (forward)
        return slot < last - 1 ? qint16(slot + 1) : 0;
    return slot > 0 ? qint16(slot - 1) : qint16(last - 1);
}

qint16 FindTroubleCard(bool forward) {
    current();
    const qint16 stop = StepCard(!forward, curcard);
    qint16 i = curcard;
    for (;;) {
        if (i == stop)
            break;
        i = StepCard(forward, i);
        if (deck[i].trouble != 0)
            return i;
    }
    // An empty deck has no current card: its spare slot never counts.
    if (curcard < lastSlot() && deck[curcard].trouble != 0)
        return curcard;
    prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Card Manager"),
                   QStringLiteral("No trouble cards have been located. The first card will now be displayed"));
    if (cardManagerHooks().setFilterChecked)
        cardManagerHooks().setFilterChecked(false);
    return 0;
}

qint16 CountTroubleCards() {
    int k = 0;
    for (int i = 0; i < lastSlot(); ++i)
        if (deck[i].trouble != 0)
            ++k;
    return qint16(k);
}

QString countText(int n, const QString& thing) {
    return QString::number(n) + QLatin1Char(' ') + thing + (n == 1 ? QString() : QStringLiteral("s"));
}

QString StatusText(bool withTroubleCount) {
    if (review::dueReview().active())
        return review::dueReview().leftText();
    QString s = QStringLiteral("showing card %1 of %2").arg(curcard + 1).arg(lastSlot());
    if (withTroubleCount)
        s += QStringLiteral("; ") + countText(CountTroubleCards(), QStringLiteral("trouble card"));
    return s;
}

QString ChapterText() { return QStringLiteral("from '") + current().chaptertitle + QStringLiteral("'"); }

void ShowTimesViewed(bool count) {
    Card& c = current();
    if (count && c.timesviewed < 32767)
        ++c.timesviewed;
    if (auto d = mainRenderData())
        d->setToprighttext(QStringLiteral("Times viewed: ") + QString::number(c.timesviewed));
}

void ShowFirstCard() {
    curcard = 0;
    present(Presentation::First);
}

void ShowFirstRotationCard() {
    curcard = 0;
    if (filterOn() && lastSlot() > 0 && deck[0].trouble == 0) {
        // From the last card the search for a trouble card starts at the first.
        curcard = StepCard(false, 0);
        curcard = FindTroubleCard(true);
    }
    present(Presentation::First);
}

void ShowNextCard() {
    current();
    curcard = filterOn() ? FindTroubleCard(true) : StepCard(true, curcard);
    present(Presentation::Navigation);
}

void ShowPreviousCard() {
    current();
    curcard = filterOn() ? FindTroubleCard(false) : StepCard(false, curcard);
    present(Presentation::Navigation);
}

void ShowCurrentCard() { present(Presentation::Jump); }

void ShowCardAt(qint16 slot) {
    curcard = slot;
    present(Presentation::Navigation);
}

void ToggleQuestionAnswer() {
    Card& c = current();
    auto d = mainRenderData();
    if (!d)
        return;
    if (d->maintext() == frontText(c)) {
        d->setMaintext(backText(c));
        d->setToplefttext(answerFirst() ? QStringLiteral("Showing question to '") + c.answer + QStringLiteral("'")
                                        : QStringLiteral("Showing answer to '") + c.question + QStringLiteral("'"));
        d->setToprighttext(QString());
        roundCounter().turned(curcard);
    } else {
        d->setMaintext(frontText(c));
        d->setToplefttext(StatusText(true));
        ShowTimesViewed(false);
    }
    repaint();
    if (cardManagerHooks().faceTurned)
        cardManagerHooks().faceTurned();
}

bool ShowingFrontSide() {
    auto d = mainRenderData();
    return !d || d->maintext() == frontText(current());
}

bool CurrentAnswerFirst() {
    current();
    return answerFirst();
}

void ApplyCardDirection() {
    Card& c = current();
    shownSide() = ShownSide{curcard, direction().drawAnswerFirst()};
    auto d = mainRenderData();
    if (!d)
        return;
    d->setMaintext(frontText(c));
    d->setToplefttext(StatusText(true));
    ShowTimesViewed(false);
    repaint();
}

void SetCurrentTrouble(bool flag) {
    Card& c = current();
    const bool was = c.trouble != 0;
    c.trouble = flag ? -1 : 0;
    if (was != flag)
        roundCounter().troubleChanged(curcard, flag);
    showTroubleBox(flag);
}

void InitCardSurface() {
    auto data = std::make_shared<r_data>();
    auto renderer = std::make_unique<r_renderer>();
    r_renderer* r = renderer.get();
    setMainRenderPair(data, std::move(renderer));
    CardView* window = cardManagerHooks().cardWindow ? cardManagerHooks().cardWindow() : nullptr;
    r->init(window, data, 50.0f, 0, 60);
    r->drawtobuffer(true);
    r->StartTimer();
}
