// KVTML files in the window: opened as a new chapter (File > Open, a drop, the command line)
// or imported into this one, after asking which languages and lessons when there is a choice.
#include "editorwindow.h"

#include "cardlistmodel.h"
#include "kvtmlimport.h"
#include "lessondialog.h"
#include "prompter.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QTreeView>

namespace qredit {

namespace {
std::function<bool(LessonDialog&)>& lessonRunner() {
    static std::function<bool(LessonDialog&)> runner = [](LessonDialog& d) { return d.exec() == QDialog::Accepted; };
    return runner;
}
} // namespace

void EditorWindow::setLessonRunner(std::function<bool(LessonDialog&)> runner) {
    lessonRunner() = runner ? std::move(runner) : [](LessonDialog& d) { return d.exec() == QDialog::Accepted; };
}

bool EditorWindow::isKvtmlFile(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("kvtml"), Qt::CaseInsensitive) == 0;
}

bool EditorWindow::takeKvtml(const QString& path, bool asNewChapter) {
    const QString title = asNewChapter ? QStringLiteral("Can't open file") : QStringLiteral("Can't import file");
    if (!refuseOddFile(path, title, QStringLiteral("Nothing was changed.")))
        return false;
    const kvtml::Document doc = kvtml::Reader::readFile(path);
    if (!doc.ok()) {
        prompter().ask(
            MsgIcon::Exclamation, MsgButtons::Ok, title,
            QStringLiteral("'%1' can't be read: %2. Nothing was changed.").arg(QFileInfo(path).fileName(), doc.error));
        return false;
    }
    KvtmlChoice choice = defaultKvtmlChoice(doc);
    if (!doc.lessons.isEmpty() || doc.identifiers.size() > 2) {
        LessonDialog dlg(QFileInfo(path).fileName(), doc, this);
        if (!lessonRunner()(dlg))
            return false;
        choice = dlg.choice();
    }
    if (asNewChapter) {
        // The caller has offered to save the chapter this one replaces.
        m_filename.clear();
        m_model->clear();
        resetHistory();
        SetModified(false);
        // One lesson gives the chapter its name; more, the file's title.
        QString chapterTitle = doc.title;
        if (choice.lessons.size() == 1 && !choice.entriesInNoLesson)
            chapterTitle = lessonTitle(doc.lessons[choice.lessons.first()]);
        else
            chapterTitle = lessonTitle(kvtml::Lesson{chapterTitle, {chapterTitle}, 0, {}});
        m_title->setText(chapterTitle);
    }
    const wordlist::WordTable table = kvtmlTable(doc, choice);
    return importFrom(
        QFileInfo(path).fileName(), ',', [&table](const wordlist::ReadOptions&) { return table; }, Preview::Never);
}

} // namespace qredit
