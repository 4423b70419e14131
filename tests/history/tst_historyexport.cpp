// "Export Review History...": the save dialog it asks, the file it writes whole or not at
// all, and what it says when the history or the file can't be used.
#include "appstate.h"
#include "historyexport.h"
#include "programhistory.h"
#include "testsupport.h"

#include <QProcess>
#include <QtTest>

class TestHistoryExport : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void exported();
    void cancelled();
    void notWritten_data();
    void notWritten();
    void historyUnusable();
    void diskFullReasonLost();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
};

void TestHistoryExport::init() {
    m_dir = std::make_unique<QTemporaryDir>();
    AppState::reset();
    app().homeFolder = m_dir->path();
    app().historyPathOverride = path(QStringLiteral("data/history.sqlite"));
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    history::History* h = review::programHistory();
    QVERIFY(h);
    const history::Chapter c{path(QStringLiteral("a.qex")), QStringLiteral("Lesson 1"), {"cat", "dog"}};
    const qint64 t0 = QDateTime(QDate(2024, 5, 6), QTime(9, 30), QTimeZone::utc()).toMSecsSinceEpoch();
    QVERIFY(h->record(c, QStringLiteral("cat"), fsrs::Grade::Good, 1500, QStringLiteral("study"), t0));
    QVERIFY(h->record(c, QStringLiteral("dog"), fsrs::Grade::Again, 800, QStringLiteral("study"), t0 + 60000));
}

void TestHistoryExport::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(", ")));
    review::closeProgramHistory();
    m_dialogs.reset();
    m_prompter.reset();
    m_dir.reset();
}

void TestHistoryExport::exported() {
    QObject owner;
    m_dialogs->answerFile(path(QStringLiteral("out.csv")));
    QVERIFY(review::exportReviewHistoryCommand(&owner));
    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    const FileDialogRequest& req = m_dialogs->fileRequests[0];
    QVERIFY(req.save);
    QVERIFY(req.title.isEmpty());
    QCOMPARE(req.fileName, QStringLiteral("review history.csv"));
    QCOMPARE(req.filterParts, QStringList({QStringLiteral("CSV file"), QStringLiteral("*.csv")}));
    QCOMPARE(req.filterIndex, 1);
    QCOMPARE(req.defaultExt, QStringLiteral("csv"));
    QCOMPARE(req.initDir, m_dir->path());
    QCOMPARE(req.flags, uint32_t(0x2 | 0x4)); // overwrite prompt, read-only box hidden
    QCOMPARE(req.owner, &owner);
    QFile f(path(QStringLiteral("out.csv")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QBuffer expected;
    QVERIFY(expected.open(QIODevice::WriteOnly));
    QVERIFY(review::programHistory()->exportCsv(expected));
    const QByteArray bytes = f.readAll();
    QCOMPARE(bytes, expected.data());
    QCOMPARE(bytes.count("\r\n"), 3); // the header and both reviews
    // Nothing said on success.
    QVERIFY(m_prompter->boxes.isEmpty());
}

void TestHistoryExport::cancelled() {
    m_dialogs->cancelFile();
    QVERIFY(!review::exportReviewHistoryCommand(nullptr));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY(m_prompter->boxes.isEmpty());
}

void TestHistoryExport::notWritten_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("folder is a file") << QStringLiteral("plain/out.csv");
    QTest::newRow("missing folder") << QStringLiteral("nowhere/out.csv");
    QTest::newRow("target is a folder") << QStringLiteral("folder.csv");
}

// The message of the statistics export, and the old file (if any) as it was.
void TestHistoryExport::notWritten() {
    QFETCH(QString, target);
    {
        QFile f(path(QStringLiteral("plain")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("kept");
    }
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.csv")));
    m_dialogs->answerFile(path(target));
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export review history"));
    QVERIFY(!review::exportReviewHistoryCommand(nullptr));
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    const QString prefix = QStringLiteral("The file '") + path(target) + QStringLiteral("' couldn't be written: ");
    QVERIFY2(m_prompter->boxes[0].text.startsWith(prefix), qPrintable(m_prompter->boxes[0].text));
    QVERIFY(m_prompter->boxes[0].text.size() > prefix.size());
    QVERIFY(!QFileInfo(path(target)).isFile());
    QFile plain(path(QStringLiteral("plain")));
    QVERIFY(plain.open(QIODevice::ReadOnly));
    QCOMPARE(plain.readAll(), QByteArray("kept"));
}

// A damaged history: said before any file name is asked for; nothing written.
void TestHistoryExport::historyUnusable() {
    review::closeProgramHistory();
    {
        QFile f(app().historyPathOverride);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(4096, 'x'));
    }
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export review history"));
    QVERIFY(!review::exportReviewHistoryCommand(nullptr));
    QVERIFY(m_dialogs->fileRequests.isEmpty());
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    QVERIFY2(m_prompter->boxes[0].text.startsWith(QStringLiteral("The review history can't be exported. The review "
                                                                 "history ")),
             qPrintable(m_prompter->boxes[0].text));
    QVERIFY2(m_prompter->boxes[0].text.contains(QStringLiteral("damaged")), qPrintable(m_prompter->boxes[0].text));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

// A disk that fills up half way through: the system's reason is told (not "Unknown error", as
// a short write left it), and no file is left, not even a part. Needs the right to mount a
// file system.
void TestHistoryExport::diskFullReasonLost() {
    const QString folder = path(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(folder));
    if (QProcess::execute(QStringLiteral("mount"), {"-t", "tmpfs", "-o", "size=8k", "tmpfs", folder}) != 0)
        QSKIP("a small file system can't be mounted here");
    history::History* h = review::programHistory();
    const history::Chapter c{path(QStringLiteral("b.qex")), QStringLiteral("Long"), {"q"}};
    for (int i = 0; i < 300; ++i)
        QVERIFY(h->record(c, QStringLiteral("q"), fsrs::Grade::Good, 1000, QStringLiteral("study"),
                          1700000000000 + i * 86400000LL));
    m_dialogs->answerFile(folder + QStringLiteral("/out.csv"));
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export review history"));
    const bool written = review::exportReviewHistoryCommand(nullptr);
    const QStringList left = QDir(folder).entryList(QDir::Files);
    QProcess::execute(QStringLiteral("umount"), {folder});
    QVERIFY(!written);
    QCOMPARE(m_prompter->boxes.size(), 1);
    QVERIFY2(m_prompter->boxes[0].text.endsWith(QStringLiteral("couldn't be written: No space left on device")),
             qPrintable(m_prompter->boxes[0].text));
    QCOMPARE(left, QStringList());
}

QTEST_GUILESS_MAIN(TestHistoryExport)
#include "tst_historyexport.moc"
