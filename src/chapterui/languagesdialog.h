#pragma once
// "Languages..." of the chapter window: the front and the back language of the selected
// chapter, each chosen from the languages the speech engine has voices for, or "Guess from
// the cards" (the guess shown beside it). The choice goes to the review history, never into
// the chapter file.
#include <QDialog>
#include <QStringList>

#include <functional>

class QComboBox;
class QLabel;
class QToolBar;
class frmChapter;

// The language codes the speech engine has voices for; the wiring fills it (empty: none known).
std::function<QStringList()>& voiceLanguages();

class LanguagesDialog : public QDialog {
    Q_OBJECT
public:
    // For the chapter file `path`; reads its cards. `ok()` is false when they can't be read.
    LanguagesDialog(const QString& path, const QString& title, QWidget* parent);
    bool ok() const { return m_ok; }
    QComboBox* frontCombo() const { return m_front; }
    QComboBox* backCombo() const { return m_back; }
    // OK: keeps the choice; a failed write is told, and the dialog stays.
    void accept() override;

    // "Russian (ru)"; the code alone when Qt knows no name for it.
    static QString languageCaption(const QString& code);

private:
    void fill(QComboBox* combo, const QString& guessed, const QString& chosen, const QStringList& codes);

    QString m_path;
    QString m_title;
    QStringList m_questions;
    QComboBox* m_front = nullptr;
    QComboBox* m_back = nullptr;
    bool m_ok = false;
};

// Adds "Languages..." (Ctrl+G) to the chapter window's toolbar, before About.
void addLanguagesCommand(frmChapter* window, QToolBar* toolbar);
// Opens the dialog for the chapter window's current row (modal); a read failure is told.
void chooseChapterLanguages(frmChapter* window);
