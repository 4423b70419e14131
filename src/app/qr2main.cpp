// The study program.
#include "appstate.h"
#include "infooptions.h"
#include "modmain.h"
#include "qtservices.h"
#include "studywiring.h"

#include <QApplication>

int main(int argc, char** argv) {
    if (handleInfoOptions(argumentsOf(argc, argv),
                          QStringLiteral("Usage: qr2 [show_console]\n"
                                         "The Quarnel vocabulary trainer: choose chapters and study their cards.\n"
                                         "  show_console   also print the program's trace on standard error\n"
                                         "  --help         show this text and exit\n"
                                         "  --version      show the version and exit"),
                          QStringLiteral("qr2 ") + VersionString().trimmed()))
        return 0;
    QApplication a(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qr2"));
    QApplication::setOrganizationName(QStringLiteral("Orvandel"));
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
