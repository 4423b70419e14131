// The card file editor: one window; a chapter file named on the command line is opened at
// start.
#include "editorwindow.h"
#include "infooptions.h"
#include "qtservices.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>

int main(int argc, char** argv) {
    if (handleInfoOptions(argumentsOf(argc, argv),
                          QStringLiteral("Usage: qredit [FILE.qex]\n"
                                         "The Quarnel card file editor: type the cards of a chapter and save them.\n"
                                         "  FILE.qex    open this chapter file at start\n"
                                         "  --help      show this text and exit\n"
                                         "  --version   show the version and exit"),
                          QStringLiteral("qredit version 1.1 [build %1]").arg(QUARNEL_REVISION)))
        return 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("qredit"));
    installQtServices(QStringLiteral("Quarnel Editor"));
    qredit::EditorWindow window;
    window.show();
    const QStringList args = QApplication::arguments();
    if (args.size() > 1) {
        const QString path = QFileInfo(args.at(1)).absoluteFilePath();
        // Once the window is up, so that a message box about the file shows over it.
        QTimer::singleShot(0, &window, [&window, path] { window.openFile(path); });
    }
    return QApplication::exec();
}
