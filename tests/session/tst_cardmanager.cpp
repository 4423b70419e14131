// The card manager: navigation, trouble-only navigation, the question/answer toggle and the
// exact face texts it writes.
#include "appstate.h"
#include "cardmanager.h"
#include "cardview.h"
#include "deck.h"
#include "modrender.h"
#include "r_data.h"
#include "studydirection.h"
#include "testsupport.h"

#include <QtTest>

class TestCardManager : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void stepCard_data();
    void stepCard();
    void nextWrapsToFirst();
    void previousOnFirstShowsLast();
    void troubleNavigation_data();
    void troubleNavigation();
    void onlyTroubleCardIsCurrent();
    void noTroubleCardsSwitchesFilterOff();
    void toggleShowsAnswerAndBack();
    void toggleWhenAnswerEqualsQuestion();
    void troubleCheckChangesCountOnlyAtNextDisplay();
    void resetTroubleCountsEveryCard();
    void jumpOmitsTroubleCount();
    void firstCardEmptiesBottomLeft();
    void emptyDeck();
    void curcardOutsideDeckIsBroughtBack();
    void directionFaceTexts_data();
    void directionFaceTexts();
    void mixedKeepsSideWhileCardStays();
    void changingDirectionTurnsCurrentCardWithoutCounting();
    void roundCountsPresentationsTurnsAndMarks();

private:
    void makeDeck(int n, const QList<int>& troubleSlots = {});
    std::shared_ptr<r_data> face() { return mainRenderData(); }
    CardView* m_view = nullptr;
    bool m_filter = false;
    bool m_trouble = false;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QTemporaryDir m_home;
};

void TestCardManager::init() {
    AppState::reset();
    app().homeFolder = m_home.path();
    FlushDeck(true);
    curcard = 0;
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_view = new CardView;
    m_view->resize(400, 300);
    m_filter = false;
    m_trouble = false;
    CardManagerHooks& h = cardManagerHooks();
    h.filterChecked = [this] { return m_filter; };
    h.setFilterChecked = [this](bool on) { m_filter = on; };
    h.setTroubleChecked = [this](bool on) { m_trouble = on; };
    h.cardWindow = [this] { return m_view; };
    InitCardSurface();
}

void TestCardManager::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    releaseMainRenderPair();
    delete m_view;
    m_view = nullptr;
    cardManagerHooks() = CardManagerHooks{};
    StudyDirection::setCoin({});
    m_prompter.reset();
}

void TestCardManager::makeDeck(int n, const QList<int>& troubleSlots) {
    deck = QVector<Card>(n + 1);
    for (int i = 0; i < n; ++i) {
        deck[i].question = QStringLiteral("q%1").arg(i + 1);
        deck[i].answer = QStringLiteral("a%1").arg(i + 1);
        deck[i].chaptertitle = QStringLiteral("Lesson %1").arg(i / 2 + 1);
        deck[i].trouble = troubleSlots.contains(i) ? -1 : 0;
    }
}

void TestCardManager::stepCard_data() {
    QTest::addColumn<int>("cards");
    QTest::addColumn<int>("slot");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("expected");
    QTest::newRow("forward middle") << 5 << 2 << true << 3;
    QTest::newRow("forward wraps") << 5 << 4 << true << 0;
    QTest::newRow("backward middle") << 5 << 2 << false << 1;
    QTest::newRow("backward wraps") << 5 << 0 << false << 4;
    QTest::newRow("one card forward") << 1 << 0 << true << 0;
    QTest::newRow("one card backward") << 1 << 0 << false << 0;
    QTest::newRow("empty deck") << 0 << 0 << true << 0;
    QTest::newRow("empty deck backward") << 0 << 0 << false << 0;
}

void TestCardManager::stepCard() {
    QFETCH(int, cards);
    QFETCH(int, slot);
    QFETCH(bool, forward);
    QFETCH(int, expected);
    makeDeck(cards);
    QCOMPARE(int(StepCard(forward, qint16(slot))), expected);
}

void TestCardManager::nextWrapsToFirst() {
    makeDeck(3, {1});
    curcard = 2;
    ShowNextCard();
    QCOMPARE(int(curcard), 0);
    QCOMPARE(face()->maintext(), QString("q1"));
    QCOMPARE(face()->toplefttext(), QString("showing card 1 of 3; 1 trouble card"));
    QCOMPARE(face()->toprighttext(), QString("Times viewed: 1"));
    QCOMPARE(face()->bottomrighttext(), QString("from 'Lesson 1'"));
    QVERIFY(!m_trouble);
}

void TestCardManager::previousOnFirstShowsLast() {
    makeDeck(3);
    curcard = 0;
    ShowPreviousCard();
    QCOMPARE(int(curcard), 2);
    QCOMPARE(face()->maintext(), QString("q3"));
    QCOMPARE(face()->toplefttext(), QString("showing card 3 of 3; 0 trouble cards"));
    // The spare slot is never shown.
    for (int i = 0; i < 6; ++i) {
        ShowNextCard();
        QVERIFY(curcard < 3);
        QVERIFY(!face()->maintext().isEmpty());
    }
}

void TestCardManager::troubleNavigation_data() {
    QTest::addColumn<QList<int>>("trouble");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("expected");
    // Cards 1 and 4 of 5 are trouble cards, card 4 is current.
    QTest::newRow("next wraps to card 1") << QList<int>{0, 3} << 3 << true << 0;
    QTest::newRow("previous goes back to card 1") << QList<int>{0, 3} << 3 << false << 0;
    QTest::newRow("next skips to card 4") << QList<int>{0, 3} << 0 << true << 3;
    QTest::newRow("previous wraps to card 4") << QList<int>{0, 3} << 0 << false << 3;
    QTest::newRow("nearest first") << QList<int>{1, 2, 3} << 0 << true << 1;
    QTest::newRow("nearest first backward") << QList<int>{1, 2, 3} << 4 << false << 3;
}

void TestCardManager::troubleNavigation() {
    QFETCH(QList<int>, trouble);
    QFETCH(int, start);
    QFETCH(bool, forward);
    QFETCH(int, expected);
    makeDeck(5, trouble);
    curcard = qint16(start);
    m_filter = true;
    forward ? ShowNextCard() : ShowPreviousCard();
    QCOMPARE(int(curcard), expected);
    QCOMPARE(face()->maintext(), QStringLiteral("q%1").arg(expected + 1));
    QVERIFY(m_trouble);
    QVERIFY(m_filter);
}

void TestCardManager::onlyTroubleCardIsCurrent() {
    makeDeck(4, {2});
    curcard = 2;
    m_filter = true;
    ShowNextCard();
    QCOMPARE(int(curcard), 2);
    QCOMPARE(deck[2].timesviewed, qint16(1));
    ShowPreviousCard();
    QCOMPARE(int(curcard), 2);
    QCOMPARE(deck[2].timesviewed, qint16(2));
    QCOMPARE(face()->toprighttext(), QString("Times viewed: 2"));
}

void TestCardManager::noTroubleCardsSwitchesFilterOff() {
    makeDeck(4);
    curcard = 2;
    m_filter = true;
    m_prompter->expect(MsgResult::Ok, "Card Manager");
    ShowNextCard();
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].text,
             QString("No trouble cards have been located. The first card will now be displayed"));
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Information);
    QVERIFY(!m_filter);
    QCOMPARE(int(curcard), 0);
    QCOMPARE(deck[0].timesviewed, qint16(1));
    QCOMPARE(face()->maintext(), QString("q1"));
}

void TestCardManager::toggleShowsAnswerAndBack() {
    makeDeck(3, {0, 2});
    ShowFirstCard();
    ToggleQuestionAnswer();
    QCOMPARE(face()->maintext(), QString("a1"));
    QCOMPARE(face()->toplefttext(), QString("Showing answer to 'q1'"));
    QCOMPARE(face()->toprighttext(), QString());
    QCOMPARE(face()->bottomrighttext(), QString("from 'Lesson 1'"));
    ToggleQuestionAnswer();
    QCOMPARE(face()->maintext(), QString("q1"));
    QCOMPARE(face()->toplefttext(), QString("showing card 1 of 3; 2 trouble cards"));
    QCOMPARE(face()->toprighttext(), QString("Times viewed: 1"));
    QCOMPARE(deck[0].timesviewed, qint16(1));
}

void TestCardManager::toggleWhenAnswerEqualsQuestion() {
    makeDeck(2);
    deck[0].answer = deck[0].question;
    ShowFirstCard();
    for (int i = 0; i < 3; ++i) {
        ToggleQuestionAnswer();
        QCOMPARE(face()->maintext(), QString("q1"));
        QCOMPARE(face()->toplefttext(), QString("Showing answer to 'q1'"));
        QCOMPARE(face()->toprighttext(), QString());
    }
    QCOMPARE(deck[0].timesviewed, qint16(1));
}

void TestCardManager::troubleCheckChangesCountOnlyAtNextDisplay() {
    makeDeck(3);
    ShowFirstCard();
    SetCurrentTrouble(true);
    QCOMPARE(deck[0].trouble, qint16(-1));
    QCOMPARE(face()->toplefttext(), QString("showing card 1 of 3; 0 trouble cards"));
    ShowNextCard();
    QCOMPARE(face()->toplefttext(), QString("showing card 2 of 3; 1 trouble card"));
    SetCurrentTrouble(false);
    QCOMPARE(deck[1].trouble, qint16(0));
}

void TestCardManager::resetTroubleCountsEveryCard() {
    makeDeck(6);
    troubledefault = true;
    ResetAllTrouble();
    QCOMPARE(deck[6].trouble, qint16(-1)); // the spare too, yet it is never counted
    QCOMPARE(int(CountTroubleCards()), 6);
    ShowCurrentCard();
    ShowNextCard();
    QCOMPARE(face()->toplefttext(), QString("showing card 2 of 6; 6 trouble cards"));
}

void TestCardManager::jumpOmitsTroubleCount() {
    makeDeck(8, {1});
    curcard = 4;
    ShowCurrentCard();
    QCOMPARE(face()->toplefttext(), QString("showing card 5 of 8"));
    QCOMPARE(face()->maintext(), QString("q5"));
    QCOMPARE(deck[4].timesviewed, qint16(1));
    ShowCurrentCard();
    QCOMPARE(deck[4].timesviewed, qint16(2));
}

void TestCardManager::firstCardEmptiesBottomLeft() {
    makeDeck(3);
    face()->setBottomlefttext("Next Card");
    ShowNextCard();
    QCOMPARE(face()->bottomlefttext(), QString("Next Card"));
    ShowFirstCard();
    QCOMPARE(face()->bottomlefttext(), QString());
}

void TestCardManager::emptyDeck() {
    makeDeck(0);
    troubledefault = true;
    ResetAllTrouble(); // the spare slot's flag must not make it a trouble card
    ShowFirstCard();
    QCOMPARE(face()->toplefttext(), QString("showing card 1 of 0; 0 trouble cards"));
    m_filter = true;
    m_prompter->expect(MsgResult::Ok, "Card Manager");
    ShowNextCard();
    QCOMPARE(m_prompter->boxes.size(), 1);
    QVERIFY(!m_filter);
}

void TestCardManager::curcardOutsideDeckIsBroughtBack() {
    makeDeck(2);
    curcard = 40; // left over from a larger deck
    ShowCurrentCard();
    QCOMPARE(int(curcard), 0);
    QCOMPARE(face()->maintext(), QString("q1"));
}

void TestCardManager::directionFaceTexts_data() {
    QTest::addColumn<int>("direction");
    QTest::addColumn<QStringList>("shown"); // main, top-left, top-right after: first, toggle, toggle, next
    const QString status1 = "showing card 1 of 3; 1 trouble card", status2 = "showing card 2 of 3; 1 trouble card";
    QTest::newRow("question first, as always")
        << 0
        << QStringList{
               "q1", status1, "Times viewed: 1", "a1", "Showing answer to 'q1'", "", "q1", status1, "Times viewed: 1",
               "q2", status2, "Times viewed: 1"};
    QTest::newRow("answer first")
        << 1
        << QStringList{
               "a1", status1, "Times viewed: 1", "q1", "Showing question to 'a1'", "", "a1", status1, "Times viewed: 1",
               "a2", status2, "Times viewed: 1"};
}

void TestCardManager::directionFaceTexts() {
    QFETCH(int, direction);
    QFETCH(QStringList, shown);
    makeDeck(3, {2});
    app().cardDirection = direction;
    QStringList seen;
    auto note = [&] { seen << face()->maintext() << face()->toplefttext() << face()->toprighttext(); };
    ShowFirstCard();
    note();
    ToggleQuestionAnswer();
    note();
    ToggleQuestionAnswer();
    note();
    ShowNextCard();
    note();
    QCOMPARE(seen, shown);
    QCOMPARE(deck[0].timesviewed, qint16(1));
}

void TestCardManager::mixedKeepsSideWhileCardStays() {
    makeDeck(3);
    app().cardDirection = 2;
    QList<bool> coin{true, false, true};
    StudyDirection::setCoin([&] { return coin.isEmpty() ? false : coin.takeFirst(); });
    ShowFirstCard();
    QCOMPARE(face()->maintext(), QString("a1"));
    QVERIFY(CurrentAnswerFirst());
    ToggleQuestionAnswer();
    QCOMPARE(face()->toplefttext(), QString("Showing question to 'a1'"));
    ToggleQuestionAnswer();
    QCOMPARE(face()->maintext(), QString("a1"));
    ShowCurrentCard(); // a jump to the card on screen keeps its side
    QCOMPARE(face()->maintext(), QString("a1"));
    ShowNextCard();
    QCOMPARE(face()->maintext(), QString("q2"));
    QVERIFY(!CurrentAnswerFirst());
    ToggleQuestionAnswer();
    QCOMPARE(face()->toplefttext(), QString("Showing answer to 'q2'"));
    ShowNextCard();
    QCOMPARE(face()->maintext(), QString("a3"));
    QCOMPARE(coin.size(), 0);
    // The counts and the trouble marks are the card's, whatever its side.
    SetCurrentTrouble(true);
    QVERIFY(m_trouble);
    QCOMPARE(deck[2].trouble, qint16(-1));
    QCOMPARE(deck[0].timesviewed + deck[1].timesviewed + deck[2].timesviewed, 4); // the jump counted a view
}

void TestCardManager::changingDirectionTurnsCurrentCardWithoutCounting() {
    makeDeck(2);
    ShowFirstCard();
    ToggleQuestionAnswer();
    app().cardDirection = 1;
    ApplyCardDirection();
    QCOMPARE(face()->maintext(), QString("a1"));
    QCOMPARE(face()->toplefttext(), QString("showing card 1 of 2; 0 trouble cards"));
    QCOMPARE(face()->toprighttext(), QString("Times viewed: 1"));
    QVERIFY(ShowingFrontSide());
    ToggleQuestionAnswer();
    QCOMPARE(face()->maintext(), QString("q1"));
    QVERIFY(!ShowingFrontSide());
}

void TestCardManager::roundCountsPresentationsTurnsAndMarks() {
    makeDeck(3, {1});
    MockClock clock;
    ShowFirstCard();
    ToggleQuestionAnswer();
    SetCurrentTrouble(true);
    ShowNextCard();
    auto all = [](int) { return true; };
    QVERIFY(!roundCounter().complete(3, all));
    ShowNextCard();
    QVERIFY(roundCounter().complete(3, all));
    RoundFigures f = roundCounter().figures();
    QCOMPARE(f.seen, 3);
    QCOMPARE(f.turned, 1);
    QCOMPARE(f.markedTrouble, 1); // card 2 was a trouble card before the round
    ShowFirstCard();              // a new deck order begins a new round
    QCOMPARE(roundCounter().figures().seen, 1);
}

QTEST_MAIN(TestCardManager)
#include "tst_cardmanager.moc"
