#pragma once
// The editor's one window (object name "frmMain"): the list of cards, the fields for the
// card being typed, the deck title, and the file operations on one chapter file.
#include "chapterfile.h"

#include <QMainWindow>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QModelIndex;
class QPushButton;
class QStatusBar;
class QToolBar;
class QTreeView;

namespace qredit {

class CardListModel;

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

    // The actions behind the controls.
    void AddItem();
    void NewElement();
    void DeleteRow();
    void ResetFields();
    void ShowAbout();

    QString fileName() const { return m_filename; }
    bool isModified() const { return m_modified; }
    CardListModel* model() const { return m_model; }
    // The selected row, or -1.
    int selectedRow() const;
    void selectRow(int row);
    QString statusText() const;

    static QString aboutText();
    static QString captionFor(const QString& filename, bool modified);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildUi();
    bool maybeSave(const QString& title);
    void rowClicked(const QModelIndex& index);
    void setStatus(const QString& text);
    // False when the chapter would not save; the reason goes to m_refusal. `typedRow` is the
    // index (in the fit's counting) of the card being typed, whose refusal reads differently.
    bool refuse(const ChapterFit& fit, int typedRow);
    TextEncoding currentEncoding() const;
    bool typedCardFits(const QString& front, const QString& back);
    bool titleChangeFits(const QString& title);
    void showBytesLeft();
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
    QPushButton* m_add = nullptr;
    QPushButton* m_reset = nullptr;
    QStatusBar* m_status = nullptr;
    QLabel* m_statusText = nullptr;
    QAction* m_insert = nullptr;

    QString m_filename;
    bool m_modified = false;
    QString m_refusal;
    QString m_acceptedTitle; // the title before the edit a validator is looking at
};

} // namespace qredit
