// The two-pass shuffle: what it keeps, what it shows, the 9999 limit and the shutdown.
#include "appstate.h"
#include "cardmanager.h"
#include "deck.h"
#include "frmmain.h"
#include "frmprogress.h"
#include "modmain.h"
#include "modrender.h"
#include "r_data.h"
#include "shuffler.h"
#include "testsupport.h"

#include <QProgressBar>
#include <QtTest>
#include <algorithm>

class TestShuffler : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void keepsEveryCardWithItsState();
    void oneCardUnchanged();
    void limit_data();
    void limit();
    void cornerTextsOfEachPass();
    void progressBarFollowsTheCount();
    void pumpsEvery4ms_data();
    void pumpsEvery4ms();
    void shutdownDuringPassOneKeepsOrder();
    void everyCardReachesEverySlot();
    void emptyQuestionIsKept();

private:
    void makeDeck(int n);
    frmMain* m_w = nullptr;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QTemporaryDir m_home;
    QList<int> m_quits;
};

void TestShuffler::init() {
    AppState::reset();
    app().homeFolder = m_home.path();
    app().hooks.quitProcess = [this](int code) { m_quits.append(code); };
    app().hooks.releaseRenderer = [] { releaseMainRenderPair(); };
    m_quits.clear();
    m_prompter = std::make_unique<ScriptedPrompter>();
    FlushDeck(true);
    troubledefault = false;
    m_w = loadMainWindow();
    InitCardSurface();
}

void TestShuffler::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    setShuffleRandom({});
    releaseMainRenderPair();
    if (m_w) {
        m_w->setProperty("quarnelUnloaded", true);
        delete m_w;
    }
    if (frmProgress* p = shuffleProgressWindow())
        delete p;
    m_prompter.reset();
}

void TestShuffler::makeDeck(int n) {
    deck = QVector<Card>(n + 1);
    for (int i = 0; i < n; ++i) {
        deck[i].question = QStringLiteral("q%1").arg(i);
        deck[i].answer = QStringLiteral("a%1").arg(i);
        deck[i].tag = QStringLiteral("qre_word");
        deck[i].trouble = i % 3 == 0 ? -1 : 0;
        deck[i].timesviewed = qint16(i % 11);
        deck[i].chaptertitle = QStringLiteral("Lesson %1").arg(i % 4);
    }
}

// Time that passes by itself: every reading is `step` ms after the one before.
class SteppingClock : public MockClock {
public:
    explicit SteppingClock(qint64 step) : m_step(step) {}
    qint64 steadyMs() override { return steady += m_step; }

private:
    qint64 m_step;
};

static QString key(const Card& c) {
    return QStringList{c.question, c.answer, c.tag, QString::number(c.trouble), QString::number(c.timesviewed),
                       c.chaptertitle}
        .join('|');
}

void TestShuffler::keepsEveryCardWithItsState() {
    makeDeck(200);
    deck[200].trouble = -1; // the spare's flag after a reset with trouble-by-default on
    QStringList before;
    for (int i = 0; i < 200; ++i)
        before << key(deck[i]);
    ShuffleCommand();
    --deck[0].timesviewed; // the first card's view was counted when the shuffle showed it
    QStringList after;
    for (int i = 0; i < 200; ++i)
        after << key(deck[i]);
    QVERIFY(before != after); // the order changed
    before.sort();
    after.sort();
    QCOMPARE(after, before);
    const Card& spare = deck[200];
    QVERIFY(spare.question.isEmpty() && spare.answer.isEmpty() && spare.tag.isEmpty() &&
            spare.chaptertitle.isEmpty());
    QCOMPARE(spare.trouble, qint16(0));
    QCOMPARE(spare.timesviewed, qint16(0));
    for (const Card& c : deck)
        QVERIFY(c.reserved.isEmpty());
    QCOMPARE(int(curcard), 0);
    QCOMPARE(mainRenderData()->maintext(), deck[0].question);
    QVERIFY(!app().busy);
}

void TestShuffler::oneCardUnchanged() {
    makeDeck(1);
    int draws = 0;
    setShuffleRandom([&] {
        ++draws;
        return 0.73;
    });
    ShuffleCommand();
    QCOMPARE(draws, 1);
    QCOMPARE(deck.size(), 2);
    QCOMPARE(deck[0].question, QString("q0"));
    QCOMPARE(mainRenderData()->toplefttext(), QString("showing card 1 of 1; 1 trouble card"));
}

void TestShuffler::limit_data() {
    QTest::addColumn<int>("cards");
    QTest::addColumn<bool>("refused");
    QTest::newRow("9999 shuffled") << 9999 << false;
    QTest::newRow("10000 refused") << 10000 << true;
}

void TestShuffler::limit() {
    QFETCH(int, cards);
    QFETCH(bool, refused);
    makeDeck(cards);
    const QString first = deck[0].question, last = deck[cards - 1].question;
    if (refused)
        m_prompter->expect(MsgResult::Ok, "Shuffler");
    ShuffleCommand();
    if (refused) {
        QCOMPARE(m_prompter->boxes.size(), 1);
        QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(m_prompter->boxes[0].text,
                 QString("The shuffler cannot work with a dataset greater than 9999. Reduce the number of cards to "
                         "below this number to reenable shuffling."));
        QCOMPARE(deck[0].question, first);
        QCOMPARE(deck[cards - 1].question, last);
    } else {
        QVERIFY(m_prompter->boxes.isEmpty());
        QVERIFY(deck[0].question != first || deck[cards - 1].question != last);
        QSet<QString> seen;
        for (int i = 0; i < cards; ++i)
            seen.insert(deck[i].question);
        QCOMPARE(int(seen.size()), cards);
    }
}

void TestShuffler::cornerTextsOfEachPass() {
    makeDeck(30);
    QSet<QString> seen;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, [&] {
        if (auto d = mainRenderData())
            seen.insert(d->toplefttext() + "|" + d->toprighttext());
    });
    sampler.start(0);
    ShuffleCommand();
    sampler.stop();
    QVERIFY(seen.contains("Randomizing .. |Pass 1 of 2"));
    QVERIFY(seen.contains("Randomizing ...|Pass 2 of 2"));
    QCOMPARE(mainRenderData()->toplefttext(), QString("showing card 1 of 30; 10 trouble cards"));
}

void TestShuffler::progressBarFollowsTheCount() {
    SteppingClock clock(4); // events are pumped after every draw
    makeDeck(120);
    QList<int> values;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, [&] {
        if (frmProgress* p = shuffleProgressWindow()) {
            QCOMPARE(p->windowTitle(), QString("Randomizer Progress"));
            QCOMPARE(p->PB()->maximum(), 240);
            if (values.isEmpty() || values.last() != p->PB()->value())
                values.append(p->PB()->value());
        }
    });
    sampler.start(0);
    ShuffleCommand();
    sampler.stop();
    // Set only when 50 behind the count: 0, 50, 100 in pass 1; pass 2 goes on from 100.
    QCOMPARE(values, (QList<int>{0, 50, 100, 150, 200}));
    QVERIFY(!shuffleProgressWindow());
}

void TestShuffler::pumpsEvery4ms_data() {
    QTest::addColumn<int>("msPerDraw");
    QTest::addColumn<QList<int>>("drawsAtPumps");
    QTest::newRow("no time passes: at the ends only") << 0 << QList<int>{20};
    QTest::newRow("1 ms a draw") << 1 << QList<int>{4, 8, 12, 16, 20};
    QTest::newRow("3 ms a draw") << 3 << QList<int>{2, 4, 6, 8, 10, 12, 14, 16, 18, 20};
    QTest::newRow("4 ms a draw") << 4 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
    QTest::newRow("5 ms a draw") << 5 << QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20};
}

void TestShuffler::pumpsEvery4ms() {
    // Each draw takes its own slot, so pass 1 draws 20 times; pass 2 draws nothing and takes
    // no time, so it pumps once, at its end.
    QFETCH(int, msPerDraw);
    QFETCH(QList<int>, drawsAtPumps);
    MockClock clock;
    makeDeck(20);
    int draws = 0;
    setShuffleRandom([&] {
        clock.advanceMs(msPerDraw);
        return (draws++ + 0.25) / 10000.0;
    });
    QList<int> seen;
    QList<QString> passes;
    QTimer sampler;
    connect(&sampler, &QTimer::timeout, [&] {
        if (seen.isEmpty() || seen.last() != draws)
            seen.append(draws);
        const QString pass = mainRenderData()->toprighttext();
        if (passes.isEmpty() || passes.last() != pass)
            passes.append(pass);
    });
    sampler.start(0);
    ShuffleCommand();
    sampler.stop();
    QCOMPARE(seen, drawsAtPumps);
    QCOMPARE(passes, (QList<QString>{"Pass 1 of 2", "Pass 2 of 2"}));
    QCOMPARE(draws, 20);
    for (int i = 0; i < 20; ++i) // slot j gets the card drawn j-th
        QCOMPARE(deck[i].question, QStringLiteral("q%1").arg(i));
}

void TestShuffler::shutdownDuringPassOneKeepsOrder() {
    makeDeck(50);
    QStringList before;
    for (const Card& c : deck)
        before << key(c);
    LogRecorder log;
    int draws = 0;
    bool asked = false;
    setShuffleRandom([&] {
        if (++draws == 5 && !asked) {
            asked = true;
            // A shutdown from outside the window while the shuffle pumps events: it must
            // not wait on the shuffle's stack.
            ShutdownSystem(0, false);
        }
        return (draws % 97) / 97.0;
    });
    ShuffleCommand();
    QStringList after;
    for (const Card& c : deck)
        after << key(c);
    QCOMPARE(after, before);
    const int drop = log.indexOf("system shutdown signal received: dropping out of shuffle/n");
    const int suspend = log.indexOf("suspending system destroyer until randomizer exits ../n");
    QVERIFY(suspend >= 0);
    QVERIFY(drop > suspend);
    QVERIFY(draws >= 50); // pass 1 ran to its end
    QVERIFY(!app().busy);
    QTRY_VERIFY(log.contains("randomizer exit detected, resuming system destroyer/n"));
    QVERIFY(log.indexOf("randomizer exit detected, resuming system destroyer/n") > drop);
    QTRY_COMPARE(m_quits, QList<int>{0});
    m_w = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestShuffler::everyCardReachesEverySlot() {
    // With the clock-seeded generator, over many shuffles of a small deck every card lands
    // in every slot about equally often; a wrong modulo or an off-by-one shows up here.
    MockClock clock;
    const int n = 4, rounds = 600;
    int hits[n][n] = {};
    for (int r = 0; r < rounds; ++r) {
        makeDeck(n);
        clock.timeOfDay = 1000 + r;
        ShuffleDeck();
        for (int slot = 0; slot < n; ++slot)
            ++hits[deck[slot].question.mid(1).toInt()][slot];
    }
    for (int c = 0; c < n; ++c)
        for (int s = 0; s < n; ++s)
            QVERIFY2(hits[c][s] > rounds / n / 2 && hits[c][s] < rounds / n * 3 / 2,
                     qPrintable(QStringLiteral("card %1 slot %2: %3").arg(c).arg(s).arg(hits[c][s])));
}

void TestShuffler::emptyQuestionIsKept() {
    makeDeck(5);
    deck[2].question.clear();
    ShuffleCommand();
    int empty = 0;
    for (int i = 0; i < 5; ++i)
        if (deck[i].question.isEmpty() && deck[i].answer == "a2")
            ++empty;
    QCOMPARE(empty, 1);
}

QTEST_MAIN(TestShuffler)
#include "tst_shuffler.moc"
