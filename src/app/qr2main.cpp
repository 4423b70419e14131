// The study program.
#include "appstate.h"
#include "duecounts.h"
#include "infooptions.h"
#include "modmain.h"
#include "qtservices.h"
#include "studywiring.h"
#include "voicelist.h"

#include <QApplication>

namespace {
// The names the data folder (the review history) is found by.
void nameProgram() {
    QCoreApplication::setApplicationName(QStringLiteral("qr2"));
    QCoreApplication::setOrganizationName(QStringLiteral("Orvandel"));
}
} // namespace

int main(int argc, char** argv) {
    const QStringList args = argumentsOf(argc, argv);
    if (handleInfoOptions(args,
                          QStringLiteral("Usage: qr2 [show_console]\n"
                                         "       qr2 --due\n"
                                         "       qr2 --voices\n"
                                         "The Quarnel vocabulary trainer: choose chapters and study their cards.\n"
                                         "  show_console   also print the program's trace on standard error\n"
                                         "  --due          print how many cards of each listed chapter are due and\n"
                                         "                 new today, and the total, then exit (no window)\n"
                                         "  --voices       list the speech engines, their languages and voices, then\n"
                                         "                 exit (no window)\n"
                                         "  --help         show this text and exit\n"
                                         "  --version      show the version and exit"),
                          versionTextWithLicence(QStringLiteral("qr2 ") + VersionString().trimmed())))
        return 0;
    if (hasDueOption(args)) {
        // No display is needed, nor taken: the counts are read and printed.
        QCoreApplication a(argc, argv);
        nameProgram();
        return printDueCounts(stdout, stderr);
    }
    if (voice::hasVoicesOption(args)) {
        QCoreApplication a(argc, argv);
        nameProgram();
        return voice::printVoices(stdout);
    }
    QApplication a(argc, argv);
    nameProgram();
    // The compositor matches the windows to the menu entry qr2.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("qr2"));
    QApplication::setQuitOnLastWindowClosed(false);
    installQtServices(QStringLiteral("Quarnel 2007"));
    app().arguments = QApplication::arguments().mid(1);
    installStudyHooks();
    EndOnTerminationSignals();
    Main();
    if (app().exitRequested)
        return app().exitCode;
    return QApplication::exec();
}
