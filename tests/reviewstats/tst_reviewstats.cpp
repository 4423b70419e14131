// The figures behind the statistics, from a history file made here row by row, with the
// clock set by the test and the study day beginning at 4 a.m.
#include "history.h"
#include "reviewstats.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <memory>

using namespace reviewstats;

namespace {

const QTimeZone kZone(2 * 3600); // local time two hours ahead of UTC
constexpr qint64 kDay = 24 * 3600 * 1000LL;

// Wall-clock time `days` from 2024-05-06 (negative: before), in the test's zone.
QDateTime at(int days, int hour, int minute = 0) {
    return QDateTime(QDate(2024, 5, 6).addDays(days), QTime(hour, minute), kZone);
}
qint64 ms(int days, int hour, int minute = 0) { return at(days, hour, minute).toMSecsSinceEpoch(); }

const QDateTime kNow = at(0, 12); // 2024-05-06 noon: today's study day began at 04:00

class Made {
public:
    explicit Made(const QString& path) : m_path(path) {
        history::History h;
        QVERIFY(h.open(path).ok());
        h.close();
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("made"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
    }
    ~Made() {
        { QSqlDatabase::database(QStringLiteral("made"), false).close(); }
        QSqlDatabase::removeDatabase(QStringLiteral("made"));
    }
    void exec(const QString& sql) {
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("made")));
        QVERIFY2(q.exec(sql), qPrintable(sql));
    }
    qint64 chapter(const QString& path) {
        exec(QStringLiteral("INSERT INTO chapters (path, title, fingerprint) VALUES ('%1', 'T', '')").arg(path));
        return ++m_chapters;
    }
    // A card with its cached state; returns its id.
    qint64 card(qint64 chapter, const QString& question, int state, qint64 due, int scheduledDays = 1) {
        exec(QStringLiteral("INSERT INTO cards (chapter, question, due, stability, difficulty, elapsed_days, "
                            "scheduled_days, step, reps, lapses, state, last_review, first_review) "
                            "VALUES (%1, '%2', %3, 1, 5, 0, %4, 0, 1, 0, %5, 0, 0)")
                 .arg(chapter)
                 .arg(question)
                 .arg(due)
                 .arg(scheduledDays)
                 .arg(state));
        return ++m_cards;
    }
    // A review, kept as History keeps it: the card's answer time grows with it.
    void review(qint64 card, qint64 time, int grade = 3, qint64 answerMs = 1000, int stateBefore = 0) {
        exec(QStringLiteral("INSERT INTO reviews (card, time, grade, answer_ms, source, state_before) "
                            "VALUES (%1, %2, %3, %4, 'x', %5)")
                 .arg(card)
                 .arg(time)
                 .arg(grade)
                 .arg(answerMs)
                 .arg(stateBefore));
        exec(QStringLiteral("UPDATE cards SET answer_ms = answer_ms + %1 WHERE id = %2").arg(answerMs).arg(card));
    }

private:
    QString m_path;
    qint64 m_chapters = 0;
    qint64 m_cards = 0;
};

history::Chapter chapterOf(const QString& path, const QStringList& questions) {
    return {path, QStringLiteral("T"), questions};
}

} // namespace

class TestReviewStats : public QObject {
    Q_OBJECT
private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void emptyHistory();
    void unreadableFile();
    void reviewDayBoundary_data();
    void reviewDayBoundary();
    void comingDue_data();
    void comingDue();
    void streak_data();
    void streak();
    void cardsByState();
    void oneChapterOrAll();
    void retention_data();
    void retention();

private:
    QString file() const { return m_dir->filePath(QStringLiteral("history.sqlite")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestReviewStats::emptyHistory() {
    { Made m(file()); }
    Figures f;
    QVERIFY(compute(file(), {chapterOf(QStringLiteral("/a.qex"), {QStringLiteral("x"), QStringLiteral("y")})}, {},
                    kNow, 4, f));
    QCOMPARE(f.comingDue.overdue, 0);
    QCOMPARE(f.comingDue.perDay, QVector<int>(kComingDays, 0));
    QCOMPARE(f.comingDue.runningTotal, QVector<int>(kComingDays, 0));
    QCOMPARE(f.reviewDays.perDay, QVector<int>(kReviewDays, 0));
    QCOMPARE(f.reviewDays.streak, 0);
    QCOMPARE(f.reviewDays.daysStudied, 0);
    QCOMPARE(f.chapters.size(), 1);
    QCOMPARE(f.chapters[0].states.fresh, 2);
    QCOMPARE(f.chapters[0].cards, 2);
    QCOMPARE(f.chapters[0].dueToday, 0);
    QCOMPARE(f.chapters[0].maturePercent, 0.0);
    QCOMPARE(f.chapters[0].timeMs, 0);
}

void TestReviewStats::unreadableFile() {
    Figures f;
    f.chapters.append(ChapterRow{});
    QString error;
    QVERIFY(!compute(m_dir->filePath(QStringLiteral("none/history.sqlite")), {}, {}, kNow, 4, f, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(f.chapters.isEmpty());
}

// A review at 03:59 belongs to the study day before; one at 04:00 to the day it is on.
void TestReviewStats::reviewDayBoundary_data() {
    QTest::addColumn<qint64>("time");
    QTest::addColumn<int>("daysAgo"); // -1: outside the year shown
    QTest::newRow("today 04:00") << ms(0, 4) << 0;
    QTest::newRow("today 03:59") << ms(0, 3, 59) << 1;
    QTest::newRow("today 00:30") << ms(0, 0, 30) << 1;
    QTest::newRow("yesterday 04:00") << ms(-1, 4) << 1;
    QTest::newRow("yesterday 03:59") << ms(-1, 3, 59) << 2;
    QTest::newRow("first day shown") << ms(1 - kReviewDays, 4) << kReviewDays - 1;
    QTest::newRow("before the year") << ms(1 - kReviewDays, 3, 59) << -1;
    QTest::newRow("tomorrow 04:00") << ms(1, 4) << -1;
}

void TestReviewStats::reviewDayBoundary() {
    QFETCH(qint64, time);
    QFETCH(int, daysAgo);
    {
        Made m(file());
        const qint64 c = m.chapter(QStringLiteral("/a.qex"));
        m.review(m.card(c, QStringLiteral("x"), 2, ms(5, 12)), time);
    }
    Figures f;
    QVERIFY(compute(file(), {chapterOf(QStringLiteral("/a.qex"), {QStringLiteral("x")})}, {}, kNow, 4, f));
    QVector<int> expected(kReviewDays, 0);
    if (daysAgo >= 0)
        expected[kReviewDays - 1 - daysAgo] = 1;
    QCOMPARE(f.reviewDays.perDay, expected);
    QCOMPARE(f.reviewDays.daysStudied, daysAgo >= 0 ? 1 : 0);
}

void TestReviewStats::comingDue_data() {
    QTest::addColumn<qint64>("due");
    QTest::addColumn<int>("overdue");
    QTest::addColumn<int>("day"); // -1: not within the days shown
    QTest::newRow("due before today began") << ms(0, 3, 59) << 1 << -1;
    QTest::newRow("due as today began") << ms(0, 4) << 0 << 0;
    QTest::newRow("due tonight after midnight") << ms(1, 3, 59) << 0 << 0;
    QTest::newRow("due as tomorrow begins") << ms(1, 4) << 0 << 1;
    QTest::newRow("last day shown") << ms(kComingDays - 1, 4) << 0 << kComingDays - 1;
    QTest::newRow("after the days shown") << ms(kComingDays, 4) << 0 << -1;
}

void TestReviewStats::comingDue() {
    QFETCH(qint64, due);
    QFETCH(int, overdue);
    QFETCH(int, day);
    {
        Made m(file());
        const qint64 c = m.chapter(QStringLiteral("/a.qex"));
        m.card(c, QStringLiteral("x"), 2, due);
        m.card(c, QStringLiteral("y"), 0, ms(0, 5)); // state New: not counted as coming due
    }
    Figures f;
    QVERIFY(compute(file(), {chapterOf(QStringLiteral("/a.qex"), {QStringLiteral("x"), QStringLiteral("y")})}, {},
                    kNow, 4, f));
    QCOMPARE(f.comingDue.overdue, overdue);
    QVector<int> perDay(kComingDays, 0);
    if (day >= 0)
        perDay[day] = 1;
    QCOMPARE(f.comingDue.perDay, perDay);
    QVector<int> running(kComingDays, overdue);
    for (int i = std::max(day, 0); day >= 0 && i < kComingDays; ++i)
        running[i] = overdue + 1;
    QCOMPARE(f.comingDue.runningTotal, running);
    QCOMPARE(f.chapters[0].dueToday, overdue + (day == 0 ? 1 : 0));
}

void TestReviewStats::streak_data() {
    QTest::addColumn<QVector<int>>("lastDays"); // counts up to today, today last
    QTest::addColumn<int>("streak");
    QTest::newRow("none") << QVector<int>{0, 0, 0} << 0;
    QTest::newRow("today only") << QVector<int>{0, 0, 2} << 1;
    QTest::newRow("ending yesterday") << QVector<int>{1, 1, 0} << 2;
    QTest::newRow("ending today") << QVector<int>{1, 1, 1} << 3;
    QTest::newRow("broken before yesterday") << QVector<int>{1, 0, 1, 0} << 1;
    QTest::newRow("broken two days ago") << QVector<int>{1, 1, 0, 0} << 0;
    QTest::newRow("empty") << QVector<int>{} << 0;
}

void TestReviewStats::streak() {
    QFETCH(QVector<int>, lastDays);
    QFETCH(int, streak);
    QCOMPARE(streakOf(lastDays), streak);
    // The same through the history file: one review per count, at 04:00 of its day.
    {
        Made m(file());
        const qint64 c = m.chapter(QStringLiteral("/a.qex"));
        const qint64 card = m.card(c, QStringLiteral("x"), 2, ms(5, 12));
        for (int i = 0; i < lastDays.size(); ++i)
            for (int n = 0; n < lastDays[i]; ++n)
                m.review(card, ms(i + 1 - int(lastDays.size()), 4, n));
    }
    Figures f;
    QVERIFY(compute(file(), {chapterOf(QStringLiteral("/a.qex"), {QStringLiteral("x")})}, {}, kNow, 4, f));
    QCOMPARE(f.reviewDays.streak, streak);
    QCOMPARE(f.reviewDays.daysStudied, int(std::count_if(lastDays.begin(), lastDays.end(), [](int n) { return n; })));
}

void TestReviewStats::cardsByState() {
    {
        Made m(file());
        const qint64 c = m.chapter(QStringLiteral("/a.qex"));
        m.review(m.card(c, QStringLiteral("learning"), 1, ms(0, 13)), ms(0, 5), 3, 1500);
        m.card(c, QStringLiteral("relearning"), 3, ms(0, 14));
        m.card(c, QStringLiteral("young"), 2, ms(20, 12), 20);
        m.card(c, QStringLiteral("mature"), 2, ms(21, 12), 21);
        m.review(m.card(c, QStringLiteral("gone from the chapter"), 2, ms(-3, 12), 40), ms(-50, 5), 1, 2500);
    }
    Figures f;
    const QStringList questions{QStringLiteral("learning"), QStringLiteral("relearning"), QStringLiteral("young"),
                                QStringLiteral("mature"), QStringLiteral("new 1"), QStringLiteral("new 2")};
    QVERIFY(compute(file(), {chapterOf(QStringLiteral("/a.qex"), questions)}, {}, kNow, 4, f));
    const ChapterRow& row = f.chapters.at(0);
    QCOMPARE(row.cards, 6);
    QCOMPARE(row.states.fresh, 2);
    QCOMPARE(row.states.learning, 2);
    QCOMPARE(row.states.young, 1);
    QCOMPARE(row.states.mature, 2); // the card no longer in the chapter still has its history
    QCOMPARE(row.dueToday, 3);
    QCOMPARE(row.maturePercent, 100.0 * 2 / 7);
    QCOMPARE(row.timeMs, 4000);
}

void TestReviewStats::oneChapterOrAll() {
    {
        Made m(file());
        const qint64 a = m.chapter(QStringLiteral("/a.qex"));
        const qint64 b = m.chapter(QStringLiteral("/b.qex"));
        m.review(m.card(a, QStringLiteral("x"), 2, ms(0, 3)), ms(0, 5));
        m.review(m.card(b, QStringLiteral("y"), 2, ms(2, 12)), ms(-1, 5));
    }
    const QVector<history::Chapter> chapters{chapterOf(QStringLiteral("/a.qex"), {QStringLiteral("x")}),
                                             chapterOf(QStringLiteral("/b.qex"), {QStringLiteral("y")}),
                                             chapterOf(QStringLiteral("/unknown.qex"), {QStringLiteral("z")})};
    Figures all;
    QVERIFY(compute(file(), chapters, {}, kNow, 4, all));
    QCOMPARE(all.chapters.size(), 3);
    QCOMPARE(all.comingDue.overdue, 1);
    QCOMPARE(all.comingDue.runningTotal.last(), 2);
    QCOMPARE(all.reviewDays.streak, 2);
    QCOMPARE(all.chapters[2].states.fresh, 1);
    Figures b;
    QVERIFY(compute(file(), chapters, QStringLiteral("/b.qex"), kNow, 4, b));
    QCOMPARE(b.chapters.size(), 1);
    QCOMPARE(b.chapters[0].path, QStringLiteral("/b.qex"));
    QCOMPARE(b.comingDue.overdue, 0);
    QCOMPARE(b.comingDue.perDay[2], 1);
    QCOMPARE(b.reviewDays.perDay[kReviewDays - 2], 1);
    QCOMPARE(b.reviewDays.perDay[kReviewDays - 1], 0);
    QCOMPARE(b.reviewDays.streak, 1);
    Figures none;
    QVERIFY(compute(file(), chapters, QStringLiteral("/unknown.qex"), kNow, 4, none));
    QCOMPARE(none.reviewDays.daysStudied, 0);
    QCOMPARE(none.comingDue.runningTotal.last(), 0);
}

// Retention counts reviews of learnt cards only (state before: review), Again against the
// rest, week by week back from today and per chapter over the last 30 study days; whichever
// way the reviews are read (all of them, all less another chapter's, or one chapter's).
void TestReviewStats::retention_data() {
    QTest::addColumn<QStringList>("listed");
    QTest::addColumn<QString>("only");
    QTest::addColumn<QVector<int>>("lastWeek");   // reviews, passed
    QTest::addColumn<QVector<int>>("weekBefore"); // reviews, passed
    QTest::addColumn<QVector<int>>("fifthWeek");  // the week 28 to 34 days back
    QTest::addColumn<int>("today");               // reviews of any kind today
    const QStringList all{"/a.qex", "/b.qex", "/c.qex"};
    QTest::newRow("every chapter") << all << QString() << QVector<int>{4, 2} << QVector<int>{1, 1}
                                   << QVector<int>{2, 2} << 4;
    QTest::newRow("one chapter of the file not listed")
        << QStringList{"/a.qex", "/b.qex"} << QString() << QVector<int>{3, 2} << QVector<int>{1, 1}
        << QVector<int>{2, 2} << 3;
    QTest::newRow("one chapter") << all << QStringLiteral("/b.qex") << QVector<int>{1, 1} << QVector<int>{0, 0}
                                 << QVector<int>{0, 0} << 1;
}

void TestReviewStats::retention() {
    QFETCH(QStringList, listed);
    QFETCH(QString, only);
    QFETCH(QVector<int>, lastWeek);
    QFETCH(QVector<int>, weekBefore);
    QFETCH(QVector<int>, fifthWeek);
    QFETCH(int, today);
    {
        Made m(file());
        const qint64 a = m.card(m.chapter(QStringLiteral("/a.qex")), QStringLiteral("x"), 2, ms(3, 12));
        m.review(a, ms(0, 5), 1, 1000, 2);   // learnt, forgotten
        m.review(a, ms(0, 6), 3, 1000, 1);   // on its learning steps: not counted
        m.review(a, ms(-6, 4), 3, 1000, 2);  // the first day of the last week
        m.review(a, ms(-6, 3, 59), 4, 1000, 2); // the last of the week before
        m.review(a, ms(-29, 12), 2, 1000, 2);   // the first of the 30 days
        m.review(a, ms(-30, 12), 3, 1000, 2);   // just before them
        m.review(a, ms(-30, 13), 3, 1000, 3);   // relearning: not counted
        m.review(m.card(m.chapter(QStringLiteral("/b.qex")), QStringLiteral("y"), 2, ms(3, 12)), ms(0, 7), 3, 1000, 2);
        m.review(m.card(m.chapter(QStringLiteral("/c.qex")), QStringLiteral("z"), 2, ms(3, 12)), ms(0, 8), 1, 1000, 2);
    }
    QVector<history::Chapter> chapters;
    for (const QString& path : listed)
        chapters.append(chapterOf(path, {QStringLiteral("x")}));
    Figures f;
    QVERIFY(compute(file(), chapters, only, kNow, 4, f));
    QCOMPARE(f.retention.size(), kRetentionWeeks);
    auto pair = [](const RetentionWeek& w) { return QVector<int>{w.reviews, w.passed}; };
    QCOMPARE(pair(f.retention[kRetentionWeeks - 1]), lastWeek);
    QCOMPARE(pair(f.retention[kRetentionWeeks - 2]), weekBefore);
    QCOMPARE(pair(f.retention[kRetentionWeeks - 5]), fifthWeek);
    QCOMPARE(f.reviewDays.perDay.last(), today);
    for (const ChapterRow& row : std::as_const(f.chapters)) {
        // a: Again today, three passed back to the 30th day; b passed today; c forgot today.
        const QVector<int> recent{row.retention30Reviews, row.retention30Passed};
        const QVector<int> expected = row.path == QLatin1String("/a.qex")   ? QVector<int>{4, 3}
                                      : row.path == QLatin1String("/b.qex") ? QVector<int>{1, 1}
                                                                            : QVector<int>{1, 0};
        QCOMPARE(recent, expected);
    }
}

QTEST_GUILESS_MAIN(TestReviewStats)
#include "tst_reviewstats.moc"
