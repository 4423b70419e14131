// The renames a save of the editor makes in the review history, without windows: the order
// and the temporary fronts of the plan, what a real history holds afterwards, and a history
// that cannot be used, which must stay exactly as it was.
#include "history.h"
#include "questionrenames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <sys/wait.h>
#include <unistd.h>

using qredit::QuestionRename;
using qredit::TrackedQuestion;

namespace {
constexpr qint64 kT0 = 1767225600000; // 2026-01-01 UTC
const QString kChapter = QStringLiteral("/lessons/one.qex");

// "A>B,C>C": each card's front in the file, then now.
QVector<TrackedQuestion> cards(const QString& text) {
    QVector<TrackedQuestion> out;
    for (const QString& pair : text.split(u',', Qt::SkipEmptyParts))
        out.append({pair.section(u'>', 0, 0), pair.section(u'>', 1)});
    return out;
}

QString planText(const QVector<QuestionRename>& plan) {
    QStringList out;
    for (const QuestionRename& r : plan)
        out.append(r.from + u'>' + r.to);
    return out.join(u',');
}

// "A=2,B=1": a chapter whose cards have that many reviews each.
void seed(const QString& path, const QString& counts) {
    history::History h;
    QVERIFY(h.open(path).ok());
    const QStringList pairs = counts.split(u',', Qt::SkipEmptyParts);
    history::Chapter c{kChapter, QStringLiteral("One"), {}};
    for (const QString& p : pairs)
        c.questions.append(p.section(u'=', 0, 0));
    qint64 t = kT0;
    for (const QString& p : pairs)
        for (int i = 0; i < p.section(u'=', 1).toInt(); ++i)
            QVERIFY(h.record(c, p.section(u'=', 0, 0), fsrs::Grade::Good, 1000, QStringLiteral("review"),
                             t += 3600000));
}

// The reviews of every card of the chapter, "A=2,B=1" sorted by front.
QString counts(const QString& path) {
    history::History h;
    if (!h.open(path).ok())
        return QStringLiteral("(not open)");
    QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
    QStringList out;
    {
        d.setDatabaseName(path);
        d.open();
        QSqlQuery q(d);
        q.exec(QStringLiteral("SELECT cards.question, count(reviews.id) FROM cards JOIN reviews ON reviews.card = "
                              "cards.id GROUP BY cards.id ORDER BY cards.question"));
        while (q.next())
            out.append(q.value(0).toString() + u'=' + q.value(1).toString());
        d.close();
    }
    d = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("peek"));
    return out.join(u',');
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(missing)");
}
} // namespace

class TestRenames : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString dbPath() const { return m_dir->filePath(QStringLiteral("data/history.sqlite")); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // The study program and the editor set names of their own; both must find one history,
    // where the study program keeps it (QStandardPaths::AppDataLocation under its names).
    void historyPathSameForBothPrograms() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setOrganizationName(QString());
        QCoreApplication::setApplicationName(QStringLiteral("qredit"));
        const QString editors = history::History::defaultPath();
        QCoreApplication::setOrganizationName(QStringLiteral("Orvandel"));
        QCoreApplication::setApplicationName(QStringLiteral("qr2"));
        const QString studys = history::History::defaultPath();
        const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QCOMPARE(editors, studys);
        QCOMPARE(studys, appData + QStringLiteral("/history.sqlite"));
    }

    void plan_data() {
        QTest::addColumn<QString>("cards");
        QTest::addColumn<QString>("plan");
        QTest::newRow("nothing renamed") << "A>A,B>B" << "";
        QTest::newRow("one rename") << "A>X,B>B" << "A>X";
        QTest::newRow("a chain waits for its target") << "A>B,B>C" << "B>C,A>B";
        QTest::newRow("a longer chain") << "A>B,B>C,C>D" << "C>D,B>C,A>B";
        QTest::newRow("swapped fronts") << "A>B,B>A" << "A>~1,B>A,~1>B";
        QTest::newRow("three in a circle") << "A>B,B>C,C>A" << "A>~1,C>A,B>C,~1>B";
        QTest::newRow("two swaps") << "A>B,B>A,C>D,D>C" << "A>~1,B>A,~1>B,C>~2,D>C,~2>D";
        // The card nobody's front points at would free nothing by stepping aside.
        QTest::newRow("a chain into a swap") << "X>A,A>B,B>A" << "A>~1,X>A,B>A,~1>B";
        QTest::newRow("onto a front another card keeps") << "A>B,B>B" << "A>B";
        QTest::newRow("two fronts made one") << "A>C,B>C" << "A>C,B>C";
        QTest::newRow("a card made two") << "A>B,A>C" << "";
        QTest::newRow("a copy renamed, the card kept") << "A>B,A>A" << "";
        QTest::newRow("both copies renamed alike") << "A>B,A>B" << "A>B";
        QTest::newRow("no cards") << "" << "";
    }
    void plan() {
        QFETCH(QString, cards);
        QFETCH(QString, plan);
        QCOMPARE(planText(qredit::renamePlan(::cards(cards), QStringLiteral("~"))), plan);
    }

    // What the history holds after the renames of one save.
    void recorded_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("cards");
        QTest::addColumn<QString>("after");
        QTest::newRow("renamed") << "A=1,B=2" << "A>X,B>B" << "B=2,X=1";
        QTest::newRow("swapped") << "A=1,B=2" << "A>B,B>A" << "A=2,B=1";
        QTest::newRow("swapped, one without a history") << "A=1" << "A>B,B>A" << "B=1";
        QTest::newRow("three in a circle") << "A=1,B=2,C=3" << "A>B,B>C,C>A" << "A=3,B=1,C=2";
        QTest::newRow("chain") << "A=1,B=2" << "A>B,B>C" << "B=1,C=2";
        QTest::newRow("onto a kept front: one card") << "A=1,B=2" << "A>B,B>B" << "B=3";
        QTest::newRow("onto a deleted card's front") << "A=1,B=2" << "A>B" << "B=3";
        QTest::newRow("a card without a history") << "B=2" << "A>B,B>C" << "C=2";
        QTest::newRow("a card made two: left alone") << "A=1" << "A>B,A>C" << "A=1";
        QTest::newRow("nothing renamed") << "A=1" << "A>A" << "A=1";
    }
    void recorded() {
        QFETCH(QString, before);
        QFETCH(QString, cards);
        QFETCH(QString, after);
        seed(dbPath(), before);
        const qredit::RenameOutcome out = qredit::recordRenames(dbPath(), kChapter, ::cards(cards));
        QCOMPARE(out.problem, QString());
        QVERIFY(!out.pending);
        QCOMPARE(counts(dbPath()), after);
    }

    // Without a history file no card has a history: nothing is opened or made.
    void noHistoryFile_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing file") << "history.sqlite";
        QTest::newRow("missing folder") << "new/folder/history.sqlite";
        QTest::newRow("no data folder") << "";
    }
    void noHistoryFile() {
        QFETCH(QString, path);
        const QString full = path.isEmpty() ? path : m_dir->filePath(path);
        const qredit::RenameOutcome out = qredit::recordRenames(full, kChapter, cards("A>B"));
        QVERIFY(!out.attempted && !out.pending && out.problem.isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    // A chapter the history has never seen, or no front changed: the file stays as it was.
    void nothingToMove() {
        seed(dbPath(), "A=1");
        const QByteArray before = bytesOf(dbPath());
        QVERIFY(!qredit::recordRenames(dbPath(), kChapter, cards("A>A,B>B")).attempted);
        const qredit::RenameOutcome other = qredit::recordRenames(dbPath(), "/lessons/two.qex", cards("A>B"));
        QVERIFY(other.attempted && other.problem.isEmpty());
        QCOMPARE(counts(dbPath()), QStringLiteral("A=1"));
        QCOMPARE(bytesOf(dbPath()), before);
    }

    // A write refused halfway (here by a trigger): the renames made before it go back, up to
    // a merge, and stay to be made; the next save makes what is left.
    void writeRefusedHalfway_data() {
        QTest::addColumn<QString>("refused"); // the rename the history refuses, "from>to"
        QTest::addColumn<QString>("cards");
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("retried");
        QTest::newRow("swap: the aside card back") << "B>A" << "A>B,B>A" << "A=1,B=2,C=3" << "A=2,B=1,C=3";
        QTest::newRow("swap: the last step refused") << "~>B" << "A>B,B>A" << "A=1,B=2,C=3" << "A=2,B=1,C=3";
        QTest::newRow("circle: a middle step refused") << "B>C" << "A>B,B>C,C>A" << "A=1,B=2,C=3"
                                                       << "A=3,B=1,C=2";
        QTest::newRow("chain: the first step taken back") << "A>B" << "A>B,B>D" << "A=1,B=2,C=3" << "B=1,C=3,D=2";
        // A merge cannot be taken back: what came before it stays made.
        QTest::newRow("after a merge") << "B>D" << "A>C,B>D" << "B=2,C=4" << "C=4,D=2";
        QTest::newRow("the first refused") << "A>X" << "A>X,B>Y" << "A=1,B=2,C=3" << "C=3,X=1,Y=2";
    }
    void writeRefusedHalfway() {
        QFETCH(QString, refused);
        QFETCH(QString, cards);
        QFETCH(QString, after);
        QFETCH(QString, retried);
        seed(dbPath(), "A=1,B=2,C=3");
        const QString from = refused.section(u'>', 0, 0);
        const QString to = refused.section(u'>', 1);
        // "~" stands for the temporary front.
        const QString when = (from == "~" ? QStringLiteral("substr(OLD.question, 1, 1) = char(1)")
                                          : QStringLiteral("OLD.question = '%1'").arg(from)) +
                             QStringLiteral(" AND NEW.question = '%1'").arg(to);
        auto trigger = [&](const QString& statement) {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("trigger"));
            d.setDatabaseName(dbPath());
            QVERIFY(d.open());
            QSqlQuery q(d);
            QVERIFY2(q.exec(statement), qPrintable(q.lastError().text()));
            q = QSqlQuery();
            d.close();
            d = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("trigger"));
        };
        trigger(QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE OF question ON cards WHEN %1 "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END")
                    .arg(when));
        qredit::RenameOutcome out = qredit::recordRenames(dbPath(), kChapter, ::cards(cards));
        QVERIFY(out.attempted && out.pending);
        QCOMPARE(out.problem, QStringLiteral("The review history did not follow the renamed fronts: it could not "
                                             "be written."));
        QCOMPARE(counts(dbPath()), after);
        trigger(QStringLiteral("DROP TRIGGER refuse"));
        out = qredit::recordRenames(dbPath(), kChapter, ::cards(cards));
        QVERIFY(!out.pending && out.problem.isEmpty());
        QCOMPARE(counts(dbPath()), retried);
    }

    // A history that cannot be used is left byte for byte; the outcome says why in a line and
    // keeps the renames for the next save.
    void unusableHistory_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("damaged") << "damaged" << "it is damaged";
        QTest::newRow("newer version") << "newer" << "a newer version of the program wrote it";
        QTest::newRow("locked") << "locked" << "in use by another program";
        QTest::newRow("a folder in its place") << "folder" << "it cannot be opened";
        QTest::newRow("read-only") << "readonly" << "it is read-only";
    }
    void unusableHistory() {
        QFETCH(QString, kind);
        QFETCH(QString, why);
        seed(dbPath(), "A=1,B=2");
        const QString folder = QFileInfo(dbPath()).absolutePath();
        QSqlDatabase holder;
        if (kind == "damaged") {
            QFile f(dbPath());
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.resize(f.size() / 2 + 1));
        } else if (kind == "newer") {
            QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
            d.setDatabaseName(dbPath());
            QVERIFY(d.open());
            QVERIFY(QSqlQuery(d).exec(QStringLiteral("PRAGMA user_version=%1").arg(history::History::kSchemaVersion + 1)));
            d.close();
            d = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("newer"));
        } else if (kind == "locked") {
            holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
            holder.setDatabaseName(dbPath());
            QVERIFY(holder.open());
            QSqlQuery q(holder);
            QVERIFY(q.exec(QStringLiteral("PRAGMA locking_mode=EXCLUSIVE")));
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QVERIFY(q.exec(QStringLiteral("SELECT count(*) FROM cards")));
        } else if (kind == "folder") {
            QVERIFY(QDir(folder).removeRecursively());
            QVERIFY(QDir().mkpath(dbPath()));
        }
        const QByteArray before = bytesOf(dbPath());
        auto attempt = [&] {
            const qredit::RenameOutcome out = qredit::recordRenames(dbPath(), kChapter, cards("A>B,B>A"));
            return out.attempted && out.pending && out.problem.contains(why) && !out.problem.contains(u'\n');
        };
        bool said = false;
        if (kind == "readonly") {
            QVERIFY(QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                      QFile::ExeOther));
            QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                             QFile::ReadOther | QFile::ExeOther));
            QVERIFY(QFile::setPermissions(dbPath(), QFile::ReadOwner | QFile::ReadOther));
            if (geteuid() != 0) {
                said = attempt();
            } else {
                // Permissions do not hold root back: the attempt runs as an ordinary user.
                const pid_t pid = fork();
                if (pid == 0) {
                    if (setgid(65534) != 0 || setuid(65534) != 0)
                        _exit(255);
                    _exit(attempt() ? 1 : 0);
                }
                int ws = 0;
                QCOMPARE(waitpid(pid, &ws, 0), pid);
                QVERIFY(WIFEXITED(ws) && WEXITSTATUS(ws) != 255);
                said = WEXITSTATUS(ws) == 1;
            }
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        } else {
            said = attempt();
        }
        QVERIFY2(said, "the outcome does not say why in one line, or drops the renames");
        QCOMPARE(bytesOf(dbPath()), before);
        if (holder.isValid()) {
            holder.close();
            holder = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("holder"));
            QCOMPARE(counts(dbPath()), QStringLiteral("A=1,B=2"));
        }
    }
};

QTEST_GUILESS_MAIN(TestRenames)
#include "tst_renames.moc"
