// Open and save of a full chapter (32767 cards) in the editor's window, shown on the
// offscreen platform so that the list really lays out and paints. Prints a table.
#include "cardlistmodel.h"
#include "chapterfile.h"
#include "editorwindow.h"
#include "testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
struct Figures {
    double min, median, max;
};

Figures run(int times, const std::function<void()>& body) {
    QVector<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        ms.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.first(), ms.at(ms.size() / 2), ms.last()};
}

void print(const char* what, const Figures& f) {
    std::printf("%-44s %9.1f %9.1f %9.1f\n", what, f.min, f.median, f.max);
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedPrompter prompter;
    ScriptedDialogs dialogs;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("big.qex"));
    constexpr int kTimes = 7;

    // Distinct questions, one in four with a special letter, and answers of typical length.
    QVector<qredit::CardRow> rows;
    rows.reserve(qredit::kMaxCards);
    for (int i = 0; i < qredit::kMaxCards; ++i)
        rows.append({QStringLiteral("%1 Wort %2").arg(i % 4 == 0 ? QStringLiteral("\u00FCber") : QStringLiteral("das"))
                         .arg(i),
                     QStringLiteral("the answer to card number %1").arg(i)});

    qredit::EditorWindow w;
    w.show();
    QApplication::processEvents();
    w.model()->setRows(rows);
    dialogs.answerFile(file);
    if (!w.SaveDeck()) {
        std::fprintf(stderr, "first save failed\n");
        return 1;
    }

    std::printf("%d cards, %d runs each, times in ms\n", qredit::kMaxCards, kTimes);
    std::printf("%-44s %9s %9s %9s\n", "operation", "min", "median", "max");
    print("window: SaveDeck over the file", run(kTimes, [&] {
              w.SetModified(true);
              if (!w.SaveDeck())
                  std::fprintf(stderr, "save failed\n");
          }));
    print("window: open the file, list shown and painted", run(kTimes, [&] {
              w.openFile(file);
              w.repaint();
              QApplication::processEvents();
          }));
    if (w.model()->rowCount() != qredit::kMaxCards)
        std::fprintf(stderr, "opened %d rows\n", w.model()->rowCount());

    print("chapter file only: save", run(kTimes, [&] {
              QString error;
              qredit::saveChapter(file, rows, QStringLiteral("Big"), error);
          }));
    print("chapter file only: load", run(kTimes, [&] {
              QVector<qredit::CardRow> loaded;
              QString title, error;
              qredit::loadChapter(file, loaded, title, error);
          }));
    return 0;
}
