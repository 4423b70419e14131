#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv) {
    QApplication a(argc, argv);
    QMainWindow w;
    w.setObjectName(QStringLiteral("frmMain"));
    w.setWindowTitle(QStringLiteral("Quarnel Editor - Orvandel"));
    w.show();
    return QApplication::exec();
}
