#pragma once
// The editor's read-aloud buttons: a small "🔊" beside the Front and the Back field speaks
// the field in the language of that side of the chapter (guessed from the chapter's cards),
// so that a writer hears a typo. Ctrl+Shift+F reads the front, Ctrl+Shift+B the back. Without
// a voice, the status bar says so once per language; nothing else happens.
#include "speaker.h"

#include <QString>
#include <QStringList>

#include <functional>

class QGridLayout;
class QLineEdit;
class QMainWindow;
class QToolButton;

namespace qredit {

// The speech engine of the editor; the default makes the real one on first use. Tests put a
// recorder there.
std::function<speech::Speaker*()>& editorSpeaker();

struct ReadAloudButtons {
    QToolButton* front = nullptr;
    QToolButton* back = nullptr;
};

// Adds the two buttons in `column` of the rows of the Front (row 0) and Back (row 1) fields.
// `sideTexts(true)` gives the chapter's fronts, `sideTexts(false)` its backs.
ReadAloudButtons addReadAloudButtons(QMainWindow* window, QGridLayout* grid, int column, QLineEdit* front,
                                     QLineEdit* back, std::function<QStringList(bool front)> sideTexts);

// The language of a side: guessed from the chapter's texts and the field's own text.
QString fieldLanguage(const QStringList& chapterTexts, const QString& field);

} // namespace qredit
