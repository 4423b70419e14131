// Start-up time of the study program to its chapter window, against the floor that the
// start-up's own pauses set: Pause(150) after "VORDA Alive", Pause(75) before the splash goes,
// and 25 ms for every log line shown on the splash. This is qr2's main() with its real windows
// (splash, setup wizard, chapter window); the only difference is that the setup wizard of a
// first use is finished at once, as by a user who clicks straight through.
//   bench_startup HOME   run one start against HOME (first use when HOME/Documents/Quarnel
//                        holds no sys.qex), print the times, and shut down
//   bench_startup HOME --trace   also print each log line with the time since the one before
// Run it twice on an empty folder for a first-use and a later start.
#include "appstate.h"
#include "frmsetup.h"
#include "messagelog.h"
#include "modmain.h"
#include "qtservices.h"
#include "studywiring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <unistd.h>

namespace {
// Milliseconds from the start of this process to now, from /proc (10 ms clock ticks).
double processAgeMs() {
    QFile stat(QStringLiteral("/proc/self/stat"));
    QFile uptime(QStringLiteral("/proc/uptime"));
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray s = stat.readAll();
    // Fields after the command name (which may hold spaces): field 22 is the start time.
    const QList<QByteArray> f = s.mid(s.lastIndexOf(')') + 2).split(' ');
    const double startTicks = f.value(22 - 3).toDouble();
    const double up = uptime.readAll().split(' ').value(0).toDouble();
    return (up - startTicks / double(sysconf(_SC_CLK_TCK))) * 1000.0;
}
} // namespace

int main(int argc, char** argv) {
    const double beforeMain = processAgeMs();
    QElapsedTimer clock;
    clock.start();
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup HOME\n");
        return 2;
    }
    qputenv("HOME", argv[1]);
    qputenv("XDG_DOCUMENTS_DIR", QByteArray(argv[1]) + "/Documents");
    QApplication a(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qr2"));
    QApplication::setOrganizationName(QStringLiteral("Orvandel"));
    QApplication::setQuitOnLastWindowClosed(false);
    installQtServices(QStringLiteral("Quarnel 2007"));
    app().arguments = QStringList();
    app().documentsOverride = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/Documents");
    installStudyHooks();

    double qappMs = double(clock.nsecsElapsed()) / 1e6;
    double wizardMs = 0, chapterShownMs = -1, loaderExitedMs = -1;
    int splashLines = 0;
    bool firstUse = false;
    LoaderHooks& h = app().hooks;
    auto wizard = h.runSetupWizard;
    h.runSetupWizard = [&](QWidget* owner) {
        firstUse = true;
        QElapsedTimer t;
        t.start();
        QTimer::singleShot(0, [] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* s = qobject_cast<frmSetup*>(w))
                    s->Command1Click();
        });
        if (wizard)
            wizard(owner);
        wizardMs = double(t.nsecsElapsed()) / 1e6;
    };
    auto chapter = h.showChapterWindow;
    h.showChapterWindow = [&]() -> QWidget* {
        QWidget* w = chapter ? chapter() : nullptr;
        chapterShownMs = double(clock.nsecsElapsed()) / 1e6;
        return w;
    };
    const bool trace = argc > 2 && QByteArray(argv[2]) == "--trace";
    double lastLineMs = 0;
    QStringList traced;
    setLogTap([&](const QString& text, int) {
        const double nowMs = double(clock.nsecsElapsed()) / 1e6;
        if (trace)
            traced << QStringLiteral("%1 ms  +%2  %3")
                          .arg(nowMs, 7, 'f', 1)
                          .arg(nowMs - lastLineMs, 6, 'f', 1)
                          .arg(QString(text).remove(QStringLiteral("/n")));
        lastLineMs = nowMs;
        if (app().splashStatus)
            ++splashLines;
        if (text == QLatin1String("QEX.Loader exited/n"))
            loaderExitedMs = double(clock.nsecsElapsed()) / 1e6;
    });

    Main();
    const double floorMs = 150 + 75 + 25.0 * splashLines;
    std::printf("start:                          %s\n",
                firstUse ? "first use (setup wizard finished at once)" : "later start");
    std::printf("process start -> main():        %8.1f ms (10 ms clock ticks)\n", beforeMain);
    std::printf("main() -> QApplication up:      %8.1f ms\n", qappMs);
    std::printf("main() -> chapter window shown: %8.1f ms\n", chapterShownMs);
    std::printf("main() -> splash gone, chapter window enabled (\"QEX.Loader exited\"): %8.1f ms\n", loaderExitedMs);
    std::printf("  of which the setup wizard:    %8.1f ms\n", wizardMs);
    std::printf("floor: Pause(150) + Pause(75) + 25 ms x %d splash lines = %.0f ms\n", splashLines, floorMs);
    std::printf("above the floor:                %8.1f ms (process start to enabled: %.1f ms)\n",
                loaderExitedMs - floorMs - wizardMs, beforeMain + loaderExitedMs);
    for (const QString& line : traced)
        std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
    setLogTap({});
    ShutdownSystem(0, false);
    return 0;
}
