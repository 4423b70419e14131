// Not a test: opens the Preferences window on a given tab and leaves it open, for pictures
// taken under the screenshot tool:
//     prefsshots [0|1]
#include "appstate.h"
#include "frmoptions.h"
#include "ivordalite.h"
#include "modmain.h"

#include <QApplication>
#include <QTabBar>
#include <QTemporaryDir>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QTemporaryDir home;
    AppState::reset();
    app().homeFolder = home.path();
    app().historyPathOverride = home.filePath(QStringLiteral("history.sqlite"));
    app().master = std::make_unique<ivordalite>();
    if (!app().master->mount(masterPath(), false))
        return 1;
    app().alphaSupported = true;
    ShowOptionsWindow();
    frmOptions* w = optionsWindow();
    if (!w)
        return 1;
    w->findChild<QTabBar*>(QStringLiteral("ts"))->setCurrentIndex(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 2);
    return qapp.exec();
}
