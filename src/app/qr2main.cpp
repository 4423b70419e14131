#include "appstate.h"
#include "modmain.h"
#include "qtservices.h"
#include "studywiring.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication a(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qr2"));
    QApplication::setOrganizationName(QStringLiteral("Orvandel"));
    QApplication::setQuitOnLastWindowClosed(false);
    installQtServices(QStringLiteral("Quarnel 2007"));
    app().arguments = QApplication::arguments().mid(1);
    installStudyHooks();
    Main();
    if (app().exitRequested)
        return app().exitCode;
    return QApplication::exec();
}
