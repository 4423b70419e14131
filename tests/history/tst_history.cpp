// The review history: grades through the database, the due deck around the study day's
// boundary and the new-card limit, cards and chapters that are renamed, moved, deleted and
// restored, files that cannot be used, rebuild against the cache, the CSV export, and a
// grading process killed with SIGKILL.
//
// The test program is also its own helper: "--record-loop FILE" grades until it is killed,
// "--hold-lock FILE" keeps an exclusive lock on a database until its input closes.
#include "history.h"
#include "testsupport.h"

#include <QBuffer>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>
#include <sys/wait.h>
#include <unistd.h>

using namespace history;
using fsrs::Grade;

Q_DECLARE_METATYPE(history::OpenStatus)

namespace {
constexpr qint64 kMin = 60000;
const QTimeZone kZone(2 * 3600); // local time two hours ahead of UTC
const qint64 kT0 = QDateTime(QDate(2024, 5, 6), QTime(9, 30), QTimeZone::utc()).toMSecsSinceEpoch();

Chapter chapter(const QString& path, const QString& title, const QStringList& questions) {
    return {path, title, questions};
}

Settings quiet() {
    Settings s;
    s.fuzz = false;
    return s;
}

qint64 local(int day, int hour, int minute) {
    return QDateTime(QDate(2024, 5, day), QTime(hour, minute), kZone).toMSecsSinceEpoch();
}

// Every column of the card cache, through a connection of the test's own.
QList<QVariantList> cardCache(const QString& path) {
    QList<QVariantList> rows;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        d.setDatabaseName(path);
        if (d.open()) {
            QSqlQuery q(d);
            q.exec(QStringLiteral("SELECT * FROM cards ORDER BY id"));
            while (q.next()) {
                QVariantList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row << q.value(i);
                rows << row;
            }
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return rows;
}

QList<QVariantList> rows(const QString& path, const char* sql) {
    QList<QVariantList> out;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        d.setDatabaseName(path);
        QSqlQuery q(d);
        if (d.open() && q.exec(QString::fromLatin1(sql)))
            while (q.next()) {
                QVariantList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row << q.value(i);
                out << row;
            }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return out;
}

// Each review's id and the state its card was in before it, by stepping the logs with the
// scheduler the test's histories use.
QList<QVariantList> steppedStates(const QString& path) {
    QList<QVariantList> out;
    fsrs::Scheduler s(History().settings().parameters());
    fsrs::Card c;
    qint64 card = -1;
    for (const QVariantList& r : rows(path, "SELECT id, card, time, grade FROM reviews ORDER BY card, time, id")) {
        if (r[1].toLongLong() != card) {
            card = r[1].toLongLong();
            c = {};
        }
        out << QVariantList{r[0], int(c.state)};
        c = s.next(c, r[2].toLongLong(), Grade(r[3].toInt())).card;
    }
    std::sort(out.begin(), out.end(), [](const QVariantList& a, const QVariantList& b) { return a[0].toLongLong() < b[0].toLongLong(); });
    return out;
}

QString peek(const QString& path, const QString& sql) {
    QString out;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
        d.setDatabaseName(path);
        QSqlQuery q(d);
        if (d.open() && q.exec(sql) && q.next())
            out = q.value(0).toString();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return out;
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}

int recordLoop(const QString& path) {
    History h;
    if (!h.open(path).ok())
        return 2;
    const Chapter c = chapter(QStringLiteral("/gone/loop.qex"), QStringLiteral("Loop"), {"a", "b", "c", "d", "e"});
    for (int i = 0;; ++i) {
        if (!h.record(c, c.questions[i % 5], Grade(1 + i % 4), 900, QStringLiteral("review"), kT0 + i * kMin))
            return 3;
        printf("%d\n", i);
        fflush(stdout);
    }
}

int holdLock(const QString& path) {
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    d.setDatabaseName(path);
    QSqlQuery q(d);
    if (!d.open() || !q.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")) ||
        !q.exec(QStringLiteral("BEGIN EXCLUSIVE")) || !q.exec(QStringLiteral("SELECT count(*) FROM cards")))
        return 2;
    printf("locked\n");
    fflush(stdout);
    char buffer[16];
    while (read(0, buffer, sizeof buffer) > 0) {
    }
    return 0;
}
} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private slots:
    void init();
    void untitledChapterKeepsItsReviews();
    void learningSteps_data();
    void learningSteps();
    void dayBoundary_data();
    void dayBoundary();
    void dueDeckOrder_data();
    void dueDeckOrder();
    void renameFollowed_data();
    void renameFollowed();
    void movedChapter_data();
    void movedChapter();
    void movedChapterChoice_data();
    void movedChapterChoice();
    void deletedThenRestored();
    void schemaVersions_data();
    void schemaVersions();
    void unusableFiles_data();
    void unusableFiles();
    void rebuildEqualsCache();
    void olderFileTakesTheNewSchema();
    void chapterLanguagesFollowTheChapter();
    void exportColumns();
    void exportWriteError();
    void killedWhileGrading();

private:
    QString dbPath() const { return m_dir->filePath(QStringLiteral("history.sqlite")); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestHistory::init() { m_dir = std::make_unique<QTemporaryDir>(); }

// A chapter with no title at all (a null text) was refused by the database, and its grades lost.
void TestHistory::untitledChapterKeepsItsReviews() {
    History h;
    QVERIFY(h.open(dbPath()).ok());
    const Chapter c = chapter(QStringLiteral("/gone/untitled.qex"), QString(), {"cat"});
    QVERIFY2(h.record(c, QStringLiteral("cat"), Grade::Good, 900, QStringLiteral("study"), kT0), qPrintable(h.lastError()));
    QCOMPARE(h.reviewCount(), qint64(1));
}

void TestHistory::learningSteps_data() {
    QTest::addColumn<QString>("grades");    // 1..4, one review a step
    QTest::addColumn<QList<int>>("gaps");   // minutes before each review after the first
    QTest::addColumn<fsrs::State>("state"); // after the last review
    QTest::addColumn<int>("step");
    QTest::addColumn<qint64>("dueAfter"); // ms from the last review
    using S = fsrs::State;
    QTest::newRow("good: second step") << "3" << QList<int>{} << S::Learning << 1 << 10 * kMin;
    QTest::newRow("again: first step") << "1" << QList<int>{} << S::Learning << 0 << 1 * kMin;
    QTest::newRow("good, good: graduates") << "33" << QList<int>{10} << S::Review << 0 << 2 * 1440 * kMin;
    QTest::newRow("good, again: back to the first step") << "31" << QList<int>{10} << S::Learning << 0 << kMin;
    QTest::newRow("graduated, again: relearning") << "331" << QList<int>{10, 2 * 1440} << S::Relearning << 0
                                                  << 10 * kMin;
}

void TestHistory::learningSteps() {
    QFETCH(QString, grades);
    QFETCH(QList<int>, gaps);
    QFETCH(fsrs::State, state);
    QFETCH(int, step);
    QFETCH(qint64, dueAfter);
    History h;
    h.setSettings(quiet());
    QVERIFY(h.open(dbPath()).ok());
    const Chapter c = chapter(QStringLiteral("/gone/a.qex"), QStringLiteral("A"), {"cat", "dog"});
    qint64 t = kT0;
    std::optional<fsrs::Card> last;
    for (int i = 0; i < grades.size(); ++i) {
        if (i > 0)
            t += gaps[i - 1] * kMin;
        last = h.record(c, QStringLiteral("cat"), Grade(grades[i].digitValue()), 1200, QStringLiteral("review"), t);
        QVERIFY2(last, qPrintable(h.lastError()));
    }
    QCOMPARE(last->state, state);
    QCOMPARE(last->step, step);
    QCOMPARE(last->due - t, dueAfter);
    QCOMPARE(h.card(c.path, QStringLiteral("cat")).due, last->due);
    QCOMPARE(qsizetype(h.reviews(c.path, QStringLiteral("cat")).size()), grades.size());
    QCOMPARE(h.card(c.path, QStringLiteral("dog")).state, fsrs::State::New);
}

void TestHistory::dayBoundary_data() {
    QTest::addColumn<qint64>("due");   // of the one reviewed card
    QTest::addColumn<qint64>("first"); // its first review
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<int>("dayStart");
    QTest::addColumn<bool>("isDue");
    QTest::addColumn<int>("introduced");
    const QDateTime beforeFour(QDate(2024, 5, 7), QTime(3, 55), kZone);
    const QDateTime lateNight(QDate(2024, 5, 7), QTime(3, 59), kZone);
    const QDateTime morning(QDate(2024, 5, 7), QTime(4, 0), kZone);
    QTest::newRow("due 03:59, now 03:55") << local(7, 3, 59) << local(7, 3, 49) << beforeFour << 4 << true << 1;
    QTest::newRow("due 04:00, now 03:55") << local(7, 4, 0) << local(7, 3, 50) << beforeFour << 4 << false << 1;
    QTest::newRow("03:59 still belongs to yesterday") << local(7, 4, 0) << local(7, 3, 50) << lateNight << 4
                                                      << false << 1;
    QTest::newRow("first seen 03:50, now 04:00: a new day") << local(7, 4, 0) << local(7, 3, 50) << morning << 4
                                                            << true << 0;
    QTest::newRow("first seen 04:00, now 04:00") << local(7, 4, 10) << local(7, 4, 0) << morning << 4 << true << 1;
    const QDateTime midnight(QDate(2024, 5, 7), QTime(0, 0), kZone);
    QTest::newRow("day from 04:00: 23:55 is still today") << local(7, 0, 5) << local(6, 23, 55) << midnight << 4
                                                           << true << 1;
    QTest::newRow("day from 00:00: 23:55 was yesterday") << local(7, 0, 5) << local(6, 23, 55) << midnight << 0
                                                          << true << 0;
}

// One card graded Good once: it is due ten minutes later (its second learning step).
void TestHistory::dayBoundary() {
    QFETCH(qint64, due);
    QFETCH(qint64, first);
    QFETCH(QDateTime, now);
    QFETCH(int, dayStart);
    QFETCH(bool, isDue);
    QFETCH(int, introduced);
    QCOMPARE(due - first, 10 * kMin);
    History h;
    h.setSettings(quiet());
    QVERIFY(h.open(dbPath()).ok());
    const Chapter c = chapter(QStringLiteral("/gone/a.qex"), QStringLiteral("A"), {"cat", "dog"});
    QCOMPARE(h.record(c, QStringLiteral("cat"), Grade::Good, 0, QStringLiteral("review"), first)->due, due);
    const DueDeck deck = h.dueDeck({c}, now, dayStart, 20);
    QCOMPARE(deck.dueTotal, isDue ? 1 : 0);
    QCOMPARE(deck.newIntroducedToday, introduced);
    QCOMPARE(deck.perChapter[0].unseen, 1);
}

void TestHistory::dueDeckOrder_data() {
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("expected"); // questions of the deck in order; "*" marks a new card
    // Chapter A: a1 a2 a3, chapter B: b1 b2. Reviewed: b1 (due first), a2 (due later), a3 reviewed
    // today for the first time and not yet due again. New: a1, b2.
    QTest::newRow("limit 20") << 20 << QStringList{"b1", "a2", "a1*", "b2*"};
    QTest::newRow("limit 2: one introduced today") << 2 << QStringList{"b1", "a2", "a1*"};
    QTest::newRow("limit 1: used up today") << 1 << QStringList{"b1", "a2"};
    QTest::newRow("limit 0") << 0 << QStringList{"b1", "a2"};
}

void TestHistory::dueDeckOrder() {
    QFETCH(int, limit);
    QFETCH(QStringList, expected);
    History h;
    h.setSettings(quiet());
    QVERIFY(h.open(dbPath()).ok());
    const Chapter a = chapter(QStringLiteral("/gone/a.qex"), QStringLiteral("A"), {"a1", "a2", "a3", "a2"});
    const Chapter b = chapter(QStringLiteral("/gone/b.qex"), QStringLiteral("B"), {"b1", "b2"});
    const qint64 days = 1440 * kMin;
    QVERIFY(h.record(a, QStringLiteral("a2"), Grade::Easy, 0, QStringLiteral("review"), local(1, 10, 0)));
    QVERIFY(h.record(b, QStringLiteral("b1"), Grade::Easy, 0, QStringLiteral("review"), local(1, 9, 0) - 3 * days));
    QVERIFY(h.record(a, QStringLiteral("a3"), Grade::Easy, 0, QStringLiteral("import"), local(30, 8, 0)));
    const DueDeck deck = h.dueDeck({a, b}, QDateTime(QDate(2024, 5, 30), QTime(9, 0), kZone), 4, limit);
    QStringList got;
    for (const DueCard& c : deck.cards)
        got << c.question + (c.isNew ? "*" : "");
    QCOMPARE(got, expected);
    QCOMPARE(deck.newIntroducedToday, 1);
    QCOMPARE(deck.dueTotal, 2);
    QCOMPARE(deck.perChapter[0].due, 1);
    QCOMPARE(deck.perChapter[0].unseen, 1);
    QCOMPARE(deck.freshTotal, int(expected.filter("*").size()));
    QVERIFY(deck.cards[0].due < deck.cards[1].due);
    QCOMPARE(deck.cards[1].due, h.card(a.path, QStringLiteral("a2")).due);
}

void TestHistory::renameFollowed_data() {
    QTest::addColumn<bool>("targetHasHistory");
    QTest::newRow("to a new front") << false;
    QTest::newRow("onto a front with a history of its own: logs merged") << true;
}

void TestHistory::renameFollowed() {
    QFETCH(bool, targetHasHistory);
    History h;
    QVERIFY(h.open(dbPath()).ok());
    const Chapter c = chapter(QStringLiteral("/gone/a.qex"), QStringLiteral("A"), {"cat", "Katze"});
    QVERIFY(h.record(c, QStringLiteral("cat"), Grade::Good, 0, QStringLiteral("review"), kT0));
    if (targetHasHistory)
        QVERIFY(h.record(c, QStringLiteral("Katze"), Grade::Hard, 0, QStringLiteral("review"), kT0 + 5 * kMin));
    QVERIFY(h.record(c, QStringLiteral("cat"), Grade::Good, 0, QStringLiteral("review"), kT0 + 20 * kMin));
    QVERIFY(h.renameQuestion(c.path, QStringLiteral("cat"), QStringLiteral("Katze")));
    QCOMPARE(h.card(c.path, QStringLiteral("cat")).state, fsrs::State::New);
    const std::vector<fsrs::Review> log = h.reviews(c.path, QStringLiteral("Katze"));
    QCOMPARE(int(log.size()), targetHasHistory ? 3 : 2);
    const fsrs::Card expected = fsrs::Scheduler(h.settings().parameters()).replay(log);
    QCOMPARE(h.card(c.path, QStringLiteral("Katze")).due, expected.due);
    QCOMPARE(h.card(c.path, QStringLiteral("Katze")).stability, expected.stability);
    QCOMPARE(h.cardCount(), qint64(1));
    QVERIFY(!h.renameQuestion(c.path, QStringLiteral("cat"), QStringLiteral("dog")));
    QVERIFY(!h.renameQuestion(QStringLiteral("/gone/other.qex"), QStringLiteral("Katze"), QStringLiteral("dog")));
}

void TestHistory::movedChapter_data() {
    QTest::addColumn<QString>("newTitle");
    QTest::addColumn<QStringList>("newQuestions");
    QTest::addColumn<bool>("oldFileKept");
    QTest::addColumn<bool>("followed");
    const QStringList same{"one", "two", "three", "four"};
    QTest::newRow("moved as it was") << "Numbers" << same << false << true;
    QTest::newRow("moved and retitled") << "Zahlen" << same << false << true;
    QTest::newRow("moved, a card added and one renamed")
        << "Numbers" << QStringList{"one", "two", "drei", "four", "five"} << false << true;
    QTest::newRow("moved, half the reviewed cards gone")
        << "Numbers" << QStringList{"one", "two", "x", "y"} << false << false;
    QTest::newRow("retitled and edited") << "Zahlen" << QStringList{"one", "two", "drei", "four"} << false << false;
    QTest::newRow("a copy, the original still there") << "Numbers" << same << true << false;
}

void TestHistory::movedChapter() {
    QFETCH(QString, newTitle);
    QFETCH(QStringList, newQuestions);
    QFETCH(bool, oldFileKept);
    QFETCH(bool, followed);
    const QString oldPath = m_dir->filePath(QStringLiteral("numbers.qex"));
    const QString newPath = m_dir->filePath(QStringLiteral("moved/numbers 1.qex"));
    QVERIFY(QDir().mkpath(m_dir->filePath(QStringLiteral("moved"))));
    for (const QString& p : {oldPath, newPath}) {
        QFile f(p);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    History h;
    QVERIFY(h.open(dbPath()).ok());
    const Chapter before = chapter(oldPath, QStringLiteral("Numbers"), {"one", "two", "three", "four"});
    for (const QString& q : before.questions)
        QVERIFY(h.record(before, q, Grade::Good, 0, QStringLiteral("review"), kT0));
    if (!oldFileKept)
        QVERIFY(QFile::remove(oldPath));
    const Chapter after = chapter(newPath, newTitle, newQuestions);
    const DueDeck deck = h.dueDeck({after}, QDateTime::fromMSecsSinceEpoch(kT0 + 60 * kMin, kZone));
    const int reviewed = int(newQuestions.size()) - deck.perChapter[0].unseen;
    QCOMPARE(reviewed > 0, followed);
    QCOMPARE(h.card(newPath, QStringLiteral("one")).reps, followed ? 1 : 0);
    QCOMPARE(h.card(oldPath, QStringLiteral("one")).reps, followed ? 0 : 1);
    // Once followed the new path is the chapter's: grading there adds to the same card.
    QVERIFY(h.record(after, QStringLiteral("one"), Grade::Good, 0, QStringLiteral("review"), kT0 + 20 * kMin));
    QCOMPARE(h.card(newPath, QStringLiteral("one")).reps, followed ? 2 : 1);
}

void TestHistory::movedChapterChoice_data() {
    QTest::addColumn<QStringList>("firstReviewed");  // gone chapter 1, title "T"
    QTest::addColumn<QStringList>("secondReviewed"); // gone chapter 2, title "T"
    QTest::addColumn<qint64>("chosen");              // 0: neither
    QTest::newRow("the better share wins") << QStringList{"a", "b", "c"} << QStringList{"a", "b", "x"} << qint64(1);
    QTest::newRow("the better share wins, listed second") << QStringList{"a", "b", "x"} << QStringList{"a", "b", "c"}
                                                          << qint64(2);
    QTest::newRow("equal shares: neither") << QStringList{"a", "b", "x"} << QStringList{"b", "c", "y"} << qint64(0);
}

// The listed chapter "T" holds a, b, c, d under a new path.
void TestHistory::movedChapterChoice() {
    QFETCH(QStringList, firstReviewed);
    QFETCH(QStringList, secondReviewed);
    QFETCH(qint64, chosen);
    const QVector<KnownChapter> known{{1, "T", "-", firstReviewed, false}, {2, "T", "-", secondReviewed, false}};
    QCOMPARE(findMovedChapter(chapter("/new/t.qex", "T", {"a", "b", "c", "d"}), known).value_or(0), chosen);
}

void TestHistory::deletedThenRestored() {
    History h;
    h.setSettings(quiet());
    QVERIFY(h.open(dbPath()).ok());
    const Chapter full = chapter(QStringLiteral("/gone/a.qex"), QStringLiteral("A"), {"cat", "dog"});
    const Chapter without = chapter(full.path, full.title, {"dog"});
    const fsrs::Card graded = *h.record(full, QStringLiteral("cat"), Grade::Good, 0, QStringLiteral("review"), kT0);
    const QDateTime later = QDateTime::fromMSecsSinceEpoch(kT0 + 60 * kMin, kZone);
    DueDeck deck = h.dueDeck({without}, later);
    QCOMPARE(deck.cards.size(), 1);
    QCOMPARE(deck.cards[0].question, QStringLiteral("dog"));
    QVERIFY(h.record(without, QStringLiteral("dog"), Grade::Good, 0, QStringLiteral("review"), kT0 + kMin));
    QCOMPARE(h.reviewCount(), qint64(2));
    deck = h.dueDeck({full}, later);
    QCOMPARE(deck.dueTotal, 2);
    QCOMPARE(deck.perChapter[0].unseen, 0);
    QCOMPARE(h.card(full.path, QStringLiteral("cat")).due, graded.due);
}

void TestHistory::schemaVersions_data() {
    QTest::addColumn<QByteArray>("setup"); // SQL run on the file first; "-" leaves it at 0 bytes
    QTest::addColumn<OpenStatus>("status");
    QTest::newRow("no file") << QByteArray() << OpenStatus::Ok;
    QTest::newRow("empty file") << QByteArray("-") << OpenStatus::Ok;
    QTest::newRow("version 0 with a table of its own") << QByteArray("CREATE TABLE notes (x)") << OpenStatus::Ok;
    QTest::newRow("newer version") << QByteArray("PRAGMA user_version=3") << OpenStatus::NewerVersion;
}

void TestHistory::schemaVersions() {
    QFETCH(QByteArray, setup);
    QFETCH(OpenStatus, status);
    if (setup == "-") {
        QFile f(dbPath());
        QVERIFY(f.open(QIODevice::WriteOnly));
    } else if (!setup.isEmpty()) {
        peek(dbPath(), QString::fromLatin1(setup));
    }
    const QByteArray before = bytesOf(dbPath());
    History h;
    const OpenResult r = h.open(dbPath());
    QCOMPARE(r.status, status);
    if (status == OpenStatus::Ok) {
        QVERIFY(r.message.isEmpty());
        QCOMPARE(peek(dbPath(), QStringLiteral("PRAGMA user_version")), QStringLiteral("2"));
        QCOMPARE(peek(dbPath(), QStringLiteral("PRAGMA journal_mode")), QStringLiteral("wal"));
        QVERIFY(h.record(chapter("/gone/a.qex", "A", {"x"}), "x", Grade::Good, 0, "review", kT0));
    } else {
        QVERIFY(r.message.contains(QStringLiteral("newer version")));
        QVERIFY(!h.record(chapter("/gone/a.qex", "A", {"x"}), "x", Grade::Good, 0, "review", kT0));
        h.close();
        QCOMPARE(bytesOf(dbPath()), before);
    }
}

void TestHistory::unusableFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<OpenStatus>("status");
    QTest::addColumn<QString>("words"); // in the message
    QTest::newRow("random bytes") << "random" << OpenStatus::Corrupt << "damaged";
    QTest::newRow("cut short") << "truncated" << OpenStatus::Corrupt << "damaged";
    QTest::newRow("header only") << "header" << OpenStatus::Corrupt << "damaged";
    QTest::newRow("a page overwritten") << "page" << OpenStatus::Corrupt << "damaged";
    QTest::newRow("locked by another process") << "locked" << OpenStatus::Locked << "in use by another program";
    QTest::newRow("read-only folder") << "readonly" << OpenStatus::ReadOnly << "read-only";
    QTest::newRow("a folder in its place") << "folder" << OpenStatus::CannotOpen << "cannot be opened";
}

// The file is left byte for byte as it was, and nothing can be recorded.
void TestHistory::unusableFiles() {
    QFETCH(QString, kind);
    QFETCH(OpenStatus, status);
    QFETCH(QString, words);
    const QString folder = m_dir->filePath(QStringLiteral("data"));
    const QString path = folder + QStringLiteral("/history.sqlite");
    QVERIFY(QDir().mkpath(folder));
    {
        History h;
        QVERIFY(h.open(path).ok());
        const Chapter c = chapter("/gone/a.qex", "A", {"x"});
        for (int i = 0; i < 300; ++i)
            QVERIFY(h.record(c, QString::number(i), Grade::Good, 0, "review", kT0 + i));
    }
    QFile f(path);
    QVERIFY(f.size() > 8192);
    QProcess holder;
    if (kind == "random") {
        QVERIFY(f.open(QIODevice::WriteOnly));
        QByteArray noise(20000, 0);
        QRandomGenerator gen(7);
        for (char& ch : noise)
            ch = char(gen.bounded(256));
        f.write(noise);
        f.close();
    } else if (kind == "truncated" || kind == "header") {
        QVERIFY(f.resize(kind == "header" ? 100 : f.size() / 2));
    } else if (kind == "page") {
        QVERIFY(f.open(QIODevice::ReadWrite));
        f.seek(4096);
        f.write(QByteArray(4096, '\x5a'));
        f.close();
    } else if (kind == "locked") {
        holder.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock"), path});
        QVERIFY(holder.waitForReadyRead(10000));
        QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));
    } else if (kind == "folder") {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkpath(path));
    }
    const QByteArray before = bytesOf(path);

    auto tryOpen = [&]() -> int {
        History h;
        const OpenResult r = h.open(path);
        const bool refused = !h.record(chapter("/gone/a.qex", "A", {"x"}), "x", Grade::Good, 0, "review", kT0);
        const bool clear = r.message.contains(words) && r.message.contains(path) &&
                           r.message.contains(QStringLiteral("without recording reviews")) && !r.message.contains('\n');
        return int(r.status) | (refused ? 0x10 : 0) | (clear ? 0x20 : 0);
    };
    int outcome = 0;
    if (kind == "readonly") {
        QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                         QFile::ReadOther | QFile::ExeOther));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadOther));
        if (geteuid() != 0) {
            outcome = tryOpen();
        } else {
            // Permissions do not hold root back: the attempt runs as an ordinary user.
            const pid_t pid = fork();
            if (pid == 0) {
                if (setgid(65534) != 0 || setuid(65534) != 0)
                    _exit(255);
                _exit(tryOpen());
            }
            int ws = 0;
            QCOMPARE(waitpid(pid, &ws, 0), pid);
            QVERIFY(WIFEXITED(ws) && WEXITSTATUS(ws) != 255);
            outcome = WEXITSTATUS(ws);
        }
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    } else {
        outcome = tryOpen();
    }
    QCOMPARE(OpenStatus(outcome & 0xf), status);
    QVERIFY2(outcome & 0x10, "a write was let through");
    QVERIFY2(outcome & 0x20, "the message does not say what and where");
    QCOMPARE(bytesOf(path), before);
    if (kind == "locked") {
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
        QCOMPARE(holder.exitCode(), 0);
        History h;
        QVERIFY(h.open(path).ok()); // the lock gone, the history is whole
        QCOMPARE(h.reviewCount(), qint64(300));
    }
}

// A long history with fuzz on, a review dated before the card's last one, and merged logs:
// the cache after each grade is exactly what replaying the log computes.
void TestHistory::rebuildEqualsCache() {
    History h;
    QVERIFY(h.open(dbPath()).ok());
    const Chapter c = chapter("/gone/a.qex", "A", {"a", "b", "c", "d", "e", "f", "g"});
    QRandomGenerator gen(1234);
    qint64 t = kT0;
    for (int i = 0; i < 600; ++i) {
        t += gen.bounded(1, 4 * 1440) * kMin;
        const QString q = c.questions[gen.bounded(int(c.questions.size()))];
        QVERIFY(h.record(c, q, Grade(gen.bounded(1, 5)), 1000, "review", t));
    }
    QVERIFY(h.record(c, "a", Grade::Again, 1000, "import", kT0 + 5 * kMin)); // the clock was set back
    QVERIFY(h.renameQuestion(c.path, "b", "c"));
    const QList<QVariantList> cached = cardCache(dbPath());
    const QList<QVariantList> before = rows(dbPath(), "SELECT id, state_before FROM reviews ORDER BY id");
    QCOMPARE(cached.size(), 6);
    // Each review's state before it is what stepping its card's log gives, whether it was
    // written in order, replayed after a review dated back, or merged by a rename.
    QCOMPARE(before, steppedStates(dbPath()));
    QVERIFY(h.rebuild());
    QCOMPARE(cardCache(dbPath()), cached);
    // And the rebuild really recomputes: a cache spoilt behind the library's back comes right.
    peek(dbPath(), "UPDATE cards SET stability = 1, due = 0, reps = 99");
    peek(dbPath(), "UPDATE reviews SET state_before = 3 WHERE id % 3 = 0");
    QVERIFY(cardCache(dbPath()) != cached);
    QVERIFY(h.rebuild());
    QCOMPARE(cardCache(dbPath()), cached);
    QCOMPARE(rows(dbPath(), "SELECT id, state_before FROM reviews ORDER BY id"), before);
}

void TestHistory::olderFileTakesTheNewSchema() {
    // A file of the first schema, as the previous version of the program left it.
    const char* const v1[] = {
        "CREATE TABLE chapters (id INTEGER PRIMARY KEY, path TEXT NOT NULL UNIQUE, title TEXT NOT NULL, "
        "fingerprint TEXT NOT NULL)",
        "CREATE TABLE cards (id INTEGER PRIMARY KEY, chapter INTEGER NOT NULL REFERENCES chapters(id), "
        "question TEXT NOT NULL, due INTEGER NOT NULL, stability REAL NOT NULL, difficulty REAL NOT NULL, "
        "elapsed_days INTEGER NOT NULL, scheduled_days INTEGER NOT NULL, step INTEGER NOT NULL, reps INTEGER NOT "
        "NULL, lapses INTEGER NOT NULL, state INTEGER NOT NULL, last_review INTEGER NOT NULL, first_review INTEGER "
        "NOT NULL, UNIQUE (chapter, question))",
        "CREATE TABLE reviews (id INTEGER PRIMARY KEY, card INTEGER NOT NULL REFERENCES cards(id), time INTEGER NOT "
        "NULL, grade INTEGER NOT NULL CHECK (grade BETWEEN 1 AND 4), answer_ms INTEGER NOT NULL, source TEXT NOT "
        "NULL)",
        "INSERT INTO chapters VALUES (1, '/gone/a.qex', 'A', '')",
        "INSERT INTO cards VALUES (1, 1, 'x', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)",
        "INSERT INTO cards VALUES (2, 1, 'y', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)",
        "PRAGMA user_version=1",
    };
    for (const char* sql : v1)
        peek(dbPath(), QString::fromLatin1(sql));
    // Learning, learnt, lapsed, relearnt: the four states a review can find its card in.
    const int grades[] = {3, 3, 3, 1, 3, 3};
    for (int i = 0; i < 6; ++i) {
        const qint64 t = kT0 + qint64(i) * 3 * 24 * 60 * kMin;
        peek(dbPath(), QStringLiteral("INSERT INTO reviews (card, time, grade, answer_ms, source) VALUES "
                                      "(1, %1, %2, 0, 'review')").arg(t).arg(grades[i]));
    }
    peek(dbPath(), QStringLiteral("INSERT INTO reviews (card, time, grade, answer_ms, source) VALUES (2, %1, 4, 0, "
                                  "'review')").arg(kT0));
    History h;
    QVERIFY(h.open(dbPath()).ok());
    QCOMPARE(peek(dbPath(), QStringLiteral("PRAGMA user_version")), QString::number(History::kSchemaVersion));
    const QList<QVariantList> filled = rows(dbPath(), "SELECT id, state_before FROM reviews ORDER BY id");
    QCOMPARE(filled, steppedStates(dbPath()));
    QStringList states;
    for (const QVariantList& r : filled)
        states << r[1].toString();
    QCOMPARE(states.join(' '), QStringLiteral("0 1 2 2 3 2 0"));
}

void TestHistory::chapterLanguagesFollowTheChapter() {
    History h;
    QVERIFY(!h.setChapterLanguages(chapter("/gone/a.qex", "A", {"x"}), "ru", "en"));
    QVERIFY(h.open(dbPath()).ok());
    const QString oldPath = m_dir->filePath("old.qex");
    const Chapter old = chapter(oldPath, "Russian", {"кошка", "собака"});
    QVERIFY(!h.chapterLanguages(old));
    QVERIFY(h.setChapterLanguages(old, "ru", "en"));
    QCOMPARE(h.chapterLanguages(old), std::make_optional(std::pair<QString, QString>("ru", "en")));
    QVERIFY(h.setChapterLanguages(old, "ru", "en-GB"));
    // The file moves: the chapter is found again by its title and questions.
    const Chapter moved = chapter(m_dir->filePath("new.qex"), "Russian", old.questions);
    QCOMPARE(h.chapterLanguages(moved), std::make_optional(std::pair<QString, QString>("ru", "en-GB")));
    QVERIFY(!h.chapterLanguages(chapter(m_dir->filePath("other.qex"), "Other", {"x"})));
    QVERIFY(h.setChapterLanguages(old, {}, {}));
    QVERIFY(!h.chapterLanguages(old));
}

void TestHistory::exportColumns() {
    History h;
    h.setSettings(quiet());
    QVERIFY(h.open(dbPath()).ok());
    const Chapter c = chapter("/gone/Say \"hi\", all.qex", "Greetings, \"formal\"", {"hello\nthere", " x"});
    QVERIFY(h.record(c, "hello\nthere", Grade::Good, 2500, "review", kT0));
    QVERIFY(h.record(c, "hello\nthere", Grade::Easy, 40, "drill", kT0 + 10 * kMin));
    QVERIFY(h.record(c, " x", Grade::Again, 61000, "review", kT0 + 11 * kMin));
    QBuffer buffer;
    QVERIFY(buffer.open(QIODevice::WriteOnly));
    QVERIFY(h.exportCsv(buffer));

    fsrs::Scheduler s(quiet().parameters());
    const fsrs::Card first = s.next({}, kT0, Grade::Good).card;
    const fsrs::Card second = s.next(first, kT0 + 10 * kMin, Grade::Easy).card;
    const fsrs::Card other = s.next({}, kT0 + 11 * kMin, Grade::Again).card;
    auto after = [](const fsrs::Card& card) {
        return QByteArray::number(card.stability, 'g', 10) + "," + QByteArray::number(card.difficulty, 'g', 10) + "," +
               QDateTime::fromMSecsSinceEpoch(card.due, Qt::UTC).toString(Qt::ISODateWithMs).toLatin1();
    };
    const QByteArray chapterColumns = "\"Greetings, \"\"formal\"\"\",\"/gone/Say \"\"hi\"\", all.qex\",";
    const QByteArray expected =
        "\xEF\xBB\xBF"
        "chapter title,chapter file,question,time,grade,seconds,stability,difficulty,due\r\n" +
        chapterColumns + "\" x\",2024-05-06T09:41:00.000Z,1,61," + after(other) + "\r\n" + chapterColumns +
        "\"hello\nthere\",2024-05-06T09:30:00.000Z,3,2.5," + after(first) + "\r\n" + chapterColumns +
        "\"hello\nthere\",2024-05-06T09:40:00.000Z,4,0.04," + after(second) + "\r\n";
    QCOMPARE(buffer.data(), expected);
}

void TestHistory::exportWriteError() {
    History h;
    QVERIFY(h.open(dbPath()).ok());
    QVERIFY(h.record(chapter("/gone/a.qex", "A", {"x"}), "x", Grade::Good, 0, "review", kT0));
    FailingDevice device(10);
    QVERIFY(device.open(QIODevice::WriteOnly));
    QVERIFY(!h.exportCsv(device));
    QVERIFY(!h.lastError().isEmpty());
}

void TestHistory::killedWhileGrading() {
    {
        History h; // the schema is in place before the child starts
        QVERIFY(h.open(dbPath()).ok());
    }
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--record-loop"), dbPath()});
    QVERIFY(child.waitForStarted());
    int confirmed = -1;
    QElapsedTimer timer;
    timer.start();
    while (confirmed < 300 && timer.elapsed() < 60000) {
        if (!child.canReadLine() && !child.waitForReadyRead(5000))
            break;
        while (child.canReadLine())
            confirmed = child.readLine().trimmed().toInt();
    }
    QVERIFY2(confirmed >= 300, qPrintable(child.readAllStandardError()));
    child.kill(); // SIGKILL, mid-grade as likely as not
    QVERIFY(child.waitForFinished());
    QCOMPARE(child.exitStatus(), QProcess::CrashExit);

    History h;
    QVERIFY2(h.open(dbPath()).ok(), qPrintable(h.status().message));
    QCOMPARE(peek(dbPath(), "PRAGMA integrity_check"), QStringLiteral("ok"));
    // Every grade the child confirmed is there; at most the one being written is lost.
    QVERIFY(h.reviewCount() >= confirmed + 1);
    const QList<QVariantList> cached = cardCache(dbPath());
    QCOMPARE(cached.size(), 5);
    QVERIFY(h.rebuild());
    QCOMPARE(cardCache(dbPath()), cached);
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--record-loop") == 0)
        return recordLoop(QString::fromLocal8Bit(argv[2]));
    if (argc == 3 && qstrcmp(argv[1], "--hold-lock") == 0)
        return holdLock(QString::fromLocal8Bit(argv[2]));
    TestHistory test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_history.moc"
