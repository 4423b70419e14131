// "qr2 --due": the due and new cards of each listed chapter, from a made master database and
// a made review history with a clock of the test's own; and one run of the built program
// without any window platform.
#include "appstate.h"
#include "duecounts.h"
#include "duereview.h"
#include "history.h"
#include "ivordalite.h"
#include "programhistory.h"
#include "testsupport.h"

#include <QProcess>
#include <QTimeZone>
#include <QtTest>

using fsrs::Grade;

namespace {
const QTimeZone kZone(2 * 3600); // the learner's time, two hours ahead of UTC

QDateTime at(int day, int hour, int minute) { return QDateTime(QDate(2024, 5, day), QTime(hour, minute), kZone); }

// "a1 Good 7 03:49": a grade of card a1 on the 7th of May at 03:49.
struct Grading {
    QString question;
    Grade grade;
    QDateTime time;
};
Grading parseGrading(const QString& text) {
    const QStringList f = text.split(QLatin1Char(' '));
    const QStringList names{"Again", "Hard", "Good", "Easy"};
    const QTime t = QTime::fromString(f[3], QStringLiteral("hh:mm"));
    return {f[0], Grade(names.indexOf(f[1]) + 1), at(f[2].toInt(), t.hour(), t.minute())};
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestDueCounts : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void counts_data();
    void counts();
    void files_data();
    void files();
    void dueOption_data();
    void dueOption();
    void commandLine_data();
    void commandLine();
    void missingChapterFileCreated();

private:
    // Chapter "Lesson 1" (a1 a2 a3) and an untitled chapter b.qex (b1 b2), listed in a master
    // database of the documents folder `docs`, with the scheduling choices given (-1: none).
    void makeChapters(const QString& docs, int dayStart, int perDay);
    void grade(const QString& historyPath, const QStringList& gradings);

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_a, m_b;
};

void TestDueCounts::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    AppState::reset();
    app().documentsOverride = m_dir->filePath(QStringLiteral("docs"));
    app().historyPathOverride = m_dir->filePath(QStringLiteral("history.sqlite"));
}

void TestDueCounts::cleanup() {
    review::closeProgramHistory();
    review::setNowSource({});
    m_dir.reset();
}

void TestDueCounts::makeChapters(const QString& docs, int dayStart, int perDay) {
    QVERIFY(QDir().mkpath(docs + QStringLiteral("/Quarnel")));
    m_a = writeChapter(m_dir->filePath(QStringLiteral("a.qex")), QStringLiteral("Lesson 1"),
                       {{"a1", "x"}, {"a2", "y"}, {"a3", "z"}});
    m_b = writeChapter(m_dir->filePath(QStringLiteral("b.qex")), QString(), {{"b1", "x"}, {"b2", "y"}});
    ivordalite master;
    QVERIFY(master.mount(docs + QStringLiteral("/Quarnel/sys.qex"), false));
    master.add(QStringLiteral("flist_count"), QString(), 2, QString());
    master.add(QStringLiteral("flist_name_1"), m_a, 0, QString());
    master.add(QStringLiteral("flist_name_2"), m_b, 0, QString());
    if (dayStart >= 0)
        master.add(QStringLiteral("review_day_start"), QString(), dayStart, QStringLiteral("options"));
    if (perDay >= 0)
        master.add(QStringLiteral("review_new_per_day"), QString(), perDay, QStringLiteral("options"));
    QVERIFY(master.save());
    master.unmount();
}

void TestDueCounts::grade(const QString& historyPath, const QStringList& gradings) {
    history::History h;
    history::Settings quiet;
    quiet.fuzz = false;
    h.setSettings(quiet);
    QVERIFY(h.open(historyPath).ok());
    const history::Chapter a{m_a, QStringLiteral("Lesson 1"), {"a1", "a2", "a3"}};
    const history::Chapter b{m_b, QStringLiteral("b.qex"), {"b1", "b2"}};
    for (const QString& text : gradings) {
        const Grading g = parseGrading(text);
        QVERIFY(h.record(g.question.startsWith('a') ? a : b, g.question, g.grade, 1000, QStringLiteral("study"),
                         g.time.toMSecsSinceEpoch()));
    }
}

// Again comes back in a minute, Good in ten (learning steps), Easy in days.
void TestDueCounts::counts_data() {
    QTest::addColumn<int>("dayStart"); // -1: not stored (4:00)
    QTest::addColumn<int>("perDay");   // -1: not stored (20)
    QTest::addColumn<QStringList>("gradings");
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("nothing reviewed") << -1 << -1 << QStringList{} << at(7, 10, 0)
                                      << QStringList{"Lesson 1: 0 due, 3 new", "b.qex: 0 due, 2 new",
                                                     "Total: 0 due, 5 new"};
    QTest::newRow("some due") << -1 << -1 << QStringList{"a1 Again 7 09:00", "a2 Easy 7 09:00", "b1 Good 7 09:50"}
                              << at(7, 9, 55)
                              << QStringList{"Lesson 1: 1 due, 1 new", "b.qex: 1 due, 1 new", "Total: 2 due, 2 new"};
    QTest::newRow("due 04:05 is tomorrow when the day begins at 4:00")
        << 4 << -1 << QStringList{"a1 Good 7 03:55"} << at(7, 3, 58)
        << QStringList{"Lesson 1: 0 due, 2 new", "b.qex: 0 due, 2 new", "Total: 0 due, 4 new"};
    QTest::newRow("due 04:05 is today when the day begins at 5:00")
        << 5 << -1 << QStringList{"a1 Good 7 03:55"} << at(7, 3, 58)
        << QStringList{"Lesson 1: 1 due, 2 new", "b.qex: 0 due, 2 new", "Total: 1 due, 4 new"};
    const QStringList twoBefore4{"a1 Easy 7 03:50", "a2 Easy 7 03:50"};
    QTest::newRow("new cards of 03:50 count for the day before 4:00")
        << 4 << 2 << twoBefore4 << at(7, 4, 0)
        << QStringList{"Lesson 1: 0 due, 1 new", "b.qex: 0 due, 1 new", "Total: 0 due, 2 new"};
    QTest::newRow("03:59 is still the day of 03:50")
        << 4 << 2 << twoBefore4 << at(7, 3, 59)
        << QStringList{"Lesson 1: 0 due, 0 new", "b.qex: 0 due, 0 new", "Total: 0 due, 0 new"};
    QTest::newRow("a day from midnight holds both")
        << 0 << 2 << twoBefore4 << at(7, 4, 0)
        << QStringList{"Lesson 1: 0 due, 0 new", "b.qex: 0 due, 0 new", "Total: 0 due, 0 new"};
    QTest::newRow("limit 4 of 5") << -1 << 4 << QStringList{} << at(7, 10, 0)
                                  << QStringList{"Lesson 1: 0 due, 3 new", "b.qex: 0 due, 1 new",
                                                 "Total: 0 due, 4 new"};
    QTest::newRow("limit 0") << -1 << 0 << QStringList{} << at(7, 10, 0)
                             << QStringList{"Lesson 1: 0 due, 0 new", "b.qex: 0 due, 0 new", "Total: 0 due, 0 new"};
    QTest::newRow("limit 3, one taken today")
        << -1 << 3 << QStringList{"b1 Easy 7 09:00"} << at(7, 10, 0)
        << QStringList{"Lesson 1: 0 due, 2 new", "b.qex: 0 due, 0 new", "Total: 0 due, 2 new"};
    QTest::newRow("limit 3, one taken yesterday")
        << -1 << 3 << QStringList{"b1 Easy 6 09:00"} << at(7, 10, 0)
        << QStringList{"Lesson 1: 0 due, 3 new", "b.qex: 0 due, 0 new", "Total: 0 due, 3 new"};
}

void TestDueCounts::counts() {
    QFETCH(int, dayStart);
    QFETCH(int, perDay);
    QFETCH(QStringList, gradings);
    QFETCH(QDateTime, now);
    QFETCH(QStringList, expected);
    makeChapters(app().documentsOverride, dayStart, perDay);
    grade(app().historyPathOverride, gradings);
    review::setNowSource([now] { return now; });
    const QString master = app().documentsOverride + QStringLiteral("/Quarnel/sys.qex");
    const QByteArray before = readAll(master);
    const QDateTime modified = QFileInfo(master).lastModified();
    const DueReport r = dueReport();
    QCOMPARE(r.lines, expected);
    QCOMPARE(r.warning, QString());
    QCOMPARE(r.exitCode, 0);
    // Looked at, never written.
    QCOMPARE(readAll(master), before);
    QCOMPARE(QFileInfo(master).lastModified(), modified);
    QVERIFY(!app().master);
    QVERIFY(!QFileInfo::exists(app().documentsOverride + QStringLiteral("/Quarnel/.qr2.lock")));
}

// What is there and what is not: nothing is created, every problem is said.
void TestDueCounts::files_data() {
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("warning"); // its start
    QTest::addColumn<int>("exitCode");
    const QStringList allNew{"Lesson 1: 0 due, 3 new", "b.qex: 0 due, 2 new", "Total: 0 due, 5 new"};
    const QStringList none{"No chapters are listed yet."};
    QTest::newRow("no sys.qex") << "no master" << none << "" << 0;
    QTest::newRow("empty chapter list") << "empty list" << none << "" << 0;
    QTest::newRow("listed chapter gone") << "chapter gone"
                                         << QStringList{"b.qex: 0 due, 2 new", "Total: 0 due, 2 new"} << "" << 0;
    QTest::newRow("no history yet") << "no history" << allNew << "" << 0;
    QTest::newRow("history damaged")
        << "history damaged" << allNew << "The review history can't be used, so every card counts as new: The review "
        << 0;
    QTest::newRow("entry 0, as the chapter window reads it")
        << "entry 0" << QStringList{"b.qex: 0 due, 2 new", "Lesson 1: 0 due, 3 new", "Total: 0 due, 5 new"} << ""
        << 0;
    QTest::newRow("sys.qex is a folder") << "master folder" << QStringList{} << "The chapter list can't be read: " << 1;
}

void TestDueCounts::files() {
    QFETCH(QString, situation);
    QFETCH(QStringList, expected);
    QFETCH(QString, warning);
    QFETCH(int, exitCode);
    const QString docs = app().documentsOverride;
    const QString master = docs + QStringLiteral("/Quarnel/sys.qex");
    const QString historyPath = app().historyPathOverride;
    if (situation == QLatin1String("master folder")) {
        QVERIFY(QDir().mkpath(master));
    } else if (situation == QLatin1String("empty list")) {
        QVERIFY(QDir().mkpath(docs + QStringLiteral("/Quarnel")));
        ivordalite store;
        QVERIFY(store.mount(master, false));
        store.add(QStringLiteral("flist_count"), QString(), 0, QString());
        QVERIFY(store.save());
    } else if (situation != QLatin1String("no master")) {
        makeChapters(docs, -1, -1);
        if (situation == QLatin1String("chapter gone"))
            QVERIFY(QFile::remove(m_a));
        if (situation == QLatin1String("entry 0")) {
            ivordalite store;
            QVERIFY(store.mount(master, false));
            store.add(QStringLiteral("flist_name_0"), m_b, 0, QString());
            store.add(QStringLiteral("flist_name_2"), QString(), 0, QString());
            QVERIFY(store.save());
        }
        if (situation == QLatin1String("history damaged")) {
            QFile f(historyPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
    }
    const QByteArray historyBefore = readAll(historyPath);
    const DueReport r = dueReport();
    QCOMPARE(r.lines, expected);
    QVERIFY2(warning.isEmpty() ? r.warning.isEmpty() : r.warning.startsWith(warning), qPrintable(r.warning));
    QCOMPARE(r.exitCode, exitCode);
    // Nothing made: no home folder, no database, no history, no chapter in place of a gone one.
    QCOMPARE(QFileInfo::exists(docs), situation != QLatin1String("no master"));
    QCOMPARE(QFileInfo::exists(master), situation != QLatin1String("no master"));
    QCOMPARE(QFileInfo::exists(historyPath), situation == QLatin1String("history damaged"));
    QCOMPARE(readAll(historyPath), historyBefore);
    if (situation == QLatin1String("chapter gone"))
        QVERIFY(!QFileInfo::exists(m_a));
}

void TestDueCounts::dueOption_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("due");
    QTest::newRow("nothing") << QStringList{"qr2"} << false;
    QTest::newRow("--due") << QStringList{"qr2", "--due"} << true;
    QTest::newRow("after another") << QStringList{"qr2", "show_console", "--due"} << true;
    QTest::newRow("a file after --") << QStringList{"qr2", "--", "--due"} << false;
    QTest::newRow("no prefix match") << QStringList{"qr2", "--dues"} << false;
    QTest::newRow("program name is not a switch") << QStringList{"--due"} << false;
}

void TestDueCounts::dueOption() {
    QFETCH(QStringList, args);
    QFETCH(bool, due);
    QCOMPARE(hasDueOption(args), due);
}

// The built program, with a home of the test's own and no display of any kind.
void TestDueCounts::commandLine_data() {
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("two chapters, one card due") << true
                                                << QByteArray("Lesson 1: 1 due, 2 new\nb.qex: 0 due, 2 new\n"
                                                              "Total: 1 due, 4 new\n");
    QTest::newRow("nothing listed") << false << QByteArray("No chapters are listed yet.\n");
}

void TestDueCounts::commandLine() {
    QFETCH(bool, listed);
    QFETCH(QByteArray, expected);
    const QString home = m_dir->filePath(QStringLiteral("home"));
    const QString docs = home + QStringLiteral("/Documents");
    QVERIFY(QDir().mkpath(home));
    if (listed) {
        makeChapters(docs, -1, -1);
        // Graded Again two hours ago: overdue whatever the time of day.
        history::History h;
        QVERIFY(h.open(m_dir->filePath(QStringLiteral("data/Orvandel/qr2/history.sqlite"))).ok());
        QVERIFY(h.record({m_a, QStringLiteral("Lesson 1"), {"a1", "a2", "a3"}}, QStringLiteral("a1"), Grade::Again,
                         1000, QStringLiteral("study"), QDateTime::currentMSecsSinceEpoch() - 2 * 3600 * 1000));
    }
    const QString master = docs + QStringLiteral("/Quarnel/sys.qex");
    const QByteArray before = readAll(master);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DOCUMENTS_DIR"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_dir->filePath(QStringLiteral("data")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir->filePath(QStringLiteral("config")));
    QProcess qr2;
    qr2.setProcessEnvironment(env);
    qr2.start(QStringLiteral(QUARNEL_BIN_DIR "/qr2"), {QStringLiteral("--due")});
    QVERIFY(qr2.waitForFinished(60000));
    const QByteArray err = qr2.readAllStandardError();
    QCOMPARE(qr2.exitStatus(), QProcess::NormalExit);
    QVERIFY2(qr2.exitCode() == 0, err.constData());
    QCOMPARE(qr2.readAllStandardOutput(), expected);
    QVERIFY2(err.isEmpty(), err.constData());
    QCOMPARE(readAll(master), before);
    QCOMPARE(QFileInfo::exists(docs), listed);
    QVERIFY(!QFileInfo::exists(docs + QStringLiteral("/Quarnel/.qr2.lock")));
}

// A chapter file of the list that was deleted or moved away: reading it for a review or its
// counts found nothing, but left an empty file of that name behind.
void TestDueCounts::missingChapterFileCreated() {
    const QString gone = m_dir->filePath(QStringLiteral("gone.qex"));
    QVERIFY(!review::readChapterCards({gone, QStringLiteral("Gone")}));
    QVERIFY(!QFileInfo::exists(gone));
    const history::DueDeck due = review::countDue({{gone, QStringLiteral("Gone")}});
    QCOMPARE(due.perChapter.size(), 1);
    QCOMPARE(due.freshTotal, 0);
    QVERIFY(!QFileInfo::exists(gone));
}

QTEST_GUILESS_MAIN(TestDueCounts)
#include "tst_duecounts.moc"
