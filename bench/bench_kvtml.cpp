// Opening a KVTML file of 20,000 entries (two languages, ten lessons): the reader alone, the
// rows it gives, and File > Open in the editor's window on the offscreen platform (read, rows,
// import rules, the list filled and painted). Prints min, median and max in ms of 7 runs.
#include "benchtiming.h"
#include "cardlistmodel.h"
#include "editorwindow.h"
#include "kvtml.h"
#include "kvtmlimport.h"
#include "lessondialog.h"
#include "testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
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
    constexpr int kEntries = 20000;
    constexpr int kTimes = 7;

    QVector<qredit::CardRow> rows;
    for (int i = 0; i < kEntries; ++i)
        rows.append({QStringLiteral("Wort %1 \u00E4\u00F6\u00FC").arg(i), QStringLiteral("word %1 & more").arg(i)});
    kvtml::Document doc = qredit::chapterDocument(rows, QStringLiteral("Big"));
    // Ten lessons of 2,000 entries each.
    kvtml::Lesson all = doc.lessons.first();
    doc.lessons.clear();
    for (int l = 0; l < 10; ++l) {
        kvtml::Lesson lesson{QStringLiteral("Lesson %1").arg(l + 1), {QStringLiteral("Lesson %1").arg(l + 1)}, 0, {}};
        lesson.entries = all.entries.mid(l * kEntries / 10, kEntries / 10);
        doc.lessons.append(lesson);
    }
    const QString path = dir.filePath(QStringLiteral("big.kvtml"));
    QString error;
    if (!kvtml::Writer::writeFile(path, doc, error)) {
        std::fprintf(stderr, "can't write %s: %s\n", qPrintable(path), qPrintable(error));
        return 1;
    }
    std::printf("%d entries, %lld bytes\n", kEntries, static_cast<long long>(QFile(path).size()));
    std::printf("%-44s %9s %9s %9s\n", "ms", "min", "median", "max");

    print("read the file", run(kTimes, [&] {
              if (!kvtml::Reader::readFile(path).ok())
                  std::abort();
          }));
    const kvtml::Document read = kvtml::Reader::readFile(path);
    print("rows of every lesson", run(kTimes, [&] {
              if (qredit::kvtmlTable(read, qredit::defaultKvtmlChoice(read)).rows.size() != kEntries)
                  std::abort();
          }));

    qredit::EditorWindow window;
    window.show();
    QApplication::processEvents();
    qredit::EditorWindow::setLessonRunner([](qredit::LessonDialog&) { return true; });
    print("File > Open in the window, painted", run(kTimes, [&] {
              if (!window.openFile(path) || window.model()->rowCount() != kEntries)
                  std::abort();
              window.repaint();
              QApplication::processEvents();
          }));
    return 0;
}
