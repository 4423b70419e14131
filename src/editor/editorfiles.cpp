// The file commands: New, Open and Save of one chapter file, the question before unsaved
// changes are dropped, and where the file dialogs start.
#include "editorwindow.h"

#include "cardlistmodel.h"
#include "questionrenames.h"
#include "gcommondialog.h"
#include "prompter.h"
#include "regularfile.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QStandardPaths>

namespace qredit {

namespace {
const QString kFilter = QStringLiteral("Quarnel Save File|*.qex");
const QString kOpenFilter = QStringLiteral("Quarnel Save File|*.qex|KVTML Vocabulary|*.kvtml");
const QString kDefaultExt = QStringLiteral("qex");
const QString kSaveQuestion = QStringLiteral("Would you like to save your changes?");
} // namespace

QString EditorWindow::dialogFolder() const {
    if (!m_filename.isEmpty())
        return QFileInfo(m_filename).absolutePath();
    // The study program keeps its files in the documents folder's "Quarnel".
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return QString();
    const QString home = documents + QStringLiteral("/Quarnel");
    return QFileInfo(home).isDir() ? home : documents;
}

bool EditorWindow::maybeSave(const QString& title) {
    if (!m_modified)
        return true;
    switch (prompter().ask(MsgIcon::None, MsgButtons::YesNoCancel, title, kSaveQuestion)) {
    case MsgResult::Yes:
        return SaveDeck();
    case MsgResult::No:
        return true;
    default:
        return false;
    }
}

bool EditorWindow::askPath(FileDialog kind, QString& name, const QString& filter, const QString& title,
                           const QString& extension, bool overwritePrompt, qint32* type) {
    QString fileTitle;
    QString filters = filter;
    qint32 filterIndex = 1;
    qint32 flags = 0;
    bool readOnly = false;
    GCommonDialog dlg;
    const bool chosen =
        kind == FileDialog::Open
            ? dlg.VBGetOpenFileName(name, fileTitle, true, false, readOnly, false, filters, filterIndex, dialogFolder(),
                                    title, extension, this, flags)
            : dlg.VBGetSaveFileName(name, fileTitle, overwritePrompt, filters, filterIndex, dialogFolder(), title,
                                    extension, this, flags);
    if (type)
        *type = filterIndex;
    return chosen;
}

bool EditorWindow::NewDeck() {
    if (!maybeSave(QStringLiteral("Save Changes")))
        return false;
    m_filename.clear();
    m_model->clear();
    // A new deck starts without the old deck's title, which would otherwise be saved with it.
    m_title->clear();
    resetHistory();
    SetModified(false);
    return true;
}

bool EditorWindow::OpenDeck() {
    if (!maybeSave(QStringLiteral("Save Changes")))
        return false;
    // The dialog empties the name on a cancel; the current file stays current.
    QString name = m_filename;
    if (!askPath(FileDialog::Open, name, kOpenFilter, QString(), kDefaultExt))
        return false;
    return openFile(name);
}

bool EditorWindow::refuseOddFile(const QString& path, const QString& title, const QString& consequence) {
    const QString reason = notRegularFileReason(path);
    if (reason.isEmpty())
        return true;
    prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title, QStringLiteral("%1. %2").arg(reason, consequence));
    return false;
}

bool EditorWindow::openFile(const QString& path) {
    if (isKvtmlFile(path))
        return takeKvtml(path, true);
    if (!refuseOddFile(path, QStringLiteral("Can't open file"), QStringLiteral("Nothing was opened.")))
        return false;
    QVector<CardRow> rows;
    QString title;
    QString error;
    switch (loadChapter(path, rows, title, error)) {
    case LoadResult::Incompatible:
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Incompatible File Detected"),
                       QStringLiteral("The specified file cannot be opened by this program. Please choose a different "
                                      "one to edit."));
        return false;
    case LoadResult::Failed:
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't open file"),
                       QStringLiteral("The file '%1' couldn't be opened: %2").arg(path, error));
        return false;
    case LoadResult::Loaded:
        break;
    }
    m_model->setRows(std::move(rows));
    m_title->setText(title);
    m_filename = path;
    resetHistory();
    SetModified(false);
    setStatus(QStringLiteral("File loaded successfully"));
    UpdateAddButton();
    return true;
}

bool EditorWindow::SaveDeck() {
    QString target = m_filename;
    if (target.isEmpty() && !askPath(FileDialog::Save, target, kFilter, QString(), kDefaultExt))
        return false;
    QString error;
    int badRow = -1;
    if (!saveChapter(target, m_model->rows(), m_title->text(), error, &badRow)) {
        if (badRow >= 0)
            selectRow(badRow);
        // The list, the file name and the modified flag stay as they were.
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't save file"),
                       QStringLiteral("The file '%1' couldn't be saved: %2").arg(target, error));
        setStatus(QStringLiteral("File not saved"));
        return false;
    }
    // The review history follows the fronts renamed since the last load or save, now that the
    // file holds them. A save under another name (the first save of a new chapter) is a file
    // whose cards start histories of their own. Whatever becomes of the history, the save
    // stands; a rename it did not take is tried again at the next save.
    const RenameOutcome renames = target != m_filename
                                      ? RenameOutcome{}
                                      : recordRenames(m_historyPath, target, m_model->trackedQuestions());
    m_model->markSaved(renames.pending);
    m_filename = target;
    SetModified(false);
    setStatus(renames.problem.isEmpty() ? QStringLiteral("File saved successfully")
                                        : QStringLiteral("File saved successfully. ") + renames.problem);
    return true;
}

} // namespace qredit
