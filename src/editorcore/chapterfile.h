#pragma once
// Reading and writing one chapter file: a record store whose comment is the chapter mark,
// whose title is the deck title and which holds one entry per card (question as the name,
// with the special letters written as markers, answer as the string value, tag
// "qre_word"). No windows here.
#include "filetext.h"

#include <QString>
#include <QVector>

namespace qredit {

struct CardRow {
    QString question;
    QString answer;
    bool operator==(const CardRow&) const = default;
};

// A card entry is 20 bytes of fixed fields plus name, string value and the tag "qre_word"
// in a 128-byte slot: question (markers counted) and answer share what is left.
constexpr int kMaxCardLength = 128 - 20 - 8;
// The most cards the study program loads from one chapter: its deck of n cards has n + 1
// slots with 16-bit indices. (A store holds 32,767 entries; the editor opens and saves a
// chapter of that many as it came, but makes none.)
constexpr int kMaxCards = 32766;

// Removes leading and trailing spaces (only spaces: a tab is part of the text).
QString trimSpaces(const QString& text);
// Bytes the question takes in the file, special letters counted as their 8-character markers.
int storedQuestionLength(const QString& question, TextEncoding encoding = TextEncoding::Windows1252);
// Bytes the card takes in the file after trimming: stored question plus answer. Without an
// encoding: in a Windows-1252 file, where a byte is a character.
int cardLength(const QString& question, const QString& answer, TextEncoding encoding = TextEncoding::Windows1252);
bool cardFits(const QString& question, const QString& answer, TextEncoding encoding = TextEncoding::Windows1252);
// The header holds 12 bytes of fixed fields, the chapter mark and the title (and in a UTF-8
// file the 5-byte marker: 65 bytes for the title unmarked, 60 marked).
int maxTitleLength(TextEncoding encoding = TextEncoding::Windows1252);
int titleLength(const QString& title, TextEncoding encoding = TextEncoding::Windows1252);
bool titleFits(const QString& title, TextEncoding encoding = TextEncoding::Windows1252);

// The encoding a chapter of these rows and title is saved in: UTF-8 when any text needs it.
TextEncoding chapterEncoding(const QVector<CardRow>& rows, const QString& title, const QVector<CardRow>& more = {});

// Whether a chapter can be saved, and if not, why. One text outside Windows-1252 makes the
// whole file UTF-8, so a card that fits as Windows-1252 can stop fitting because of another.
struct ChapterFit {
    TextEncoding encoding = TextEncoding::Windows1252;
    int badRow = -1;           // the first row that does not fit, counted over rows then `more`
    bool titleTooLong = false; // checked first
    int bytes = 0;             // what the record that does not fit takes
    int limit = 0;             // what it may take
    QString reason;            // for the user, e.g. "the card 'x' takes 104 bytes in UTF-8; ..."
    bool fits() const { return badRow < 0 && !titleTooLong; }
};
// Checks the title and every row (trimmed, as saved) of `rows` followed by `more`.
ChapterFit checkChapter(const QVector<CardRow>& rows, const QString& title, const QVector<CardRow>& more = {});
// The same for an edit of a chapter that was in the encoding `before`: a card of `rows` (other
// than `changedRow`) or an unchanged title that did not fit already then is passed over, as it
// came so from a foreign file and its save reports it; what the edit changes is checked.
ChapterFit checkChapterEdit(const QVector<CardRow>& rows, const QString& title, const QVector<CardRow>& more,
                            TextEncoding before, int changedRow, bool titleChanged);

enum class LoadResult { Loaded, Failed, Incompatible };

// Reads the chapter at `path`. Rows whose question is blank are skipped; a numeric entry
// gives an empty answer. Failed: the file can't be read (`error` says why); Incompatible:
// it is no record store, or its comment is not the chapter mark. Never creates a file.
LoadResult loadChapter(const QString& path, QVector<CardRow>& rows, QString& title, QString& error);

// Writes the rows as a chapter file, replacing `path` as a whole or not at all. Two rows
// with the same question become one entry, at the first row's place, with the last answer.
// False with `error` (and `badRow` set to the offending row, or -1) when nothing was written.
bool saveChapter(const QString& path, const QVector<CardRow>& rows, const QString& title, QString& error,
                 int* badRow = nullptr);

} // namespace qredit
