// Writes that fail, for every writer of both programs: the master database, chapter files
// (the editor's save), word lists (the editor's export), progress files, the statistics
// export and the updater file. Tests run
// as root, so permission bits stop nothing; the faults here stop root as well:
//  - a full disk: RLIMIT_FSIZE below the size of the new file (the write fails with EFBIG
//    part-way, as on a full file system);
//  - a folder removed between opening a document and saving it;
//  - a file turned into a folder between opening and saving.
// Each time the file on disk is the old one, byte for byte, or (once the fault is gone) the
// complete new one, never a mix; nothing is left beside it; and the user is told, by a
// message box or a log line.
#include "appstate.h"
#include "cardlistmodel.h"
#include "chapterfile.h"
#include "deck.h"
#include "editorwindow.h"
#include "frmchapter.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "modmain.h"
#include "progressfile.h"
#include "statistics.h"
#include "testsupport.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

using qredit::CardRow;

namespace {

// While it lives, no file of this process can grow past `bytes`: a write past it fails
// with "File too large" instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = m_old;
        r.rlim_cur = bytes;
        m_active = setrlimit(RLIMIT_FSIZE, &r) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    bool active() const { return m_active; }

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
    bool m_active = false;
};

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// What a folder holds, less the study program's instance lock (held while it runs).
QStringList entriesIn(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    names.removeAll(QStringLiteral(".qr2.lock"));
    return names;
}

// The names of the visible entries of a store file; empty when it does not mount.
QStringList storeKeys(const QString& path) {
    QStringList out;
    ivordalite s;
    if (!ivordalite::fe(path) || !s.mount(path, false))
        return out;
    for (int i = s.lb(); i <= s.ub(); ++i) {
        QString name, value, tag;
        bool isstring = false;
        qint32 number = 0;
        s.ienum(qint16(i), name, isstring, value, number, tag);
        out.append(name);
    }
    return out;
}

QVector<Card> cards(int n) {
    QVector<Card> d;
    for (int i = 0; i < n; ++i) {
        Card c;
        c.question = QStringLiteral("Frage %1").arg(i);
        c.answer = QStringLiteral("question %1").arg(i);
        c.tag = QStringLiteral("qre_word");
        c.chaptertitle = QStringLiteral("Lesson");
        c.trouble = -1;
        d.append(c);
    }
    d.append(Card());
    return d;
}

QVector<CardRow> rowsFrom(int from, int n) {
    QVector<CardRow> rows;
    for (int i = from; i < from + n; ++i)
        rows.append({QStringLiteral("Wort %1").arg(i), QStringLiteral("word %1").arg(i)});
    return rows;
}

const QRegularExpression kStoreSaveFailed(QStringLiteral("^   \\.\\. error description: .+/n$"));

} // namespace

enum class Writer { Master, Chapter, Progress, Statistics, Updater, WordList, LargeWordList };
Q_DECLARE_METATYPE(Writer)

class TestFaults : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tmp;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RecordingShell> m_shell;
    std::unique_ptr<LogRecorder> m_log;
    std::unique_ptr<qredit::EditorWindow> m_editor;
    QString m_docs, m_prog;

    QString home() const { return m_docs + QStringLiteral("/Quarnel"); }
    QString master() const { return home() + QStringLiteral("/sys.qex"); }

    // One start of the study program against the temporary folders, without windows.
    void startStudyProgram() {
        AppState::reset();
        app().documentsOverride = m_docs;
        app().programFolderOverride = m_prog;
        app().hooks.quitProcess = [](int) {};
        Main();
        QVERIFY(app().master && app().master->isMounted());
    }

    // The editor with `rows`, saved as `file` (which becomes its current file).
    void editorWith(const QVector<CardRow>& rows, const QString& file) {
        m_editor = std::make_unique<qredit::EditorWindow>();
        for (const CardRow& r : rows)
            QVERIFY(m_editor->PutRow(r.question, r.answer, -1, false));
        m_dialogs->answerFile(file);
        QVERIFY(m_editor->SaveDeck());
        QVERIFY(!m_editor->isModified());
    }

    QString pathFor(Writer w) const {
        switch (w) {
        case Writer::Master:
            return master();
        case Writer::Chapter:
            return m_tmp->filePath(QStringLiteral("work/chapter.qex"));
        case Writer::Progress:
            return m_tmp->filePath(QStringLiteral("work/run.qrs"));
        case Writer::Statistics:
            return m_tmp->filePath(QStringLiteral("work/stats.txt"));
        case Writer::Updater:
            return m_prog + QStringLiteral("/qr2.upd");
        case Writer::WordList:
        case Writer::LargeWordList:
            return m_tmp->filePath(QStringLiteral("work/words.csv"));
        }
        return {};
    }
    // Rows the new word list gets: more than the write buffer of a file holds, for the large one.
    static int newWords(Writer w) { return w == Writer::LargeWordList ? 2000 : 20; }
    static int newCards(Writer w) {
        return w == Writer::WordList || w == Writer::LargeWordList ? newWords(w) : 20;
    }

    // Writes the old file of `w` the way the program does.
    void writeOld(Writer w) {
        const QString path = pathFor(w);
        switch (w) {
        case Writer::Master:
            startStudyProgram(); // first use writes the default chapter list
            break;
        case Writer::Chapter:
            editorWith(rowsFrom(0, 3), path);
            break;
        case Writer::Progress:
            deck = cards(3);
            m_dialogs->answerFile(path);
            SaveProgress(nullptr);
            break;
        case Writer::Statistics:
            deck = cards(3);
            QVERIFY(WriteStatistics(path, nullptr));
            break;
        case Writer::Updater: {
            // The file an older version left: smaller than the one this version writes.
            ivordalite old;
            QVERIFY(old.mount(path, false));
            old.add(QStringLiteral("app_title"), QStringLiteral("qr2"), 0, QString());
            QVERIFY(old.save());
            break;
        }
        case Writer::WordList:
        case Writer::LargeWordList:
            editorWith(rowsFrom(0, 3), pathFor(Writer::Chapter));
            QVERIFY(m_editor->exportFile(path));
            break;
        }
        QVERIFY(QFileInfo(path).isFile());
    }

    // Makes the next write of `w` bigger than the old file, then writes; `again` repeats the
    // write of the same new content.
    void writeNew(Writer w, bool again = false) {
        const QString path = pathFor(w);
        switch (w) {
        case Writer::Master:
            // The shutdown adds the options and saves.
            ShutdownSystem(0, false);
            break;
        case Writer::Chapter:
            if (!again)
                for (const CardRow& r : rowsFrom(100, 20))
                    QVERIFY(m_editor->PutRow(r.question, r.answer, -1, false));
            m_editor->SaveDeck();
            break;
        case Writer::Progress:
            deck = cards(60);
            m_dialogs->answerFile(path);
            SaveProgress(nullptr);
            break;
        case Writer::Statistics:
            deck = cards(60);
            WriteStatistics(path, nullptr);
            break;
        case Writer::Updater:
            WriteUpdaterFile();
            break;
        case Writer::WordList:
        case Writer::LargeWordList:
            if (!again)
                for (const CardRow& r : rowsFrom(100, newCards(w)))
                    QVERIFY(m_editor->PutRow(r.question, r.answer, -1, false));
            m_editor->exportFile(path);
            break;
        }
    }

    // The complete new file of `w` is on disk.
    void verifyNew(Writer w) {
        const QString path = pathFor(w);
        switch (w) {
        case Writer::Master: {
            const QStringList keys = storeKeys(path);
            QVERIFY(keys.contains(QStringLiteral("flist_count")));
            QVERIFY(keys.contains(QStringLiteral("show_mouse_hover")));
            QVERIFY(keys.contains(QStringLiteral("trouble_by_default")));
            QCOMPARE(QFileInfo(path).size(), qint64(keys.size() + 2) * 128);
            break;
        }
        case Writer::Chapter: {
            QVector<CardRow> rows;
            QString title, error;
            QCOMPARE(qredit::loadChapter(path, rows, title, error), qredit::LoadResult::Loaded);
            QCOMPARE(rows, rowsFrom(0, 3) + rowsFrom(100, 20));
            QVERIFY(!m_editor->isModified());
            break;
        }
        case Writer::Progress: {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            ProgressData data;
            QString error;
            QVERIFY2(readProgress(f, data, &error), qPrintable(error));
            QCOMPARE(data.n, qint16(60));
            QCOMPARE(data.cards.value(59).question, QStringLiteral("Frage 59"));
            QVERIFY(f.atEnd());
            break;
        }
        case Writer::Statistics: {
            const QByteArray bytes = bytesOf(path);
            QVERIFY(bytes.startsWith("QUARNEL STATISTICS FILE\r\n"));
            QCOMPARE(bytes.count("\r\n"), 6 + 60);
            QVERIFY(bytes.endsWith("Lesson\r\n"));
            break;
        }
        case Writer::Updater:
            QCOMPARE(storeKeys(path), (QStringList{QStringLiteral("app_title"), QStringLiteral("app_current_version"),
                                                   QStringLiteral("app_desc")}));
            QCOMPARE(QFileInfo(path).size(), qint64(5 * 128));
            break;
        case Writer::WordList:
        case Writer::LargeWordList: {
            const QByteArray bytes = bytesOf(path);
            QVERIFY(bytes.startsWith("\xEF\xBB\xBF" "Front,Back\r\nWort 0,word 0\r\n"));
            QCOMPARE(bytes.count("\r\n"), 4 + newCards(w));
            QVERIFY(bytes.endsWith(QStringLiteral("Wort %1,word %1\r\n").arg(99 + newCards(w)).toUtf8()));
            break;
        }
        }
    }

    // How the user learns that the write failed: the box's title, or a log line.
    void verifyTold(Writer w, int boxesBefore, int logBefore) {
        const QStringList log = m_log->lines.mid(logBefore);
        const QList<RecordedBox> boxes = m_prompter->boxes.mid(boxesBefore);
        auto box = [&](const QString& title, const QString& prefix) {
            QCOMPARE(boxes.size(), 1);
            QCOMPARE(boxes[0].title, title);
            QCOMPARE(boxes[0].icon, MsgIcon::Exclamation);
            QVERIFY2(boxes[0].text.startsWith(prefix), qPrintable(boxes[0].text));
            // The system's reason follows.
            QVERIFY2(boxes[0].text.size() > prefix.size() + 2, qPrintable(boxes[0].text));
        };
        switch (w) {
        case Writer::Master:
            box(QStringLiteral("Settings Not Saved"),
                QStringLiteral("The settings file '%1' couldn't be saved: ").arg(pathFor(w)));
            QVERIFY2(
                log.contains(QStringLiteral("   .. an error was encountered whilst attempting to save this file/n")),
                qPrintable(log.join(u'|')));
            QVERIFY(!log.filter(kStoreSaveFailed).isEmpty());
            break;
        case Writer::Chapter:
            box(QStringLiteral("Can't save file"), QStringLiteral("The file '%1' couldn't be saved: ").arg(pathFor(w)));
            QCOMPARE(m_editor->statusText(), QStringLiteral("File not saved"));
            break;
        case Writer::Progress:
            box(QStringLiteral("Can't save progress"),
                QStringLiteral("The progress file '%1' couldn't be written: ").arg(pathFor(w)));
            QVERIFY(log.filter(QStringLiteral("nodes to disk")).isEmpty());
            break;
        case Writer::Statistics:
            box(QStringLiteral("Can't export cards"),
                QStringLiteral("The file '%1' couldn't be written: ").arg(pathFor(w)));
            break;
        case Writer::Updater:
            QVERIFY(boxes.isEmpty());
            QVERIFY2(!log.filter(QRegularExpression(QStringLiteral("^updater file skipped: .+/n$"))).isEmpty(),
                     qPrintable(log.join(u'|')));
            QVERIFY(!log.contains(QStringLiteral("updater file generated/n")));
            break;
        case Writer::WordList:
        case Writer::LargeWordList:
            box(QStringLiteral("Can't export file"), QStringLiteral("The file '%1' couldn't be written: ").arg(pathFor(w)));
            break;
        }
    }

    void expectFailureBox(Writer w) {
        switch (w) {
        case Writer::Master:
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Settings Not Saved"));
            break;
        case Writer::Chapter:
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save file"));
            break;
        case Writer::Progress:
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save progress"));
            break;
        case Writer::Statistics:
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export cards"));
            break;
        case Writer::WordList:
        case Writer::LargeWordList:
            m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export file"));
            break;
        default:
            break;
        }
    }

private slots:
    void initTestCase() {
        QApplication::setQuitOnLastWindowClosed(false);
        FileSizeLimit probe(4096);
        QVERIFY2(probe.active(), "RLIMIT_FSIZE can't be set here");
    }

    void init() {
        AppState::reset();
        FlushDeck(true);
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_docs = m_tmp->filePath(QStringLiteral("docs"));
        m_prog = m_tmp->filePath(QStringLiteral("prog"));
        QVERIFY(QDir().mkpath(m_docs));
        QVERIFY(QDir().mkpath(m_prog));
        QVERIFY(QDir().mkpath(m_tmp->filePath(QStringLiteral("work"))));
        app().homeFolder = m_tmp->filePath(QStringLiteral("work"));
        app().programFolderOverride = m_prog;
        ivordalite::setLogSink([](const QString& text) { LogMessage(text, 3); });
        m_prompter = std::make_unique<ScriptedPrompter>();
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_shell = std::make_unique<RecordingShell>();
        m_log = std::make_unique<LogRecorder>();
    }

    void cleanup() {
        m_editor.reset();
        const QStringList unexpected = m_prompter->unexpected + m_dialogs->unexpected;
        const bool scriptDone = m_prompter->scriptDone();
        // Everything is released before the checks, so that a failed case can't leave its
        // services installed for the next one.
        AppState::reset();
        FlushDeck(true);
        ivordalite::setLogSink({});
        m_log.reset();
        m_shell.reset();
        m_dialogs.reset();
        m_prompter.reset();
        m_tmp.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.join(", ")));
        QVERIFY(scriptDone);
    }

    // The disk fills up while the new file is written: the old file stays as it was and
    // nothing is left beside it; once there is room, the next write gives the whole new file.
    void fullDiskKeepsOldFile_data() {
        QTest::addColumn<Writer>("writer");
        QTest::newRow("master database") << Writer::Master;
        QTest::newRow("chapter file (editor)") << Writer::Chapter;
        QTest::newRow("progress file") << Writer::Progress;
        QTest::newRow("statistics file") << Writer::Statistics;
        QTest::newRow("updater file") << Writer::Updater;
        QTest::newRow("word list (editor's export)") << Writer::WordList;
        QTest::newRow("word list larger than a write buffer") << Writer::LargeWordList;
    }
    void fullDiskKeepsOldFile() {
        QFETCH(Writer, writer);
        const QString path = pathFor(writer);
        writeOld(writer);
        const QByteArray old = bytesOf(path);
        QVERIFY(!old.isEmpty());
        const QStringList folder = entriesIn(QFileInfo(path).path());
        const int urls = int(m_shell->urls.size());

        expectFailureBox(writer);
        const int boxes = int(m_prompter->boxes.size());
        const int logged = int(m_log->lines.size());
        {
            FileSizeLimit full(rlim_t(old.size()) + 1);
            QVERIFY(full.active());
            writeNew(writer);
        }
        QCOMPARE(bytesOf(path), old);
        QCOMPARE(entriesIn(QFileInfo(path).path()), folder);
        verifyTold(writer, boxes, logged);
        if (writer == Writer::WordList || writer == Writer::LargeWordList)
            QVERIFY2(m_prompter->boxes.last().text.endsWith(QStringLiteral(": File too large")),
                     qPrintable(m_prompter->boxes.last().text));
        QCOMPARE(m_shell->urls.size(), urls); // a failed export is not shown to the user
        if (writer == Writer::Chapter) {
            // The document is kept, unsaved, for another try.
            QVERIFY(m_editor->isModified());
            QCOMPARE(m_editor->model()->rows(), rowsFrom(0, 3) + rowsFrom(100, 20));
        }

        if (writer == Writer::Master)
            startStudyProgram();
        writeNew(writer, true);
        verifyNew(writer);
        const bool byBox = writer != Writer::Updater;
        QCOMPARE(m_prompter->boxes.size(), boxes + (byBox ? 1 : 0));
    }

    // The document's folder is removed, or its file replaced by a folder, between opening and
    // saving: the save fails with the system's reason, creates nothing, and the document stays.
    void changedBetweenSteps_data() {
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<bool>("folderRemoved"); // false: the file became a folder
        QTest::newRow("master database, home folder removed") << Writer::Master << true;
        QTest::newRow("master database, file became a folder") << Writer::Master << false;
        QTest::newRow("chapter file, folder removed") << Writer::Chapter << true;
        QTest::newRow("chapter file, file became a folder") << Writer::Chapter << false;
        QTest::newRow("word list, folder removed") << Writer::WordList << true;
        QTest::newRow("word list, file became a folder") << Writer::WordList << false;
    }
    void changedBetweenSteps() {
        QFETCH(Writer, writer);
        QFETCH(bool, folderRemoved);
        const QString path = pathFor(writer);
        const QString folder = QFileInfo(path).path();
        writeOld(writer);
        if (writer == Writer::Master) {
            // A later start: the master database is mounted and held until the shutdown.
            ShutdownSystem(0, false);
            startStudyProgram();
        }
        if (folderRemoved) {
            QVERIFY(QDir(folder).removeRecursively());
        } else {
            QVERIFY(QFile::remove(path));
            QVERIFY(QDir().mkpath(path + QStringLiteral("/inside")));
        }
        expectFailureBox(writer);
        const int boxes = int(m_prompter->boxes.size());
        const int logged = int(m_log->lines.size());
        writeNew(writer);
        verifyTold(writer, boxes, logged);
        if (folderRemoved) {
            QVERIFY(!QFileInfo::exists(folder));
        } else {
            QVERIFY(QFileInfo(path).isDir());
            QCOMPARE(entriesIn(path), QStringList{QStringLiteral("inside")});
            QCOMPARE(entriesIn(folder).filter(QFileInfo(path).fileName()),
                     QStringList{QFileInfo(path).fileName()}); // no temporary file left beside it
        }
        if (writer == Writer::Chapter) {
            QVERIFY(m_editor->isModified());
            QCOMPARE(m_editor->fileName(), path);
            QCOMPARE(m_editor->model()->rows(), rowsFrom(0, 3) + rowsFrom(100, 20));
        }
    }

    // The chapter window ends the program on a full disk: the settings (and the chapter just
    // imported) are not kept, and the user must hear it before the program ends, whichever
    // way it ends. Cancel used to keep its own occasion open across the shutdown, so the box
    // came after the event loop had been told to end, and never showed.
    void cancelOnFullDiskTellsSettingsNotSaved_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("Cancel") << QStringLiteral("cancel");
        QTest::newRow("Cancel while a shuffle runs") << QStringLiteral("cancel busy");
        QTest::newRow("Editor .., answered Yes") << QStringLiteral("editor");
    }
    void cancelOnFullDiskTellsSettingsNotSaved() {
        QFETCH(QString, how);
        startStudyProgram();
        const QByteArray old = bytesOf(master());
        writeBytes(m_prog + QStringLiteral("/qredit"), "#!/bin/sh\n");
        QPointer<frmChapter> w = showChapterWindow();
        QVERIFY(w);
        const QString imported = writeChapter(m_tmp->filePath(QStringLiteral("work/lesson.qex")), QStringLiteral("Lesson"),
                                              {{QStringLiteral("Haus"), QStringLiteral("house")}});
        m_dialogs->answerFile(imported);
        w->toolbarClick(QStringLiteral("sall"));
        QCOMPARE(w->LV1()->topLevelItemCount(), 1);

        qsizetype boxesAtEnd = -1;
        app().hooks.quitProcess = [&](int) { boxesAtEnd = m_prompter->boxes.size(); };
        if (how == QLatin1String("editor"))
            m_prompter->expect(MsgResult::Yes, QStringLiteral("Load Editor?"));
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Settings Not Saved"));
        {
            FileSizeLimit full(rlim_t(old.size()) + 1);
            QVERIFY(full.active());
            if (how == QLatin1String("cancel busy")) {
                app().busy = true;
                QTimer::singleShot(50, [] { app().busy = false; });
            }
            if (how == QLatin1String("editor"))
                QTest::mouseClick(w->Command5(), Qt::LeftButton);
            else
                QTest::mouseClick(w->Command2(), Qt::LeftButton);
            QTRY_VERIFY(boxesAtEnd >= 0);
        }
        QCOMPARE(m_prompter->boxes.size(), boxesAtEnd); // nothing is told once the program has ended
        QCOMPARE(m_prompter->boxes.last().title, QStringLiteral("Settings Not Saved"));
        QCOMPARE(bytesOf(master()), old);
        QCOMPARE(entriesIn(home()), QStringList{QStringLiteral("sys.qex")});
    }

    // Import in the chapter window, given something that is not a file: a named pipe was
    // opened as if it were a chapter (an open for reading only waits for a writer for good), a
    // folder was dropped without a word. Each is refused before anything is opened, with the
    // reason; the list stays as it was, and the record store refuses to mount it as well.
    void namedPipeChosenAsChapterHangs_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // %1: the chosen path
        QTest::newRow("named pipe") << "pipe" << "'%1' is a named pipe, not a file";
        QTest::newRow("link to a named pipe") << "link" << "'%1' is a named pipe, not a file";
        QTest::newRow("folder") << "folder" << "'%1' is a folder, not a file";
        QTest::newRow("socket") << "socket" << "'%1' is a socket, not a file";
    }
    void namedPipeChosenAsChapterHangs() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        startStudyProgram();
        const QString pipe = m_tmp->filePath(QStringLiteral("work/lesson.qex"));
        QString chosen = pipe;
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(pipe));
        } else if (kind == QLatin1String("socket")) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            QVERIFY(fd >= 0);
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            const QByteArray name = QFile::encodeName(pipe);
            QVERIFY(size_t(name.size()) < sizeof(addr.sun_path));
            memcpy(addr.sun_path, name.constData(), size_t(name.size()));
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
            ::close(fd);
        } else {
            QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        }
        if (kind == QLatin1String("link")) {
            chosen = m_tmp->filePath(QStringLiteral("work/link.qex"));
            QVERIFY(QFile::link(pipe, chosen));
        }
        QPointer<frmChapter> w = showChapterWindow();
        QVERIFY(w);
        const int rows = w->LV1()->topLevelItemCount();
        m_dialogs->answerFile(chosen);
        m_prompter->expect(MsgResult::Ok, QStringLiteral("DB Open Error"));
        {
            PipeUnblocker unblock(pipe);
            w->toolbarClick(QStringLiteral("sall"));
            QCOMPARE(unblock.opened(), 0);
            ivordalite store;
            QVERIFY(!store.mount(chosen, false));
            if (kind != QLatin1String("folder"))
                QCOMPARE(store.errorString(), QStringLiteral("Path/File access error: ") + reason.arg(chosen));
            QCOMPARE(unblock.opened(), 0);
        }
        QCOMPARE(m_prompter->boxes.size(), 1);
        QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(m_prompter->boxes[0].text, QStringLiteral("The chapter can't be imported: ") + reason.arg(chosen) +
                                                QStringLiteral("."));
        QCOMPARE(w->LV1()->topLevelItemCount(), rows);
        QCOMPARE(QFileInfo(pipe).isFile(), false);
    }

    // A first start on a full disk leaves an empty master database behind (the store creates
    // the file when it mounts it): the next start must take it for a first use again, not
    // for a database without a chapter list.
    void firstUseOnFullDiskIsRepeated() {
        // Told once at the first use and once at the shutdown.
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Settings Not Saved"));
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Settings Not Saved"));
        {
            FileSizeLimit full(256);
            QVERIFY(full.active());
            startStudyProgram();
            ShutdownSystem(0, false);
        }
        QVERIFY(!m_log->lines.filter(kStoreSaveFailed).isEmpty());
        QVERIFY(QFileInfo(master()).size() <= 256);
        const int logged = int(m_log->lines.size());
        startStudyProgram();
        QVERIFY(m_log->indexOf(QStringLiteral(" .. Initializing VORDA master DB file for first use.../n"), logged) > 0);
        QCOMPARE(app().master->getlong(QStringLiteral("flist_count"), 0), 4);
        ShutdownSystem(0, false);
        QVERIFY(storeKeys(master()).contains(QStringLiteral("flist_name_4")));
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
