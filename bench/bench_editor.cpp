// Open and save of a full chapter (32767 cards) in the editor's window, shown on the
// offscreen platform so that the list really lays out and paints; import of a word list of
// as many rows, its undo, export, and the command-line conversion as a process of its own.
// Prints a table. An argument names the qredit program (default: ../bin/qredit beside this).
#include "benchtiming.h"
#include "cardlistmodel.h"
#include "chapterfile.h"
#include "editorwindow.h"
#include "testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QUndoStack>
#include <algorithm>
#include <cstdio>
#include <functional>

using namespace benchtiming;

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
        rows.append(
            {QStringLiteral("%1 Wort %2").arg(i % 4 == 0 ? QStringLiteral("\u00FCber") : QStringLiteral("das")).arg(i),
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

    // A word list of a full chapter: about 1 MB of CSV.
    const QString csv = dir.filePath(QStringLiteral("words.csv"));
    {
        QFile f(csv);
        f.open(QIODevice::WriteOnly);
        for (const qredit::CardRow& r : rows)
            f.write((r.question + u',' + r.answer + u'\n').toUtf8());
        std::printf("word list: %lld bytes\n", static_cast<long long>(f.size()));
    }
    Figures importFig{}, undoFig{};
    QVector<double> imports, undos;
    for (int i = 0; i < kTimes; ++i) {
        w.NewDeck();
        w.repaint();
        QApplication::processEvents();
        QElapsedTimer t;
        t.start();
        w.importFile(csv, false);
        w.repaint();
        QApplication::processEvents();
        imports.append(t.nsecsElapsed() / 1e6);
        if (w.model()->rowCount() != qredit::kMaxCards)
            std::fprintf(stderr, "imported %d rows\n", w.model()->rowCount());
        t.restart();
        w.undoStack()->undo();
        w.repaint();
        QApplication::processEvents();
        undos.append(t.nsecsElapsed() / 1e6);
        if (w.model()->rowCount() != 0)
            std::fprintf(stderr, "undo left %d rows\n", w.model()->rowCount());
    }
    auto figures = [](QVector<double> ms) {
        std::sort(ms.begin(), ms.end());
        return Figures{ms.first(), ms.at(ms.size() / 2), ms.last()};
    };
    importFig = figures(imports);
    undoFig = figures(undos);
    print("window: import the word list, list shown", importFig);
    print("window: undo of that import, list shown", undoFig);
    w.undoStack()->redo();
    const QString exported = dir.filePath(QStringLiteral("out.csv"));
    print("window: export of every row as CSV", run(kTimes, [&] { w.exportFile(exported); }));

    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1])
                                     : QCoreApplication::applicationDirPath() + QStringLiteral("/../bin/qredit");
    const QString lesson = dir.filePath(QStringLiteral("lesson.qex"));
    print("qredit --import ... --output, start to exit", run(kTimes, [&] {
              QProcess p;
              p.start(program, {QStringLiteral("--import"), csv, QStringLiteral("--output"), lesson});
              if (!p.waitForFinished(30000) || p.exitCode() != 0)
                  std::fprintf(stderr, "conversion failed: %s\n", p.readAllStandardError().constData());
          }));
    return 0;
}
