// Start-up and shutdown of the study program end to end, against a temporary home folder and
// a temporary program folder.
#include "appstate.h"
#include "deck.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "modmain.h"
#include "testsupport.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QLockFile>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace {
struct Entry {
    QString name;
    bool isstring = false;
    QString valuestring;
    qint32 valuelong = 0;
    QString tag;
    bool operator==(const Entry&) const = default;
};

char* toString(const Entry& e) {
    return QTest::toString(QStringLiteral("{%1, %2, '%3', %4, '%5'}")
                               .arg(e.name)
                               .arg(e.isstring)
                               .arg(e.valuestring)
                               .arg(e.valuelong)
                               .arg(e.tag));
}

Entry num(const QString& name, qint32 v, const QString& tag = QString()) {
    return {name, false, QString(), v, tag};
}
Entry str(const QString& name, const QString& v, const QString& tag = QString()) {
    return {name, true, v, 0, tag};
}

// The visible entries of a store file, in order; empty when it can't be mounted.
QList<Entry> entriesOf(const QString& path) {
    QList<Entry> out;
    if (!ivordalite::fe(path))
        return out;
    ivordalite s;
    if (!s.mount(path, false))
        return out;
    for (int i = s.lb(); i <= s.ub(); ++i) {
        Entry e;
        s.ienum(qint16(i), e.name, e.isstring, e.valuestring, e.valuelong, e.tag);
        out.append(e);
    }
    return out;
}

Entry entryNamed(const QList<Entry>& entries, const QString& name) {
    for (const Entry& e : entries)
        if (e.name == name)
            return e;
    return {};
}

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString versionNumbers() {
    return QStringLiteral("%1.%2 build %3").arg(kAppMajor).arg(kAppMinor).arg(kAppRevision);
}
} // namespace

class TestLoader : public QObject {
    Q_OBJECT

private slots:
    void init() {
        AppState::reset();
        FlushDeck(true);
        m_tmp = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tmp->isValid());
        m_docs = m_tmp->filePath(QStringLiteral("docs"));
        m_prog = m_tmp->filePath(QStringLiteral("prog"));
        QVERIFY(QDir().mkpath(m_docs));
        QVERIFY(QDir().mkpath(m_prog));
        m_quits.clear();
        m_calls.clear();
        installHooks();
    }

    void cleanup() {
        for (QWidget* w : QApplication::topLevelWidgets())
            w->deleteLater();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        AppState::reset();
        m_tmp.reset();
    }

    void firstUse() {
        ScriptedPrompter p;
        LogRecorder log;
        Main();
        QVERIFY(p.unexpected.isEmpty());
        QVERIFY(p.boxes.isEmpty());
        QVERIFY(m_quits.isEmpty());
        QVERIFY(app().master && app().master->isMounted());

        const QString home = m_docs + QStringLiteral("/Quarnel");
        QCOMPARE(app().homeFolder, home);
        QVERIFY(QFileInfo(home).isDir());
        // the splash comes first, the colours and the wizard before the save, the chapter window last
        QCOMPARE(m_calls, (QStringList{"showSplash", "installDefaultColours", "runSetupWizard", "showChapterWindow",
                                       "controls off", "stopSplashPainting", "unloadSplash", "controls on"}));
        QVERIFY(m_savedBeforeChapter);

        const QList<Entry> expected{num("flist_count", 4),
                                    str("flist_name_1", m_prog + "/ex1.qex"),
                                    str("flist_name_2", m_prog + "/ex2.qex"),
                                    str("flist_name_3", m_prog + "/ex3.qex"),
                                    str("flist_name_4", m_prog + "/ex4.qex"),
                                    num("backcolor_a", 0x112233, "color_metrics"),
                                    num("show_mouse_hover", 0),
                                    num("trouble_by_default", -1)};
        QCOMPARE(entriesOf(home + "/sys.qex"), expected);
        QCOMPARE(app().showMouseHover, false);
        QCOMPARE(troubledefault, true);
        QCOMPARE(app().troubleDefaultPending, true);

        QCOMPARE(entriesOf(m_prog + "/qr2.upd"),
                 (QList<Entry>{str("app_title", "qr2"),
                               str("app_current_version", QString::number(kAppMajor) + QString::number(kAppMinor) +
                                                              QString::number(kAppRevision)),
                               str("app_desc", "This is a vocabulary quarnel program")}));

        const QStringList created{"the specified file doesn't exist, creating new/n", "file created/n",
                                  "file mounted/n"};
        QStringList expectedLog{QStringLiteral("using home directory: '") + home + "'", " [created]/n",
                                "setting base directory to: " + home + "/n"};
        expectedLog << created << "updater file generated/n"
                    << "VORDA Alive/n"
                    << "QEX Platform v3.44 Startup/n"
                    << "last platform revision date is 16Jan2010/n"
                    << "Program release date: 02/09/2010/n"
                    << "Bringing up the system ../n"
                    << "Starting the cvar subsystem ../n"
                    << ".. cvar system disabled in this implementation/n"
                    << "Warning: localization support requires the cvar subsystem/n"
                    << "Localization support has been disabled/n"
                    << " .. client detected: \"Quarnel\"; version: " + versionNumbers() + "/n"
                    << "Checking for already running instances ../n"
                    << " .. no previously running instance has been found./n"
                    << "starting the VORDA class driver ../n"
                    << "OS VERSION"
                    << " .. OS supports Alpha: Yes/n"
                    << " .. OS supports API Gradient: Yes/n" << created << " ..VORDA data file mounted successfully/n"
                    << " .. Initializing VORDA master DB file for first use.../n"
                    << "Awaiting user response in Setup Window/n"
                    << " .. alpha enabled in program: No using level of 90/n"
                    << "Entering FlushToZero mode/n"
                    << "Initializing data system for first use/n"
                    << " .. not flushing empty data set/n"
                    << "System brought up successfully/n"
                    << " .. Splash killed/n"
                    << "QEX.Loader exited/n";
        QStringList actual = log.lines;
        QCOMPARE(actual.size(), expectedLog.size() + 2);
        QCOMPARE(actual.takeFirst(), "/b/cQuarnel v" + versionNumbers() + "/n");
        QVERIFY(actual.takeFirst().startsWith("/b/c"));
        QCOMPARE(log.levels.mid(0, 4), (QList<int>{1, 1, 3, 4}));
        const int os = int(expectedLog.indexOf("OS VERSION"));
        QVERIFY(actual[os].startsWith("Windows OS version detected: ") && actual[os].endsWith("/n"));
        actual[os] = "OS VERSION";
        QCOMPARE(actual, expectedLog);
    }

    void secondStartReadsSettings_data() {
        QTest::addColumn<QList<Entry>>("stored");
        QTest::addColumn<bool>("hover");
        QTest::addColumn<bool>("trouble");
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("fades");
        QTest::newRow("stored values") << QList<Entry>{num("show_mouse_hover", 0, "options"),
                                                       num("trouble_by_default", 0, "options"),
                                                       num("alpha_level", 120, "alpha_transparency"),
                                                       num("alpha_effects", -1, "alpha_transparency")}
                                       << false << false << 120 << true;
        QTest::newRow("any non-zero is true")
            << QList<Entry>{num("show_mouse_hover", 5), num("trouble_by_default", 1), num("alpha_effects", 2)} << true
            << true << 90 << true;
        QTest::newRow("keys missing") << QList<Entry>{num("flist_count", 0)} << true << true << 90 << false;
    }
    void secondStartReadsSettings() {
        QFETCH(QList<Entry>, stored);
        const QString master = writeMaster(stored);
        ScriptedPrompter p;
        LogRecorder log;
        Main();
        QVERIFY(p.boxes.isEmpty());
        QTEST(app().showMouseHover, "hover");
        QTEST(troubledefault, "trouble");
        QTEST(app().troubleDefaultPending, "trouble");
        QTEST(app().alphaLevel, "level");
        QTEST(app().alphaEffects, "fades");
        // no first-use work, and nothing written before the shutdown
        QVERIFY(!m_calls.contains("runSetupWizard"));
        QVERIFY(!m_calls.contains("installDefaultColours"));
        QCOMPARE(log.indexOf(" .. Initializing VORDA master DB file for first use.../n"), -1);
        QCOMPARE(log.indexOf(" [exists]/n"), 3);
        QCOMPARE(entriesOf(master), stored);
        QVERIFY(log.contains("QEX.Loader exited/n"));
    }

    void studyOptionsRead_data() {
        QTest::addColumn<QList<Entry>>("stored");
        QTest::addColumn<QList<int>>("expected"); // direction, typing, accents, clears, summary
        QTest::newRow("keys missing") << QList<Entry>{num("flist_count", 0)} << QList<int>{0, 0, 1, 0, 1};
        QTest::newRow("stored values") << QList<Entry>{num("card_direction", 2, "options"),
                                                       num("type_answers", -1, "options"),
                                                       num("forgive_accents", 0, "options"),
                                                       num("right_clears_trouble", 3, "options"),
                                                       num("round_summary", 0, "options")}
                                       << QList<int>{2, 1, 0, 1, 0};
        QTest::newRow("numbers out of range")
            << QList<Entry>{num("card_direction", 7), num("round_summary", -4)} << QList<int>{0, 0, 1, 0, 1};
    }
    void studyOptionsRead() {
        QFETCH(QList<Entry>, stored);
        QFETCH(QList<int>, expected);
        writeMaster(stored);
        ScriptedPrompter p;
        Main();
        const AppState& a = app();
        QCOMPARE((QList<int>{a.cardDirection, a.typeAnswers, a.forgiveAccents, a.rightClearsTrouble, a.roundSummary}),
                 expected);
    }

    // Someone who never changes the study options gets a file without their keys; a key
    // once written stays, also when its value goes back to the default.
    void studyOptionsWrittenOnlyWhenChanged() {
        const QStringList keys{"card_direction", "type_answers", "forgive_accents", "right_clears_trouble",
                               "round_summary"};
        writeMaster({num("flist_count", 0), num("right_clears_trouble", -1, "options")});
        {
            ScriptedPrompter p;
            Main();
            ShutdownSystem(0, false);
        }
        QList<Entry> saved = entriesOf(masterPath());
        QCOMPARE(entryNamed(saved, "right_clears_trouble"), num("right_clears_trouble", -1, "options"));
        for (const QString& k : keys.mid(0, 3) + keys.mid(4))
            QCOMPARE(entryNamed(saved, k).name, QString());
        AppState::reset();
        installHooks();
        {
            ScriptedPrompter p;
            Main();
            app().cardDirection = 1;
            app().typeAnswers = true;
            app().rightClearsTrouble = false;
            ShutdownSystem(0, false);
        }
        saved = entriesOf(masterPath());
        QCOMPARE(entryNamed(saved, "card_direction"), num("card_direction", 1, "options"));
        QCOMPARE(entryNamed(saved, "type_answers"), num("type_answers", -1, "options"));
        QCOMPARE(entryNamed(saved, "right_clears_trouble"), num("right_clears_trouble", 0, "options"));
        QCOMPARE(entryNamed(saved, "forgive_accents").name, QString());
        QCOMPARE(entryNamed(saved, "round_summary").name, QString());
    }

    void secondStartAfterFirstUse() {
        ScriptedPrompter p;
        Main();
        m_chapter->move(40, 30);
        ShutdownSystem(0, false);
        QCOMPARE(m_quits, QList<int>{0});
        AppState::reset();
        installHooks();
        m_calls.clear();
        LogRecorder log;
        Main();
        QVERIFY(p.boxes.isEmpty());
        QVERIFY(!m_calls.contains("runSetupWizard"));
        QCOMPARE(app().master->getlong("flist_count", 0), 4);
        QCOMPARE(app().master->getstring("flist_name_4", QString()), m_prog + "/ex4.qex");
        QCOMPARE(app().showMouseHover, false); // as the wizard left it
        QCOMPARE(m_chapter->pos(), QPoint(40, 30));
    }

    void shutdownWritesSettings() {
        ScriptedPrompter p;
        Main();
        app().alphaLevel = 200;
        app().alphaEffects = true;
        app().troubleDefaultPending = false;
        app().showMouseHover = true;
        m_chapter->move(120, 80);
        LogRecorder log;
        ShutdownSystem(0, false);
        QVERIFY(p.boxes.isEmpty());
        QCOMPARE(m_quits, QList<int>{0});
        QVERIFY(!app().master);
        QCOMPARE(log.lines,
                 (QStringList{"VORDA system going down on code 0/n", "halting renderer ../n", "saving Alpha Options/n",
                              " .. renderer dead/n", "Entering FlushToZero mode/n", " .. not flushing empty data set/n",
                              "saving the vorda master/n", "unmounting file/n", "destroying class instance/n",
                              " ..class instance destroyed/n", "unloading form frmChapter/n", "VORDA Platform Dead/n",
                              "VORDA Platform release successful/n", "Process will be released after this line/n"}));
        QVERIFY(m_calls.contains("releaseRenderer"));
        const QList<Entry> saved = entriesOf(masterPath());
        QCOMPARE(entryNamed(saved, "show_mouse_hover"), num("show_mouse_hover", -1, "options"));
        QCOMPARE(entryNamed(saved, "trouble_by_default"), num("trouble_by_default", 0, "options"));
        QCOMPARE(entryNamed(saved, "alpha_level"), num("alpha_level", 200, "alpha_transparency"));
        QCOMPARE(entryNamed(saved, "alpha_effects"), num("alpha_effects", -1, "alpha_transparency"));
        QCOMPARE(entryNamed(saved, "frmChapter.left"), num("frmChapter.left", 120 * twipsPerPixelX(), "metrics"));
        QCOMPARE(entryNamed(saved, "frmChapter.top"), num("frmChapter.top", 80 * twipsPerPixelY(), "metrics"));
        QCOMPARE(entryNamed(saved, "flist_count"), num("flist_count", 4));
        // the window is gone without running its own close logic
        QCOMPARE(m_chapterCloses, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!m_chapter);
    }

    void secondInstanceRefused() {
        const QString master = writeMaster({num("flist_count", 1), str("flist_name_1", "/x.qex")});
        const QByteArray before = bytesOf(master);
        const QDateTime stamp = QFileInfo(master).lastModified();
        QLockFile other(m_docs + "/Quarnel/.qr2.lock");
        QVERIFY(other.tryLock(0));
        ScriptedPrompter p;
        p.expect(MsgResult::Ok, "Previous Instance Found");
        LogRecorder log;
        Main();
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(p.boxes[0].text,
                 QStringLiteral("A previous instance was detected. Exit that instance before starting a new one."));
        const int found = log.indexOf("Previous program instance found/n");
        QVERIFY(found > 0);
        QCOMPARE(log.lines[found - 1], "Checking for already running instances ../n");
        QVERIFY(log.contains("VORDA system going down on code -1/n"));
        QVERIFY(log.contains("vordamain has exited .. NOT writing current data to disk/n"));
        QVERIFY(!log.contains(" .. renderer dead/n"));
        QCOMPARE(m_quits, QList<int>{1});
        QVERIFY(!m_calls.contains("showChapterWindow"));
        QVERIFY(!app().splashStatus);
        QCOMPARE(bytesOf(master), before);
        QCOMPARE(QFileInfo(master).lastModified(), stamp);
    }

    void resetRequestDeletesAfterSave() {
        ScriptedPrompter p;
        Main();
        RequestDatabaseReset();
        QList<Entry> atUnmount;
        setLogTap([&](const QString& text, int) {
            if (text == "unmounting file/n")
                atUnmount = entriesOf(masterPath());
        });
        ShutdownSystem(0, false);
        setLogTap({});
        QCOMPARE(entryNamed(atUnmount, "show_mouse_hover"), num("show_mouse_hover", 0, "options"));
        QCOMPARE(entryNamed(atUnmount, "flist_count"), num("flist_count", 4));
        QVERIFY(!QFileInfo::exists(masterPath()));
        QCOMPARE(m_quits, QList<int>{0});
        // the next start is a first use again
        AppState::reset();
        installHooks();
        m_calls.clear();
        LogRecorder log;
        Main();
        QVERIFY(log.contains(" .. Initializing VORDA master DB file for first use.../n"));
        QVERIFY(m_calls.contains("runSetupWizard"));
    }

    void shutdownWaitsForShuffle() {
        ScriptedPrompter p;
        Main();
        LogRecorder log;
        app().busy = true;
        ShutdownSystem(0, false);
        ShutdownSystem(0, false); // asked again while waiting: still one shutdown
        QVERIFY(app().shutdownSignal);
        QTest::qWait(60);
        QCOMPARE(log.lines, QStringList{"suspending system destroyer until randomizer exits ../n"});
        QVERIFY(app().master && app().master->isMounted());
        QVERIFY(m_quits.isEmpty());
        app().busy = false;
        QTRY_COMPARE(m_quits, QList<int>{0});
        QTest::qWait(40);
        QCOMPARE(m_quits, QList<int>{0});
        QCOMPARE(log.lines.value(1), "randomizer exit detected, resuming system destroyer/n");
        QCOMPARE(log.lines.value(2), "VORDA system going down on code 0/n");
        QCOMPARE(log.lines.count("VORDA system going down on code 0/n"), 1);
        QCOMPARE(log.lines.last(), "Process will be released after this line/n");
        QVERIFY(!app().master);
        QCOMPARE(entryNamed(entriesOf(masterPath()), "trouble_by_default").tag, QStringLiteral("options"));
    }

    void newSessionWhileBusyWaitsToo() {
        ScriptedPrompter p;
        Main();
        LogRecorder log;
        app().busy = true;
        NewSession();
        QTest::qWait(40);
        QVERIFY(!log.contains("VORDA Alive/n"));
        app().busy = false;
        QTRY_VERIFY(log.contains("QEX.Loader exited/n"));
        const int down = log.indexOf("VORDA system going down on code 0/n");
        QVERIFY(down > 0 && down < log.indexOf("VORDA Alive/n"));
        QVERIFY(app().master && app().master->isMounted());
        QVERIFY(m_quits.isEmpty());
    }

    void masterDatabaseFailure_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("home folder is a file") << "home file";
        QTest::newRow("sys.qex is a directory") << "master dir";
        QTest::newRow("sys.qex is damaged") << "master damaged";
    }
    void masterDatabaseFailure() {
        QFETCH(QString, damage);
        const QString home = m_docs + "/Quarnel";
        QByteArray damaged(128, '\0');
        damaged[0] = char(0xFF); // a comment longer than its slot
        if (damage == "home file") {
            QFile f(home);
            QVERIFY(f.open(QIODevice::WriteOnly));
        } else if (damage == "master dir") {
            QVERIFY(QDir().mkpath(home + "/sys.qex"));
        } else {
            QVERIFY(QDir().mkpath(home));
            QFile f(home + "/sys.qex");
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(damaged);
        }
        ScriptedPrompter p;
        p.expect(MsgResult::Ok, "High Priority Message Handler");
        p.expect(MsgResult::Ok, "VORDA File System Critical Error");
        LogRecorder log;
        Main();
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(p.boxes.size(), 2);
        QCOMPARE(p.boxes[0].text, "The program cannot start/n");
        QCOMPARE(p.boxes[1].icon, MsgIcon::Critical);
        QCOMPARE(p.boxes[1].buttons, MsgButtons::Ok);
        QCOMPARE(p.boxes[1].text, "The program's master database couldn't be opened. Check the path: \r\n'" + home +
                                      "/sys.qex' and try again.");
        const int failure = log.indexOf(" ..VORDA class initialization failure./n");
        QVERIFY(failure > 0);
        QCOMPARE(log.lines.value(failure + 1), "The program cannot start/n");
        QVERIFY(log.contains("VORDA system going down on code -1/n"));
        QVERIFY(log.contains("vordamain has exited .. NOT writing current data to disk/n"));
        QCOMPARE(m_quits, QList<int>{1});
        QVERIFY(!app().master);
        QVERIFY(!m_calls.contains("showChapterWindow"));
        if (damage == "master damaged")
            QCOMPARE(bytesOf(home + "/sys.qex"), damaged);
        if (damage == "home file")
            QVERIFY(QFileInfo(home).isFile());
    }

    void otherLoadError_data() {
        QTest::addColumn<bool>("afterUp");
        QTest::addColumn<int>("code");
        QTest::newRow("before the system is up") << false << -1;
        QTest::newRow("after the system is up") << true << 0;
    }
    void otherLoadError() {
        QFETCH(bool, afterUp);
        QFETCH(int, code);
        if (afterUp)
            app().hooks.setChapterControlsEnabled = [](QWidget*, bool on) {
                if (on)
                    throw std::runtime_error("toolbar missing");
            };
        else
            app().hooks.showChapterWindow = []() -> QWidget* { throw std::runtime_error("toolbar missing"); };
        ScriptedPrompter p;
        p.expect(MsgResult::Ok, "High Priority Message Handler");
        p.expect(MsgResult::Ok, "High Priority Message Handler");
        LogRecorder log;
        Main();
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(p.boxes.size(), 2);
        QCOMPARE(p.boxes[0].text, "QEX.Loader encountered an error: toolbar missing/n");
        QCOMPARE(p.boxes[1].text, "The system cannot be loaded/n");
        QVERIFY(log.contains(QStringLiteral("VORDA system going down on code %1/n").arg(code)));
        QCOMPARE(m_quits, QList<int>{code == 0 ? 0 : 1});
        QVERIFY(!app().master);
        QVERIFY(ivordalite::fe(masterPath())); // the master database was still saved
    }

    void showConsoleSwitch_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("shown");
        QTest::newRow("none") << QStringList{} << false;
        QTest::newRow("exact") << QStringList{"show_console"} << true;
        QTest::newRow("capitals") << QStringList{"SHOW_Console"} << true;
        QTest::newRow("inside a word") << QStringList{"--xshow_consoley"} << true;
        QTest::newRow("second argument") << QStringList{"chapter.qex", "Show_Console"} << true;
        QTest::newRow("misspelt") << QStringList{"show-console"} << false;
    }
    void showConsoleSwitch() {
        QFETCH(QStringList, args);
        QFETCH(bool, shown);
        app().arguments = args;
        ScriptedPrompter p;
        LogRecorder log;
        Main();
        const QStringList lines{"QEX.LOADER is loading the system in " + RunModeName() + " mode/n",
                                "Logging system disabled in " + RunModeName() + " mode - not logging to disk/n",
                                "Showing the message watcher window per command line request/n"};
        const int alive = log.indexOf("VORDA Alive/n");
        QVERIFY(alive > 3);
        if (shown)
            QCOMPARE(log.lines.mid(alive - 3, 3), lines);
        else
            QVERIFY(!log.contains(lines[0]) && !log.contains(lines[1]) && !log.contains(lines[2]));
    }

    void updaterFile_data() {
        QTest::addColumn<QString>("state");
        QTest::newRow("rewritten over an old file") << "old";
        QTest::newRow("rewritten over a read-only file") << "readonly";
        QTest::newRow("program folder can't be written") << "unwritable";
    }
    void updaterFile() {
        QFETCH(QString, state);
        const QString upd = m_prog + "/qr2.upd";
        if (state == "unwritable") {
            QFile blocker(m_tmp->filePath("blocker"));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            app().programFolderOverride = blocker.fileName() + "/prog";
        } else {
            QFile f(upd);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(300, char(0xEE)));
            f.close();
            if (state == "readonly")
                QVERIFY(QFile::setPermissions(upd, QFileDevice::ReadOwner));
        }
        ScriptedPrompter p;
        LogRecorder log;
        Main();
        QVERIFY(p.unexpected.isEmpty());
        QVERIFY(p.boxes.isEmpty());
        QVERIFY(log.contains("QEX.Loader exited/n"));
        QVERIFY(app().master && app().master->isMounted());
        if (state == "unwritable") {
            QVERIFY(!log.contains("updater file generated/n"));
            const int skipped = int(log.lines.indexOf(QRegularExpression("^updater file skipped: .+/n$")));
            QVERIFY(skipped > 0);
            QVERIFY(skipped < log.indexOf("VORDA Alive/n"));
        } else {
            QVERIFY(log.contains("updater file generated/n"));
            QCOMPARE(entriesOf(upd).size(), 3);
            QCOMPARE(entriesOf(upd).value(0), str("app_title", "qr2"));
        }
    }

    // A kill between the link of a save's new file and its rename left a full copy beside the
    // old file (21 MB of "sys.qex.XXXXXX", "run.qrs.XXXXXX") for good. The next start removes
    // such copies of the program's own files, in its own folders, and nothing else.
    void strayCopyAfterKillStays_data() {
        QTest::addColumn<QString>("folder"); // "home" or "prog"
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("beside"); // the file the copy belongs to; empty: none there
        QTest::addColumn<bool>("removed");
        QTest::newRow("settings") << "home" << "sys.qex.aB3xY9" << "sys.qex" << true;
        QTest::newRow("progress file") << "home" << "run.qrs.Q1w2E3" << "run.qrs" << true;
        QTest::newRow("hidden progress file") << "home" << ".run.qrs.Q1w2E3" << ".run.qrs" << true;
        QTest::newRow("updater file") << "prog" << "qr2.upd.zZ9yY8" << "qr2.upd" << true;
        QTest::newRow("settings, no file beside") << "home" << "sys.qex.aB3xY9" << "" << false;
        QTest::newRow("progress file, no file beside") << "home" << "run.qrs.Q1w2E3" << "" << false;
        QTest::newRow("five letters") << "home" << "sys.qex.aB3xY" << "sys.qex" << false;
        QTest::newRow("seven letters") << "home" << "sys.qex.aB3xY9Z" << "sys.qex" << false;
        QTest::newRow("not a letter") << "home" << "sys.qex.aB3-Y9" << "sys.qex" << false;
        QTest::newRow("no dot") << "home" << "sys.qexaaB3xY9" << "sys.qex" << false;
        QTest::newRow("a user's file") << "home" << "notes.txt.aB3xY9" << "notes.txt" << false;
        QTest::newRow("a chapter") << "home" << "lesson.qex.aB3xY9" << "lesson.qex" << false;
        QTest::newRow("settings name in the program folder") << "prog" << "sys.qex.aB3xY9" << "sys.qex" << false;
        QTest::newRow("updater name in the home folder") << "home" << "qr2.upd.zZ9yY8" << "qr2.upd" << false;
        QTest::newRow("a link") << "home" << "link" << "sys.qex" << false;
    }
    void strayCopyAfterKillStays() {
        QFETCH(QString, folder);
        QFETCH(QString, name);
        QFETCH(QString, beside);
        QFETCH(bool, removed);
        const QString home = m_docs + "/Quarnel";
        const QString dir = folder == "home" ? home : m_prog;
        QVERIFY(QDir().mkpath(dir));
        writeMaster({num("flist_count", 0)});
        if (!beside.isEmpty() && !QFileInfo::exists(dir + "/" + beside))
            QVERIFY(QFile(dir + "/" + beside).open(QIODevice::WriteOnly));
        QString copy = dir + "/" + name;
        if (name == "link") {
            // A link named like a copy, to a file elsewhere: neither is touched.
            QFile target(m_tmp->filePath("kept.qex"));
            QVERIFY(target.open(QIODevice::WriteOnly));
            copy = dir + "/sys.qex.aB3xY9";
            QVERIFY(QFile::link(target.fileName(), copy));
        } else {
            QFile f(copy);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        if (beside.isEmpty()) // the first save was killed: the copy is the only one
            QFile::remove(dir + "/" + name.left(name.size() - 7));
        ScriptedPrompter p;
        LogRecorder log;
        Main();
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(QFileInfo(copy).exists() || QFileInfo(copy).isSymLink(), !removed);
        QCOMPARE(log.contains("removed a leftover copy of an interrupted save: '" + copy + "'/n"), removed);
        if (!beside.isEmpty())
            QVERIFY(QFileInfo(dir + "/" + beside).isFile());
        if (name == "link")
            QVERIFY(QFileInfo(m_tmp->filePath("kept.qex")).isFile());
    }

    // The updater file went into the program folder at every start, also where the package
    // manager keeps it: one start as root left "/usr/lib/quarnel/qr2.upd" behind, owned by no
    // package, once the package was removed. There it is skipped with a log line; a build
    // tree, an install in the home folder or under /usr/local keep it.
    void updaterFileLeftInSystemFolder_data() {
        QTest::addColumn<QString>("parent"); // where the program folder is made; empty: the test's own
        QTest::addColumn<bool>("written");
        QTest::newRow("/usr/lib (a package)") << "/usr/lib" << false;
        QTest::newRow("/usr/share (a package)") << "/usr/share" << false;
        QTest::newRow("/usr/local/lib") << "/usr/local/lib" << true;
        QTest::newRow("build tree") << "" << true;
    }
    void updaterFileLeftInSystemFolder() {
        QFETCH(QString, parent);
        QFETCH(bool, written);
        std::unique_ptr<QTemporaryDir> system;
        if (!parent.isEmpty()) {
            system = std::make_unique<QTemporaryDir>(parent + "/quarnel-test-XXXXXX");
            if (!system->isValid())
                QSKIP("this test needs to make a folder in a system location (run as root)");
            app().programFolderOverride = system->path();
        }
        const QString upd = programFolder() + "/qr2.upd";
        QFile stray(upd + ".zZ9yY8");
        QVERIFY(stray.open(QIODevice::WriteOnly));
        stray.close();
        ScriptedPrompter p;
        LogRecorder log;
        Main();
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(QFileInfo::exists(upd), written);
        QCOMPARE(log.contains("updater file generated/n"), written);
        QCOMPARE(log.contains("updater file skipped: '" + programFolder() + "' is kept by the package manager/n"),
                 !written);
        // A folder the program doesn't write is not swept either.
        QCOMPARE(stray.exists(), !written);
        QVERIFY(isPackageManagedFolder(programFolder()) != written);
    }

    void windowPositions_data() {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<QString>("platform");
        QTest::newRow("stored position") << true << QString();
        QTest::newRow("centred without one") << false << QString();
        QTest::newRow("X11: stored position") << true << QString("xcb");
        QTest::newRow("Wayland: stored position kept") << true << QString("wayland");
        QTest::newRow("Wayland with EGL: none written") << false << QString("wayland-egl");
    }
    void windowPositions() {
        QFETCH(bool, stored);
        QFETCH(QString, platform);
        ScriptedPrompter p;
        Main();
        app().platformNameOverride = platform;
        const int tx = twipsPerPixelX(), ty = twipsPerPixelY();
        QWidget w;
        w.setObjectName("frmFind");
        w.resize(200, 100);
        if (stored) {
            app().master->add("frmFind.left", QString(), 37 * tx, "metrics");
            app().master->add("frmFind.top", QString(), 21 * ty, "metrics");
        }
        RestoreWindowPosition(&w);
        const QRect screen = w.screen()->geometry();
        const QPoint expected = stored ? QPoint(37, 21)
                                       : QPoint(qRound((screen.width() * tx / 2.0 - 200 * tx / 2.0)) / tx,
                                                qRound((screen.height() * ty / 2.0 - 100 * ty / 2.0)) / ty);
        QCOMPARE(w.pos() - screen.topLeft(), expected);
        w.move(w.pos() + QPoint(5, 6));
        SaveWindowPosition(&w, false);
        if (platform.startsWith("wayland")) {
            // What the window says of its position is not where it is: the stored one stays.
            bool found = false;
            QCOMPARE(app().master->getlong("frmFind.left", -1, found), stored ? 37 * tx : -1);
            QCOMPARE(found, stored);
            QCOMPARE(app().master->getlong("frmFind.top", -1), stored ? 21 * ty : -1);
            return;
        }
        QCOMPARE(app().master->getlong("frmFind.left", 0), (expected.x() + 5) * tx);
        QCOMPARE(app().master->getlong("frmFind.top", 0), (expected.y() + 6) * ty);
        QCOMPARE(app().master->gettag("frmFind.top"), QStringLiteral("metrics"));
        QVERIFY(ivordalite::fe(masterPath()));
        QVERIFY(entryNamed(entriesOf(masterPath()), "frmFind.left").name.isEmpty()); // savenow false: not on disk
    }

    // A window without a Close command shows no close box at all: without CustomizeWindowHint
    // the window manager would draw its default one, which would do nothing.
    void noDeadCloseBox_data() {
        QTest::addColumn<bool>("dialog");
        QTest::newRow("window (chapter window)") << false;
        QTest::newRow("dialog (setup wizard)") << true;
    }
    void noDeadCloseBox() {
        QFETCH(bool, dialog);
        std::unique_ptr<QWidget> w(dialog ? new QDialog : new QWidget);
        w->setWindowTitle("no close");
        w->show();
        RemoveCloseCommand(w.get());
        QVERIFY(w->isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const Qt::WindowFlags native = w->windowHandle()->flags();
        QVERIFY(native.testFlag(Qt::CustomizeWindowHint));
        QVERIFY(native.testFlag(Qt::WindowTitleHint));
        QVERIFY(!native.testFlag(Qt::WindowCloseButtonHint));
        // A window that names none of its functions gets all of them, Close included.
        QVERIFY(native.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
    }

    void newSessionKeepsMainWindow() {
        ScriptedPrompter p;
        Main();
        auto* mainWindow = new QWidget;
        mainWindow->setObjectName("frmMain");
        mainWindow->show();
        QPointer<QWidget> guard(mainWindow);
        m_calls.clear();
        LogRecorder log;
        NewSession();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(p.boxes.isEmpty());
        QCOMPARE(log.lines.mid(0, 3), (QStringList{" ***************************/n", " -- Starting New Session --/n",
                                                   "VORDA system going down on code 0/n"}));
        QVERIFY(log.contains(" .. skipping frmMain unloader/n"));
        QVERIFY(log.contains("unloading form frmChapter/n"));
        QVERIFY(!log.contains("Process will be released after this line/n"));
        QVERIFY(!log.contains(" .. no previously running instance has been found./n"));
        QVERIFY(log.contains("QEX.Loader exited/n"));
        QVERIFY(guard && !guard->isVisible());
        QVERIFY(m_quits.isEmpty());
        QVERIFY(!m_calls.contains("showSplash"));
        QVERIFY(m_calls.contains("showChapterWindow"));
        QVERIFY(app().master && app().master->isMounted());
        QVERIFY(entryNamed(entriesOf(masterPath()), "frmMain.left").name == "frmMain.left");
        delete mainWindow;
    }

    void versionString() { QCOMPARE(VersionString(), QStringLiteral("version 1.15 [build 281] ")); }

    // The start-up's pauses last their time and let events run meanwhile, also when the
    // events take long: the splash keeps painting during them.
    void pauseLastsItsTimeWithEventsRunning_data() {
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("eventMs");
        QTest::newRow("short, quick events") << 3 << 0;
        QTest::newRow("slow events") << 20 << 2;
    }
    void pauseLastsItsTimeWithEventsRunning() {
        QFETCH(int, ms);
        QFETCH(int, eventMs);
        int ticks = 0;
        QTimer tick;
        connect(&tick, &QTimer::timeout, [&] {
            ++ticks;
            QThread::msleep(ulong(eventMs));
        });
        tick.start(0);
        QElapsedTimer t;
        t.start();
        Pause(ms, true);
        const qint64 took = t.nsecsElapsed();
        tick.stop();
        QVERIFY2(took >= qint64(ms) * 1000000, qPrintable(QString::number(took)));
        QVERIFY(ticks >= 2);
    }

private:
    void installHooks() {
        AppState& a = app();
        a.documentsOverride = m_docs;
        a.programFolderOverride = m_prog;
        a.hooks.quitProcess = [this](int code) { m_quits.append(code); };
        a.hooks.showSplash = [this] { m_calls << "showSplash"; };
        a.hooks.stopSplashPainting = [this] { m_calls << "stopSplashPainting"; };
        a.hooks.unloadSplash = [this] { m_calls << "unloadSplash"; };
        a.hooks.releaseRenderer = [this] { m_calls << "releaseRenderer"; };
        a.hooks.installDefaultColours = [this] {
            m_calls << "installDefaultColours";
            app().master->add("backcolor_a", QString(), 0x112233, "color_metrics");
        };
        a.hooks.runSetupWizard = [this](QWidget*) {
            m_calls << "runSetupWizard";
            app().master->add("show_mouse_hover", QString(), 0, QString());
            app().master->add("trouble_by_default", QString(), -1, QString());
        };
        a.hooks.showChapterWindow = [this]() -> QWidget* {
            m_calls << "showChapterWindow";
            m_savedBeforeChapter = entryNamed(entriesOf(masterPath()), "flist_count").valuelong == 4;
            auto* w = new QWidget;
            w->setObjectName("frmChapter");
            w->resize(300, 200);
            m_chapterCloses = 0;
            w->installEventFilter(this);
            RestoreWindowPosition(w);
            w->show();
            m_chapter = w;
            return w;
        };
        a.hooks.setChapterControlsEnabled = [this](QWidget*, bool on) {
            m_calls << (on ? "controls on" : "controls off");
        };
    }

    bool eventFilter(QObject* obj, QEvent* e) override {
        if (obj == m_chapter && e->type() == QEvent::Close)
            ++m_chapterCloses;
        return QObject::eventFilter(obj, e);
    }

    // A master database written before the start.
    QString writeMaster(const QList<Entry>& entries) {
        const QString home = m_docs + "/Quarnel";
        QDir().mkpath(home);
        ivordalite s;
        s.mount(home + "/sys.qex", false);
        for (const Entry& e : entries)
            s.add(e.name, e.valuestring, e.valuelong, e.tag);
        s.save();
        return home + "/sys.qex";
    }

    std::unique_ptr<QTemporaryDir> m_tmp;
    QString m_docs, m_prog;
    QList<int> m_quits;
    QStringList m_calls;
    bool m_savedBeforeChapter = false;
    QPointer<QWidget> m_chapter;
    int m_chapterCloses = 0;
};

QTEST_MAIN(TestLoader)
#include "tst_loader.moc"
