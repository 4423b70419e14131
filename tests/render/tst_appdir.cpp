// Prints the folder the running program lives in, as the programs find their companions.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::printf("%s\n", qPrintable(QCoreApplication::applicationDirPath()));
    return 0;
}
