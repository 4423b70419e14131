#pragma once
// The window in which the user chooses what to study: the list of chapter files (kept in
// the master database), Import and Delete, Load Saved, and the ways out: OK, Cancel, Editor.
#include <QWidget>
#include <functional>

class QTreeWidget;
class QTabBar;
class QPushButton;
class QToolBar;
class QLabel;
class frmProgress;

// Commands that live in other parts of the program; the wiring fills them.
struct ChapterCommands {
    std::function<bool(QWidget* owner)> loadProgress;
    std::function<void()> about;
    std::function<void(QWidget* owner)> exportHistory;
};
ChapterCommands& chapterCommands();

class frmChapter : public QWidget {
    Q_OBJECT
public:
    frmChapter();

    void FillFileList();
    void SaveFileList();
    bool LoadSelectedChapters();

    // The toolbar buttons by identifier: "sall", "del", "lsaved", "history", "stats", "about".
    void toolbarClick(const QString& key);
    void okClicked();
    void cancelClicked();
    void editorClicked();
    // "Review Due (N)": studies every card of the listed chapters that is due now, then the
    // day's new cards, and grades them into the review history.
    void reviewClicked();
    // Counts the cards "Review Due" would bring now and shows the number on its button.
    void refreshDueCount();
    QPushButton* reviewButton() const { return m_review; }
    void setControlsEnabled(bool on);

    QTreeWidget* LV1() const { return m_list; }
    QTabBar* ts() const { return m_tabs; }
    QPushButton* Command1() const { return m_ok; }
    QPushButton* Command2() const { return m_cancel; }
    QPushButton* Command5() const { return m_editor; }
    QToolBar* Toolbar2() const { return m_toolbar; }
    QWidget* page(int i) const { return m_pages[i]; }
    bool editorpresent() const { return m_editorPresent; }
    frmProgress* progressWindow() const;

private:
    void addRow(const QString& text, int count, const QString& path);
    void itemClicked();
    void tabClicked(int index);
    void importChapter();
    void unload();
    bool pathFitsList(const QString& path, QString* why) const;
    void startStudy();

    QToolBar* m_toolbar = nullptr;
    QTabBar* m_tabs = nullptr;
    QWidget* m_pages[2] = {};
    QTreeWidget* m_list = nullptr;
    QLabel* m_label1 = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_editor = nullptr;
    QPushButton* m_review = nullptr;
    int m_dueCount = 0;
    bool m_controlsEnabled = true;
    bool m_editorPresent = false;
    QWidget* m_progress = nullptr;
};

frmChapter* chapterWindow();
// Loads and shows the chapter window (start-up and new session).
frmChapter* showChapterWindow();
