// A chapter of 32,767 cards (as many as a store holds; a word and its answer in Latin,
// Cyrillic and Greek letters) written as an A4 PDF file: the two-column word list and the
// cut-out cards. Prints min, median and max in ms of 5 runs, and the pages.
#include "benchtiming.h"
#include "pdfexport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace benchtiming;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QTemporaryDir dir;
    QVector<qredit::CardRow> rows;
    for (int i = 0; i < 32767; ++i)
        rows.append({QStringLiteral("Wort %1 \u0434\u043E\u043C").arg(i),
                     QStringLiteral("word %1 \u03BF\u03AF\u03BA\u03BF\u03C2").arg(i)});
    std::printf("%-44s %9s %9s %9s %9s\n", "ms", "min", "median", "max", "KB");
    for (const auto& [name, layout] : {std::pair{"word list, 32767 cards", qredit::PaperLayout::List},
                                       std::pair{"cut-out cards, 32767 cards", qredit::PaperLayout::Cards}}) {
        const QString path = dir.filePath(QStringLiteral("out.pdf"));
        const Figures f = run(5, [&] {
            QString error;
            if (!qredit::writeChapterPdf(path, rows, QStringLiteral("Big"), layout, error))
                std::abort();
        });
        std::printf("%-44s %9.1f %9.1f %9.1f %9lld\n", name, f.min, f.median, f.max,
                    static_cast<long long>(QFile(path).size() / 1024));
    }
    return 0;
}
