// The review of due cards as a user runs it: the chapter window's "Review Due (N)", grades
// given by keys, the program closed and started again on later days with the clock moved.
#include "appstate.h"
#include "deck.h"
#include "duereview.h"
#include "frmchapter.h"
#include "frmmain.h"
#include "frmsummary.h"
#include "history.h"
#include "modmain.h"
#include "modrender.h"
#include "programhistory.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "r_data.h"
#include "studyfixture.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

class TestReview : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void dueReviewAcrossThreeDays();
    void gradeKeysInEveryState_data();
    void gradeKeysInEveryState();

private:
    // Starts the program on `day` (days after the first) at 10:00 and returns its chapter window.
    frmChapter* startOn(int day);
    void pressGrades(frmMain* w, const QList<int>& grades);
    QString historyPath() const { return m_docs.path() + "/history.sqlite"; }
    QTemporaryDir m_docs;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QDateTime m_now;
    QList<int> m_quits;
};

void TestReview::init() {
    m_prompter = std::make_unique<ScriptedPrompter>();
    review::setNowSource([this] { return m_now; });
}

void TestReview::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    if (mainWindow())
        mainWindow()->setProperty("quarnelUnloaded", true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    review::dueReview().end();
    review::closeProgramHistory();
    review::setNowSource({});
    m_prompter.reset();
}

frmChapter* TestReview::startOn(int day) {
    if (mainWindow())
        mainWindow()->setProperty("quarnelUnloaded", true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    resetStudyProgram(m_docs.path(), m_quits);
    app().historyPathOverride = historyPath();
    review::closeProgramHistory();
    review::dueReview().end();
    m_now = QDateTime(QDate(2026, 3, 2).addDays(day), QTime(10, 0));
    // The first start's setup wizard is answered as soon as it shows.
    QTimer wizard;
    connect(&wizard, &QTimer::timeout, this, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("frmSetup") && w->isVisible()) {
                w->findChild<QAbstractButton*>("Option2")->click();
                w->findChild<QAbstractButton*>("Command1")->click();
            }
    });
    wizard.start(20);
    Main();
    app().intervalFuzz = false; // the days below are the scheduler's own, not spread
    review::applyOptions();
    frmChapter* chapters = chapterWindow();
    if (chapters)
        chapters->refreshDueCount();
    return chapters;
}

void TestReview::pressGrades(frmMain* w, const QList<int>& grades) {
    for (int g : grades) {
        QVERIFY(!w->gradeButton(1)->isVisible());
        QTest::keyClick(w, Qt::Key_Return);
        QVERIFY(w->gradeButton(g)->isVisible());
        QTest::keyClick(w, Qt::Key(Qt::Key_0 + g));
    }
}

void TestReview::dueReviewAcrossThreeDays() {
    // Day 1: nothing reviewed yet, so the day's 20 new cards, from the first chapter on.
    frmChapter* chapters = startOn(0);
    QVERIFY(chapters);
    QCOMPARE(chapters->reviewButton()->text(), QString("Review &Due (20)"));
    QTest::mouseClick(chapters->reviewButton(), Qt::LeftButton);
    frmMain* w = mainWindow();
    QVERIFY(w);
    QCOMPARE(int(deckUpper()), 20);
    QCOMPARE(mainRenderData()->toplefttext(), QString("0 due, 20 new left"));
    QCOMPARE(mainRenderData()->maintext(), QString("das Haus"));
    QStringList day1;
    for (int i = 0; i < 20; ++i)
        day1 << deck[i].question;
    // The first card is forgotten (Again: a trouble card, back in a minute), then the next
    // nine are easy and the last ten good; the good ones come back in ten minutes.
    pressGrades(w, {1});
    QCOMPARE(deck[0].trouble, qint16(-1));
    QCOMPARE(mainRenderData()->toplefttext(), QString("1 due, 19 new left"));
    pressGrades(w, QList<int>(9, 4) + QList<int>(10, 3));
    QCOMPARE(mainRenderData()->toplefttext(), QString("11 due, 0 new left"));
    // The forgotten card first (it came due first), then the good ones, all good now.
    QCOMPARE(mainRenderData()->maintext(), QString("das Haus"));
    pressGrades(w, QList<int>(11, 3));
    QCOMPARE(mainRenderData()->toplefttext(), QString("1 due, 0 new left"));
    pressGrades(w, {3});
    QVERIFY(w->roundSummaryWindow());
    const QString figures = w->roundSummaryWindow()->figuresLabel()->text();
    QVERIFY2(figures.contains("Again: 1\nHard: 0\nGood: 22\nEasy: 9\nDue tomorrow: 1 card"), qPrintable(figures));
    QVERIFY(!review::dueReview().active());

    // Day 2: the forgotten card has come due (a day after it was learnt again), and twenty
    // more new cards. Nothing is studied.
    chapters = startOn(1);
    QCOMPARE(chapters->reviewButton()->text(), QString("Review &Due (21)"));
    QCOMPARE(chapters->reviewButton()->accessibleDescription(), QString("1 due, 20 new"));

    // Day 3: the ten cards learnt good twice have come due (and the forgotten one), not the
    // easy ones; they come first, most overdue first.
    chapters = startOn(2);
    QCOMPARE(chapters->reviewButton()->accessibleDescription(), QString("11 due, 20 new"));
    QTest::mouseClick(chapters->reviewButton(), Qt::LeftButton);
    w = mainWindow();
    QVERIFY(w);
    QCOMPARE(mainRenderData()->toplefttext(), QString("11 due, 20 new left"));
    QCOMPARE(deck[0].question, QString("das Haus"));
    QStringList due, expected = day1.mid(10);
    expected << day1.first();
    for (int i = 0; i < 11; ++i)
        due << deck[i].question;
    due.sort();
    expected.sort();
    QCOMPARE(due, expected);
    history::History h;
    QVERIFY(h.open(historyPath()).ok());
    QCOMPARE(h.reviewCount(), qint64(32));
    for (int i = 11; i < 31; ++i)
        QVERIFY2(!day1.contains(deck[i].question), "a new card was studied before");
}

// Keys 1 to 4 grade only once the other side shows, in the ordinary run and in the review,
// with and without the typing drill; before that they do what they did (nothing, or text).
void TestReview::gradeKeysInEveryState_data() {
    QTest::addColumn<bool>("review");
    QTest::addColumn<bool>("drill");
    QTest::addColumn<bool>("turned");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("recorded");
    QTest::addColumn<QString>("boxText");

    QTest::newRow("study, question shows") << false << false << false << 3 << 0 << "";
    QTest::newRow("study, answer shows") << false << false << true << 3 << 1 << "";
    QTest::newRow("review, question shows") << true << false << false << 2 << 0 << "";
    QTest::newRow("review, answer shows") << true << false << true << 2 << 1 << "";
    QTest::newRow("drill, typing") << false << true << false << 4 << 0 << "4";
    QTest::newRow("drill, checked") << false << true << true << 4 << 1 << "";
    QTest::newRow("review drill, typing") << true << true << false << 1 << 0 << "1";
    QTest::newRow("review drill, checked") << true << true << true << 1 << 1 << "";
    QTest::newRow("review drill, Return proposes") << true << true << true << 0 << 1 << "";
    QTest::newRow("study drill, Return grades nothing") << false << true << true << 0 << 0 << "";
}

void TestReview::gradeKeysInEveryState() {
    QFETCH(bool, review);
    QFETCH(bool, drill);
    QFETCH(bool, turned);
    QFETCH(int, key);
    QFETCH(int, recorded);
    QFETCH(QString, boxText);
    QFile::remove(historyPath());
    frmChapter* chapters = startOn(0);
    QVERIFY(chapters);
    if (review) {
        QTest::mouseClick(chapters->reviewButton(), Qt::LeftButton);
    } else {
        chapters->LV1()->topLevelItem(0)->setSelected(true);
        QTest::mouseClick(chapters->Command1(), Qt::LeftButton);
    }
    frmMain* w = mainWindow();
    QVERIFY(w);
    QCOMPARE(review::dueReview().active(), review);
    w->setTypingDrill(drill);
    const QString first = deck[curcard].question;
    if (turned) {
        if (drill)
            QTest::keyClicks(w->answerBox(), "the house");
        QTest::keyClick(drill ? static_cast<QWidget*>(w->answerBox()) : w, Qt::Key_Return);
    }
    QWidget* target = drill ? static_cast<QWidget*>(w->answerBox()) : w;
    if (key)
        QTest::keyClick(target, Qt::Key(Qt::Key_0 + key));
    else
        QTest::keyClick(target, Qt::Key_Return);
    if (!turned)
        QCOMPARE(w->answerBox()->text(), boxText);
    history::History h;
    QVERIFY(h.open(historyPath()).ok());
    const std::vector<fsrs::Review> log = h.reviews(QStringLiteral(QUARNEL_BIN_DIR) + "/ex1.qex", first);
    QCOMPARE(int(log.size()), recorded);
    if (recorded) {
        // Return in the review's drill gives the grade the right answer proposes: Good.
        QCOMPARE(int(log.front().grade), key ? key : 3);
        QVERIFY(deck[curcard].question != first);
    } else {
        // Return after a check moves on without a grade; a digit before the turn stays put.
        QCOMPARE(deck[curcard].question != first, key == 0);
    }
}

QTEST_MAIN(TestReview)
#include "tst_review.moc"
