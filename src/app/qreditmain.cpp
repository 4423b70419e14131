// The card file editor: one window; a chapter file named on the command line is opened at
// start. With --import or --export it converts a word list without a window.
#include "commandline.h"
#include "editorwindow.h"
#include "infooptions.h"
#include "qtservices.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char** argv) {
    const QStringList args = argumentsOf(argc, argv);
    if (handleInfoOptions(
            args,
            QStringLiteral("Usage: qredit [FILE.qex]\n") + qredit::conversionUsage() +
                QStringLiteral("\n\n"
                               "The Quarnel card file editor: type the cards of a chapter and save them.\n"
                               "  FILE.qex    open this chapter file at start\n"
                               "  --help      show this text and exit\n"
                               "  --version   show the version and exit"),
            versionTextWithLicence(QStringLiteral("qredit version 1.1 [build %1]").arg(QUARNEL_REVISION))))
        return 0;
    if (qredit::isConversion(args)) {
        // Pages are drawn with fonts, which take a GUI application; no window opens.
        if (args.contains(QStringLiteral("--pdf"))) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
                qputenv("QT_QPA_PLATFORM", "offscreen");
            QGuiApplication app(argc, argv);
            return qredit::runConversion(args, stderr);
        }
        QCoreApplication app(argc, argv);
        return qredit::runConversion(args, stderr);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qredit"));
    // The compositor matches the window to the menu entry qredit.desktop by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("qredit"));
    installQtServices(QStringLiteral("Quarnel Editor"));
    qredit::EditorWindow window;
    window.show();
    const QStringList appArgs = QApplication::arguments();
    if (appArgs.size() > 1) {
        const QString path = QFileInfo(appArgs.at(1)).absoluteFilePath();
        // Once the window is up, so that a message box about the file shows over it.
        QTimer::singleShot(0, &window, [&window, path] { window.openFile(path); });
    }
    return QApplication::exec();
}
