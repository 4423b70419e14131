// The review of due cards without a window: which card comes next after grades given at one
// moment, asked at another, and what the corner says is left.
#include "appstate.h"
#include "deck.h"
#include "duereview.h"
#include "ivordalite.h"
#include "lettermarkers.h"
#include "programhistory.h"

#include <QTemporaryDir>
#include <QtTest>

class TestDueReview : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void nextCardAfterGrades_data();
    void nextCardAfterGrades();

private:
    QTemporaryDir m_dir;
    QDateTime m_now;
};

void TestDueReview::init() {
    AppState::reset();
    FlushDeck(true);
    QFile::remove(m_dir.filePath("history.sqlite"));
    app().historyPathOverride = m_dir.filePath("history.sqlite");
    app().intervalFuzz = false;
    m_now = QDateTime(QDate(2026, 3, 2), QTime(10, 0));
    review::setNowSource([this] { return m_now; });
    review::closeProgramHistory();
}

void TestDueReview::cleanup() {
    review::dueReview().end();
    review::closeProgramHistory();
    review::setNowSource({});
}

void TestDueReview::nextCardAfterGrades_data() {
    QTest::addColumn<QString>("grades");     // "A3" grades card A Good; all at the same moment
    QTest::addColumn<qint64>("askedAfterMs"); // when the next card is asked for, from then
    QTest::addColumn<QString>("next");        // "A", "B" or "" (the review is done)
    QTest::addColumn<QString>("left");
    constexpr qint64 kMin = 60 * 1000;
    QTest::newRow("nothing graded") << "" << 0LL << "A" << "0 due, 2 new left";
    QTest::newRow("both easy: done") << "A4 B4" << 0LL << "" << "0 due, 0 new left";
    // Good puts a new card on its 10-minute step: shown early while that is 20 minutes away.
    QTest::newRow("good, learn-ahead edge") << "A3 B4" << -10 * kMin << "A" << "1 due, 0 new left";
    QTest::newRow("good, beyond the edge") << "A3 B4" << -10 * kMin - 1 << "" << "1 due, 0 new left";
    QTest::newRow("good, good: learnt for today") << "A3 A3 B4" << 0LL << "" << "0 due, 0 new left";
    // A card due now comes before one that would be shown early.
    QTest::newRow("again due before good") << "A3 B1" << 1 * kMin << "B" << "2 due, 0 new left";
    QTest::newRow("soonest of two early ones") << "A3 B1" << 0LL << "B" << "2 due, 0 new left";
    QTest::newRow("two equally early: deck order") << "A3 B3" << 0LL << "A" << "2 due, 0 new left";
    QTest::newRow("one graded, one new") << "A4" << 0LL << "B" << "0 due, 1 new left";
}

void TestDueReview::nextCardAfterGrades() {
    QFETCH(QString, grades);
    QFETCH(qint64, askedAfterMs);
    QFETCH(QString, next);
    QFETCH(QString, left);
    const QString path = m_dir.filePath("lesson.qex");
    {
        ivordalite store;
        QVERIFY(store.mountnew(path));
        store.setTitle("Lesson");
        store.setComment(chapterMark());
        store.add("A", "a", 0, QString());
        store.add("B", "b", 0, QString());
        QVERIFY(store.save());
    }
    QCOMPARE(review::dueReview().begin({{path, "Lesson"}}), 2);
    const qint64 t0 = m_now.toMSecsSinceEpoch();
    int last = -1;
    for (const QString& g : grades.split(' ', Qt::SkipEmptyParts)) {
        const int slot = deck[0].question == g.left(1) ? 0 : 1;
        const auto grade = fsrs::Grade(g.mid(1).toInt());
        const std::optional<fsrs::Card> after = review::gradeSlot(slot, grade, 1000, "review");
        QVERIFY(after);
        review::dueReview().graded(slot, grade, after, t0);
        last = slot;
    }
    const int slot = review::dueReview().nextSlot(last, t0 + askedAfterMs);
    QCOMPARE(slot < 0 ? QString() : deck[slot].question, next);
    QCOMPARE(review::dueReview().leftText(), left);
}

QTEST_MAIN(TestDueReview)
#include "tst_duereview.moc"
