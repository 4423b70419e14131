#pragma once
// The editor's one window (object name "frmMain"): the list of cards, the fields for the
// card being typed, the deck title, and the file operations on one chapter file.
#include "chapterfile.h"
#include "editcommand.h"
#include "wordlistreader.h"

#include <QMainWindow>
#include <functional>

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QStatusBar;
class QToolBar;
class QTreeView;
class QUndoStack;

namespace qredit {

class CardListModel;
class ImportDialog;
class LessonDialog;
class PackageDialog;
// Whether a file is a package of another flash-card program (.apkg, .colpkg).
bool isPackageFile(const QString& path);
struct RowEdit;

class EditorWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit EditorWindow(QWidget* parent = nullptr);
    ~EditorWindow() override;

    // File operations. Each returns true when it went through; New and Open first offer
    // to save unsaved changes, and a Cancel there (or a failed save) keeps the document.
    bool NewDeck();
    bool OpenDeck();
    bool SaveDeck();
    // Opens `path` without a dialog (the file named on the command line).
    bool openFile(const QString& path);

    // Adds a row (index -1: at the end; otherwise above row `index`) or, with `replace`,
    // sets the answer of the selected row. Refuses a card too long for its record.
    bool PutRow(const QString& question, const QString& answer, int index, bool replace);
    // Selects the first row whose question equals the Front field.
    bool FindQuestion();
    void SetModified(bool value);
    void UpdateCaption();
    void UpdateAddButton();
    void ClearFields();

    // Word lists: Import (with the preview, unless `preview` is false) and Export. The
    // rows of an import are one step of the undo history.
    bool ImportList();
    bool importFile(const QString& path, bool preview = true);
    bool importText(const QByteArray& text, const QString& name, bool preview);
    // The clipboard: the selected rows as tab-separated text and an HTML table; Cut takes
    // them out as one step; Paste adds the rows of the clipboard's text by the import rules
    // (through the preview unless the text has two columns), as one step.
    bool CopyRows();
    bool CutRows();
    bool PasteRows();
    bool ExportList();
    bool exportFile(const QString& path);
    // The chapter on paper: the print dialog (word list or cut-out cards), or a PDF file.
    bool PrintChapter();
    bool ExportPdf();
    // How the preview runs; a test replaces it (default: the dialog, modal).
    static void setPreviewRunner(std::function<bool(ImportDialog&)> runner);
    // KVTML files: opened as a new, unsaved chapter (the caller has offered to save the one
    // it replaces) or imported into this one, after the choice of languages and lessons
    // (when there is one), which a test may answer.
    static bool isKvtmlFile(const QString& path);
    bool takeKvtml(const QString& path, bool asNewChapter);
    static void setLessonRunner(std::function<bool(LessonDialog&)> runner);
    // Runs the choices before a package is imported (exec() unless a test scripts it).
    static void setPackageRunner(std::function<bool(PackageDialog&)> runner);
    // One chapter file per deck of a package, chosen in a dialog, with the reviews.
    bool importPackage(const QString& path);

    // The actions behind the controls.
    void AddItem();
    void NewElement();
    // Deletes every selected row, as one step.
    void DeleteRow();
    void ResetFields();
    void ShowAbout();

    // The review history a save tells of renamed fronts (by default the study program's);
    // empty for none.
    void setHistoryPath(const QString& path) { m_historyPath = path; }
    QString historyPath() const { return m_historyPath; }

    QString fileName() const { return m_filename; }
    bool isModified() const { return m_modified; }
    CardListModel* model() const { return m_model; }
    QUndoStack* undoStack() const { return m_undo; }
    // The text of the row count in the status bar; with a filter, how many of them are shown.
    QString countText() const;
    // The first selected row, or -1.
    int selectedRow() const;
    // Every selected row the list shows, ascending.
    QVector<int> selectedRows() const;
    void selectRow(int row);
    QString statusText() const;

    // A file dropped on the window: a chapter opens (after the save prompt when modified),
    // a word list is imported through the preview.
    bool dropFile(const QString& path);
    // The file a drag brings, when it is one chapter or word list; empty otherwise.
    static QString droppedFile(const QMimeData* data);

    static QString aboutText();
    static QString captionFor(const QString& filename, bool modified);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildUi();
    bool maybeSave(const QString& title);
    // False, after a message, when `path` names a pipe, a folder or a device: opening a pipe
    // waits for a writer, and the window would hang for good. `consequence` ends the message.
    bool refuseOddFile(const QString& path, const QString& title, const QString& consequence);
    // Asks for a file with the system's dialog, starting in the chapters' folder; false on a
    // cancel. `name` is the suggestion going in and the choice coming out. A Save dialog asks
    // before it replaces a file unless `overwritePrompt` is false; `type` receives the number
    // of the chosen filter.
    enum class FileDialog { Open, Save };
    bool askPath(FileDialog kind, QString& name, const QString& filter, const QString& title, const QString& extension,
                 bool overwritePrompt = true, qint32* type = nullptr);
    void rowClicked(const QModelIndex& index);
    // What a status text is about. The text goes when that changes: a text about the
    // document with every step of the history (done or undone), one about the card being
    // typed when the program empties or fills its fields. The program's version stays.
    enum class StatusAbout { Program, Document, Card };
    void setStatus(const QString& text, StatusAbout about = StatusAbout::Document);
    // Empties a status text about the card being typed.
    void fieldsReplaced();
    // False when the chapter would not save; the reason goes to m_refusal. `typedRow` is the
    // index (in the fit's counting) of the card being typed, whose refusal reads differently.
    bool refuse(const ChapterFit& fit, int typedRow);
    TextEncoding currentEncoding() const;
    bool typedCardFits(const QString& front, const QString& back);
    bool titleChangeFits(const QString& title);
    void showBytesLeft();
    // Puts a change on the undo history, which does it.
    void push(RowEdit edit, const QString& text);
    // Selects the runs of rows (and shows them though the filter would hide them).
    void showRows(const EditCommand::Runs& runs);
    // The list shows only the rows whose question or answer holds the Find text, any case.
    void applyFilter();
    bool filtered() const { return !m_filterText.isEmpty(); }
    void showRow(int row);
    void setDocumentTitle(const QString& title);
    bool editCell(int row, int column, const QString& text);
    void resetHistory();
    void updateCount();
    bool routeShortcut(QObject* watched, QKeyEvent* key);
    bool isMenuShortcut(const QKeyEvent* key) const;
    enum class Preview { Always, Never, UnlessTwoColumns };
    // `name` is the file's name, or empty for the clipboard's text.
    bool importFrom(const QString& name, char fallbackDelimiter,
                    const std::function<wordlist::WordTable(const wordlist::ReadOptions&)>& reader, Preview preview);
    void updateClipboardActions();
    static QString encodingNote(TextEncoding encoding);
    // Where the Open and Save dialogs start.
    QString dialogFolder() const;

    CardListModel* m_model = nullptr;
    QToolBar* m_toolbar = nullptr;
    QTreeView* m_list = nullptr;
    QGroupBox* m_frame = nullptr;
    QLineEdit* m_front = nullptr;
    QLineEdit* m_back = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_find = nullptr;
    QString m_filterText; // folded
    QPushButton* m_add = nullptr;
    QPushButton* m_reset = nullptr;
    QStatusBar* m_status = nullptr;
    QLabel* m_statusText = nullptr;
    QAction* m_insert = nullptr;
    QAction* m_cut = nullptr;
    QAction* m_copy = nullptr;
    QUndoStack* m_undo = nullptr;
    QLabel* m_count = nullptr;
    QString m_docTitle; // the title as the undo history knows it

    QString m_filename;
    QString m_historyPath;
    bool m_modified = false;
    QString m_refusal;
    QString m_acceptedTitle; // the title before the edit a validator is looking at
    StatusAbout m_statusAbout = StatusAbout::Program;
};

} // namespace qredit
