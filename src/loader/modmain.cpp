#include "modmain.h"

#include "appstate.h"
#include "deck.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "prompter.h"
#include "settingsoccasion.h"
#include "termination.h"

#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLockFile>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <functional>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {
QString yesNo(bool b) { return b ? QStringLiteral("Yes") : QStringLiteral("No"); }

// The windows of the program that count as loaded: top-level widgets named "frm...".
QList<QWidget*> loadedWindows() {
    QList<QWidget*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().startsWith(QLatin1String("frm")) && !w->property("quarnelUnloaded").toBool())
            out.append(w);
    return out;
}

void finishShutdown(int code, bool keepmain);

// The sample chapters beside the program. A path that its "flist_name_" entry can't hold
// (a deep program folder) is left out, so that the rest of the file can still be saved.
void writeDefaultChapterList(ivordalite& master) {
    // The count comes first in the file, as it always has; it is set to what was kept below.
    master.add(QStringLiteral("flist_count"), QString(), 4, QString());
    qint32 kept = 0;
    for (int i = 1; i <= 4; ++i) {
        const QString path = programFolder() + QStringLiteral("/ex%1.qex").arg(i);
        const QString key = QStringLiteral("flist_name_%1").arg(kept + 1);
        QString why;
        if (!master.fitsAfterAdd(key, path, QString(), &why)) {
            LogMessage(QStringLiteral(" .. sample chapter left out of the list, its path is too long: ") + path +
                       QStringLiteral(" (") + why + QStringLiteral(")/n"));
            continue;
        }
        ++kept;
        master.add(key, path, 0, QString());
    }
    master.add(QStringLiteral("flist_count"), QString(), kept, QString());
}
} // namespace

QString programFolder() {
    if (!app().programFolderOverride.isEmpty())
        return app().programFolderOverride;
    return QCoreApplication::applicationDirPath();
}

QString masterPath() { return app().homeFolder + QStringLiteral("/sys.qex"); }

QString RunModeName() { return app().runModeName; }

qint32 GetOSVersion(qint32& major, qint32& minor, qint32& build) {
    AppState& a = app();
    if (!a.osVersionKnown) {
        // The kernel's version stands for the system's; "6.1.0-27-amd64" gives 6, 1, 0.
        const QStringList parts = QSysInfo::kernelVersion().split(QRegularExpression(QStringLiteral("[^0-9]+")));
        a.osMajor = parts.value(0).toInt();
        a.osMinor = parts.value(1).toInt();
        a.osBuild = parts.value(2).toInt();
        a.osVersion = a.osMajor * 100 + a.osMinor;
        a.osVersionKnown = true;
    }
    major = a.osMajor;
    minor = a.osMinor;
    build = a.osBuild;
    // Qt blends and draws gradients on every platform it runs on.
    a.alphaSupported = true;
    a.gradientSupported = true;
    return a.osVersion;
}

bool FileExists(const QString& path) { return ivordalite::fe(path); }

void Pause(qint32 ms, bool fine) {
    QCoreApplication::processEvents();
    if (!fine) {
        QThread::msleep(ulong(std::max(0, ms)));
        QCoreApplication::processEvents();
        return;
    }
    // Steps of at most 1 ms until `ms` have passed, events running in between. Counting the
    // steps instead would add every sleep's overshoot and every step's events to the pause.
    QElapsedTimer elapsed;
    elapsed.start();
    const qint64 total = qint64(ms) * 1000000;
    for (qint64 left = total; left > 0; left = total - elapsed.nsecsElapsed()) {
        QThread::usleep(ulong(std::min<qint64>(1000, (left + 999) / 1000)));
        QCoreApplication::processEvents();
    }
}

void RequestDatabaseReset() { app().forgetSettingsAtExit = true; }

QString homeFolderPath() {
    QString docs = app().documentsOverride;
    if (docs.isEmpty())
        docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString prefix = docs.isEmpty() ? QString() : docs + QStringLiteral("/");
    return prefix + QStringLiteral("Quarnel");
}

void SetHomeFolder() {
    app().homeFolder = homeFolderPath();
    QString note;
    if (!QFileInfo(app().homeFolder).exists()) {
        QDir().mkpath(app().homeFolder);
        note = QStringLiteral(" [created]/n");
    } else {
        note = QStringLiteral(" [exists]/n");
    }
    LogMessage(QStringLiteral("using home directory: '") + app().homeFolder + QStringLiteral("'"), 3);
    LogMessage(note, 4);
}

bool isPackageManagedFolder(const QString& folder) {
    QString path = QFileInfo(folder).canonicalFilePath();
    if (path.isEmpty())
        path = QDir::cleanPath(QDir(folder).absolutePath());
    path += QLatin1Char('/');
    return path.startsWith(QLatin1String("/usr/")) && !path.startsWith(QLatin1String("/usr/local/"));
}

namespace {
QString updaterFileName() { return programTitle() + QStringLiteral(".upd"); }

// The name QSaveFile gives the new file before it is renamed into place: the file's own name,
// a dot and six letters or digits.
bool isSaveCopyName(const QString& name, QString& original) {
    if (name.size() < 8 || name.at(name.size() - 7) != QLatin1Char('.'))
        return false;
    for (qsizetype i = name.size() - 6; i < name.size(); ++i) {
        const char16_t c = name.at(i).unicode();
        if (!((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')))
            return false;
    }
    original = name.left(name.size() - 7);
    return true;
}

void removeCopiesIn(const QString& folder, const std::function<bool(const QString&)>& ownFile) {
    if (folder.isEmpty())
        return;
    const QDir dir(folder);
    // Links are never followed nor removed: a leftover copy is always a plain file.
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        QString original;
        if (!isSaveCopyName(entry.fileName(), original) || !ownFile(original))
            continue;
        const QFileInfo beside(dir.filePath(original));
        if (!beside.isFile())
            continue; // the only copy there is
        if (QFile::remove(entry.filePath()))
            LogMessage(QStringLiteral("removed a leftover copy of an interrupted save: '") + entry.filePath() +
                       QStringLiteral("'/n"));
    }
}
} // namespace

void RemoveLeftoverCopies() {
    const AppState& a = app();
    removeCopiesIn(a.homeFolder, [](const QString& name) {
        return name == QLatin1String("sys.qex") || name.endsWith(QLatin1String(".qrs"));
    });
    if (!isPackageManagedFolder(programFolder()))
        removeCopiesIn(programFolder(), [](const QString& name) { return name == updaterFileName(); });
}

void WriteUpdaterFile() {
    if (isPackageManagedFolder(programFolder())) {
        LogMessage(QStringLiteral("updater file skipped: '") + programFolder() +
                   QStringLiteral("' is kept by the package manager/n"));
        return;
    }
    const QString path = programFolder() + QStringLiteral("/") + updaterFileName();
    // The old file is set aside instead of deleted, so that a write that fails (a full disk)
    // puts it back; it goes once the new one is saved.
    const QString aside = path + QStringLiteral(".old");
    const bool hadOld = QFileInfo(path).isFile();
    if (hadOld) {
        QFile::remove(aside);
        if (!QFile::rename(path, aside)) {
            LogMessage(QStringLiteral("updater file skipped: '") + path + QStringLiteral("' can't be replaced/n"));
            return;
        }
    }
    auto restore = [&] {
        if (QFileInfo(path).isFile())
            QFile::remove(path); // what the mount created
        if (hadOld)
            QFile::rename(aside, path);
    };
    ivordalite store;
    if (!store.mount(path, false)) {
        restore();
        LogMessage(QStringLiteral("updater file skipped: ") + store.errorString() + QStringLiteral("/n"));
        return;
    }
    store.add(QStringLiteral("app_title"), programTitle(), 0, QString());
    store.add(QStringLiteral("app_current_version"),
              QString::number(kAppMajor) + QString::number(kAppMinor) + QString::number(kAppRevision), 0, QString());
    store.add(QStringLiteral("app_desc"), QStringLiteral("This is a vocabulary quarnel program"), 0, QString());
    const bool saved = store.save();
    store.unmount();
    if (!saved) {
        restore();
        LogMessage(QStringLiteral("updater file skipped: ") + store.errorString() + QStringLiteral("/n"));
        return;
    }
    if (hadOld)
        QFile::remove(aside);
    LogMessage(QStringLiteral("updater file generated/n"));
}

void ReadAlphaOptions() {
    AppState& a = app();
    if (ivordalite* m = a.master.get()) {
        a.alphaLevel = std::clamp<qint32>(m->getlong(QStringLiteral("alpha_level"), 90), 0, 255);
        a.alphaEffects = m->getlong(QStringLiteral("alpha_effects"), 0) != 0;
    }
    LogMessage(QStringLiteral(" .. alpha enabled in program: ") + yesNo(a.alphaEffects) +
               QStringLiteral(" using level of ") + QString::number(a.alphaLevel) + QStringLiteral("/n"));
}

void WriteAlphaOptions() {
    AppState& a = app();
    if (ivordalite* m = a.master.get()) {
        SettingsOccasion::add(*m, QStringLiteral("alpha_level"), QString(), a.alphaLevel,
                              QStringLiteral("alpha_transparency"));
        SettingsOccasion::add(*m, QStringLiteral("alpha_effects"), QString(), a.alphaEffects ? -1 : 0,
                              QStringLiteral("alpha_transparency"));
    }
}

namespace {
struct StudyOption {
    const char* key;
    int AppState::*number;
    bool AppState::*flag;
    qint32 fallback;
};
const StudyOption kStudyOptions[] = {
    {"card_direction", &AppState::cardDirection, nullptr, 0},
    {"type_answers", nullptr, &AppState::typeAnswers, 0},
    {"forgive_accents", nullptr, &AppState::forgiveAccents, -1},
    {"right_clears_trouble", nullptr, &AppState::rightClearsTrouble, 0},
    {"round_summary", &AppState::roundSummary, nullptr, 1},
    {"read_aloud", &AppState::readAloud, nullptr, 0},
    {"listening_drill", nullptr, &AppState::listeningDrill, 0},
    {"review_retention", &AppState::desiredRetention, nullptr, 90},
    {"review_new_per_day", &AppState::newCardsPerDay, nullptr, 20},
    {"review_day_start", &AppState::dayStartHour, nullptr, 4},
    {"review_fuzz", nullptr, &AppState::intervalFuzz, -1},
};
} // namespace

void ReadStudyOptions() {
    AppState& a = app();
    if (!a.master)
        return;
    for (const StudyOption& o : kStudyOptions) {
        const qint32 v = a.master->getlong(QString::fromLatin1(o.key), o.fallback);
        if (o.number)
            a.*o.number = v;
        else
            a.*o.flag = v != 0;
    }
    if (a.cardDirection < 0 || a.cardDirection > 2)
        a.cardDirection = 0;
    if (a.roundSummary < 0 || a.roundSummary > 2)
        a.roundSummary = 1;
    if (a.readAloud < 0 || a.readAloud > 2)
        a.readAloud = 0;
    a.desiredRetention = std::clamp(a.desiredRetention, 70, 97);
    a.newCardsPerDay = std::clamp(a.newCardsPerDay, 0, 9999);
    if (a.dayStartHour < 0 || a.dayStartHour > 23)
        a.dayStartHour = 4;
}

void WriteStudyOptions() {
    AppState& a = app();
    if (!a.master)
        return;
    for (const StudyOption& o : kStudyOptions) {
        const QString key = QString::fromLatin1(o.key);
        const qint32 v = o.number ? a.*o.number : (a.*o.flag ? -1 : 0);
        const bool isDefault = o.number ? v == o.fallback : (v != 0) == (o.fallback != 0);
        bool present = false;
        a.master->getlong(key, 0, present);
        if (isDefault && !present)
            continue;
        SettingsOccasion::add(*a.master, key, QString(), v, QStringLiteral("options"));
    }
}

void Main() {
    AppState& a = app();
    a.showConsole = a.arguments.join(QLatin1Char(' ')).toLower().contains(QLatin1String("show_console"));
    a.splashStatus = false;
    a.forgetSettingsAtExit = false;
    ivordalite::setLogSink([](const QString& text) { LogMessage(text, 3); });
    LogMessage(QStringLiteral("/b/cQuarnel v%1.%2 build %3/n").arg(kAppMajor).arg(kAppMinor).arg(kAppRevision), 1);
    LogMessage(QStringLiteral("/b/cCopyright (c) 2007-2010 Orvandel. All rights reserved./n"), 1);
    SetHomeFolder();
    LogMessage(QStringLiteral("setting base directory to: ") + a.homeFolder + QStringLiteral("/n"));
    WriteUpdaterFile();
    LoadSystem(true);
}

void LoadSystem(bool firststart) {
    AppState& a = app();
    auto splash = [&a]() -> QWidget* { return a.hooks.splashWindow ? a.hooks.splashWindow() : nullptr; };
    a.loadingSystem = true;
    try {
        if (firststart) {
            a.splashStatus = true;
            if (a.hooks.showSplash)
                a.hooks.showSplash();
            MakeTopmost(splash());
        }
        a.busy = false;
        a.shutdownSignal = false;
        a.shutdownPending = false;
        const QString cmd = a.arguments.join(QLatin1Char(' ')).toLower();
        if (cmd.contains(QLatin1String("show_console"))) {
            LogMessage(QStringLiteral("QEX.LOADER is loading the system in ") + RunModeName() + QStringLiteral(" mode/n"));
            LogMessage(QStringLiteral("Logging system disabled in ") + RunModeName() +
                       QStringLiteral(" mode - not logging to disk/n"));
            LogMessage(QStringLiteral("Showing the message watcher window per command line request/n"));
        }
        LogMessage(QStringLiteral("VORDA Alive/n"));
        if (firststart)
            Pause(150, true);
        LogMessage(QStringLiteral("QEX Platform v3.44 Startup/n"));
        LogMessage(QStringLiteral("last platform revision date is 16Jan2010/n"));
        LogMessage(QStringLiteral("Program release date: ") + QDate(2010, 2, 9).toString(QStringLiteral("MM/dd/yyyy")) +
                   QStringLiteral("/n"));
        LogMessage(QStringLiteral("Bringing up the system ../n"));
        LogMessage(QStringLiteral("Starting the cvar subsystem ../n"));
        LogMessage(QStringLiteral(".. cvar system disabled in this implementation/n"));
        LogMessage(QStringLiteral("Warning: localization support requires the cvar subsystem/n"));
        LogMessage(QStringLiteral("Localization support has been disabled/n"));
        LogMessage(QStringLiteral(" .. client detected: \"") + productName() + QStringLiteral("\"; version: ") +
                   QStringLiteral("%1.%2 build %3").arg(kAppMajor).arg(kAppMinor).arg(kAppRevision) +
                   QStringLiteral("/n"));
        LogMessage(QStringLiteral("Checking for already running instances ../n"));
        if (firststart) {
            auto lock = std::make_unique<QLockFile>(a.homeFolder + QStringLiteral("/.qr2.lock"));
            lock->setStaleLockTime(0);
            // Only a lock held by a running process is another instance. A lock that can't be
            // made at all (the home folder is not a writable folder) is left to the master
            // database's mount, which reports the real trouble.
            const bool locked = lock->tryLock(0);
            if (!locked && lock->error() == QLockFile::LockFailedError) {
                MakeNotTopmost(splash());
                LogMessage(QStringLiteral("Previous program instance found/n"));
                prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Previous Instance Found"),
                               QStringLiteral("A previous instance was detected. Exit that instance before starting a "
                                              "new one."));
                a.splashStatus = false;
                ShutdownSystem(-1, false);
                return;
            }
            if (locked) {
                a.instanceLock = std::move(lock);
                // No other instance runs, so no save of one is under way: what a killed save
                // left behind can go.
                RemoveLeftoverCopies();
            }
            LogMessage(QStringLiteral(" .. no previously running instance has been found./n"));
        }
        LogMessage(QStringLiteral("starting the VORDA class driver ../n"));
        a.master = std::make_unique<ivordalite>();
        qint32 major = 0, minor = 0, build = 0;
        GetOSVersion(major, minor, build);
        LogMessage(QStringLiteral("Windows OS version detected: %1.%2 build %3/n").arg(major).arg(minor).arg(build));
        LogMessage(QStringLiteral(" .. OS supports Alpha: ") + yesNo(a.alphaSupported) + QStringLiteral("/n"));
        LogMessage(QStringLiteral(" .. OS supports API Gradient: ") + yesNo(a.gradientSupported) + QStringLiteral("/n"));
        // A first start that could not write its data (a full disk) leaves the empty file the
        // store created when it mounted it: that is no database yet, so this start is a first use.
        if (ivordalite::fe(masterPath()) && QFileInfo(masterPath()).size() == 0)
            QFile::remove(masterPath());
        const bool existed = ivordalite::fe(masterPath());
        if (!a.master->mount(masterPath(), false)) {
            MakeNotTopmost(splash());
            LogMessage(QStringLiteral(" ..VORDA class initialization failure./n"));
            LogMessage(QStringLiteral("The program cannot start/n"), 3, true);
            prompter().ask(MsgIcon::Critical, MsgButtons::Ok, QStringLiteral("VORDA File System Critical Error"),
                           QStringLiteral("The program's master database couldn't be opened. Check the path: ") +
                               QStringLiteral("\r\n'") + masterPath() + QStringLiteral("' and try again."));
            a.master.reset();
            ShutdownSystem(-1, false);
            return;
        }
        LogMessage(QStringLiteral(" ..VORDA data file mounted successfully/n"));
        a.settingsFullReported = false;
        if (!existed) {
            LogMessage(QStringLiteral(" .. Initializing VORDA master DB file for first use.../n"));
            SettingsOccasion firstUse;
            writeDefaultChapterList(*a.master);
            if (a.hooks.installDefaultColours)
                a.hooks.installDefaultColours();
            LogMessage(QStringLiteral("Awaiting user response in Setup Window/n"));
            if (a.hooks.runSetupWizard)
                a.hooks.runSetupWizard(splash());
            SettingsOccasion::save(*a.master);
        }
        ReadAlphaOptions();
        QWidget* chapter = nullptr;
        a.showMouseHover = a.master->getlong(QStringLiteral("show_mouse_hover"), -1) != 0;
        troubledefault = a.master->getlong(QStringLiteral("trouble_by_default"), -1) != 0;
        a.troubleDefaultPending = troubledefault;
        ReadStudyOptions();
        if (a.hooks.showChapterWindow)
            chapter = a.hooks.showChapterWindow();
        // The splash stays in front of the chapter window until it goes, also where no
        // window manager keeps topmost windows on top.
        if (QWidget* s = splash(); s && chapter)
            s->raise();
        if (chapter && a.hooks.setChapterControlsEnabled)
            a.hooks.setChapterControlsEnabled(chapter, false);
        FlushDeck(firststart);
        a.systemUp = true;
        LogMessage(QStringLiteral("System brought up successfully/n"));
        if (firststart) {
            Pause(75, true);
            a.splashStatus = false;
            if (a.hooks.stopSplashPainting)
                a.hooks.stopSplashPainting();
            if (a.hooks.unloadSplash)
                a.hooks.unloadSplash();
        }
        LogMessage(QStringLiteral(" .. Splash killed/n"));
        if (chapter) {
            chapter->update();
            if (a.hooks.setChapterControlsEnabled)
                a.hooks.setChapterControlsEnabled(chapter, true);
        }
        LogMessage(QStringLiteral("QEX.Loader exited/n"));
        a.loadingSystem = false;
        if (std::exchange(a.endWhenUp, false)) {
            LogMessage(QStringLiteral("ending as asked while the system came up/n"));
            ShutdownSystem(0, false);
        }
    } catch (const std::exception& e) {
        a.loadingSystem = false;
        MakeNotTopmost(splash());
        LogMessage(QStringLiteral("QEX.Loader encountered an error: ") + QString::fromUtf8(e.what()) +
                       QStringLiteral("/n"),
                   3, true);
        LogMessage(QStringLiteral("The system cannot be loaded/n"), 3, true);
        ShutdownSystem(a.systemUp ? 0 : -1, false);
    }
}

void NewSession() {
    LogMessage(QStringLiteral(" ***************************/n"));
    LogMessage(QStringLiteral(" -- Starting New Session --/n"));
    ShutdownSystem(0, true);
    if (app().shutdownPending) {
        // The shutdown waits for a shuffle: the new session starts when it is done.
        app().afterShutdown = [] { LoadSystem(false); };
        return;
    }
    LoadSystem(false);
}

void EndOnTerminationSignals() {
    catchTerminationSignals([](int signal) {
        AppState& a = app();
        LogMessage(QStringLiteral("signal %1: the system was asked to end/n").arg(signal));
        if (a.shutdownSignal || a.exitRequested)
            return; // already going down
        if (!a.systemUp || a.loadingSystem) {
            // The start-up runs below us and ends the program once it is done. A dialog it
            // waits on (the setup wizard) closes unanswered: nobody is there to answer, and the
            // wizard's choices keep their defaults.
            a.endWhenUp = true;
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->done(QDialog::Rejected);
            return;
        }
        ShutdownSystem(0, false);
    });
}

void ShutdownSystem(int code, bool keepmain) {
    AppState& a = app();
    if (a.shutdownPending)
        return; // a shutdown already waits for the shuffle; a second one would run the sequence twice
    a.shutdownSignal = true;
    if (a.busy) {
        LogMessage(QStringLiteral("suspending system destroyer until randomizer exits ../n"));
        // The shuffle that set the busy flag may be below us on the stack, pumping events:
        // waiting here would never let it return. Poll from the event loop instead.
        a.shutdownPending = true;
        auto* poll = new QTimer(qApp);
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, code, keepmain] {
            if (app().busy)
                return;
            poll->stop();
            poll->deleteLater();
            app().shutdownPending = false;
            LogMessage(QStringLiteral("randomizer exit detected, resuming system destroyer/n"));
            finishShutdown(code, keepmain);
            if (auto next = std::exchange(app().afterShutdown, {}))
                next();
        });
        poll->start();
        return;
    }
    finishShutdown(code, keepmain);
}

namespace {
template <typename F> void step(F&& f) {
    // An error in one step doesn't stop the sequence.
    try {
        f();
    } catch (const std::exception& e) {
        LogMessage(QStringLiteral("shutdown step failed: ") + QString::fromUtf8(e.what()) + QStringLiteral("/n"));
    }
}

void finishShutdown(int code, bool keepmain) {
    AppState& a = app();
    // Every save of the settings during the shutdown is one occasion for the user.
    std::optional<SettingsOccasion> occasion(std::in_place);
    step([&] {
        if (a.splashStatus && a.hooks.stopSplashPainting)
            a.hooks.stopSplashPainting();
    });
    step([&] {
        LogMessage(QStringLiteral("VORDA system going down on code ") + QString::number(code) + QStringLiteral("/n"));
        LogMessage(QStringLiteral("halting renderer ../n"));
        LogMessage(QStringLiteral("saving Alpha Options/n"));
        WriteAlphaOptions();
    });
    if (code == 0) {
        step([&] {
            if (a.hooks.beforeUnloadWindows)
                a.hooks.beforeUnloadWindows();
        });
        step([&] {
            if (a.hooks.releaseRenderer)
                a.hooks.releaseRenderer();
            LogMessage(QStringLiteral(" .. renderer dead/n"));
        });
        step([&] {
            for (QWidget* w : loadedWindows())
                SaveWindowPosition(w, false);
        });
        step([&] { FlushDeck(false); });
    }
    step([&] {
        if (a.master) {
            SettingsOccasion::add(*a.master, QStringLiteral("show_mouse_hover"), QString(), a.showMouseHover ? -1 : 0,
                                  QStringLiteral("options"));
            SettingsOccasion::add(*a.master, QStringLiteral("trouble_by_default"), QString(),
                                  a.troubleDefaultPending ? -1 : 0, QStringLiteral("options"));
            WriteStudyOptions();
            LogMessage(QStringLiteral("saving the vorda master/n"));
            SettingsOccasion::save(*a.master);
            LogMessage(QStringLiteral("unmounting file/n"));
            a.master->unmount();
            LogMessage(QStringLiteral("destroying class instance/n"));
            a.master.reset();
            LogMessage(QStringLiteral(" ..class instance destroyed/n"));
        } else {
            LogMessage(QStringLiteral("vordamain has exited .. NOT writing current data to disk/n"));
        }
    });
    step([&] {
        for (QWidget* w : loadedWindows()) {
            if (keepmain && w->objectName() == QLatin1String("frmMain")) {
                w->hide();
                LogMessage(QStringLiteral(" .. skipping frmMain unloader/n"));
                continue;
            }
            LogMessage(QStringLiteral("unloading form ") + w->objectName() + QStringLiteral("/n"));
            // Unloading doesn't run the window's own close logic again.
            w->setProperty("quarnelUnloaded", true);
            w->hide();
            w->deleteLater();
        }
    });
    // Told before the process ends (and before the file may be deleted for a reset), also when
    // the action that ends it keeps an occasion of its own open (Cancel in the chapter window):
    // once the event loop has been told to end, a box would never show.
    occasion.reset();
    step([&] { SettingsOccasion::tellNow(); });
    LogMessage(QStringLiteral("VORDA Platform Dead/n"));
    LogMessage(QStringLiteral("VORDA Platform release successful/n"));
    step([&] {
        if (a.forgetSettingsAtExit) {
            QFile::remove(masterPath());
            a.forgetSettingsAtExit = false;
        }
    });
    a.systemUp = false;
    if (!keepmain) {
        LogMessage(QStringLiteral("Process will be released after this line/n"));
        a.instanceLock.reset();
        a.exitRequested = true;
        a.exitCode = code == 0 ? 0 : 1;
        if (a.hooks.quitProcess)
            a.hooks.quitProcess(a.exitCode);
        else
            QCoreApplication::exit(a.exitCode);
    }
}
} // namespace
