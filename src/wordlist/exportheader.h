#pragma once
// The settings lines at the top of another flash-card program's plain-text export:
//
//   #separator:tab        (comma, semicolon, space, pipe, tab; or the character itself)
//   #html:true            (the fields are HTML, reduced to text when read)
//   #columns:Front<TAB>Back<TAB>Tags    (names of the columns, in the file's separator)
//   #tags column:3        (1-based; as are #guid column, #notetype column, #deck column)
//   #deck:Spanish         #notetype:Basic
//
// Such lines are settings, never cards. They are read only at the very top of the file, one
// per line, each `#name:value`; the first line that is not one ends them.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace wordlist {

struct ExportHeader {
    int lines = 0;      // settings lines read
    qsizetype bytes = 0; // bytes they take, line ends included
    char separator = 0; // 0 when not given or not one the reader knows
    bool html = false;
    QString columnsText; // the raw #columns value, split once the separator is known
    QString deck;
    QString notetype;
    // 0-based, -1 when not given.
    int tagsColumn = -1;
    int guidColumn = -1;
    int notetypeColumn = -1;
    int deckColumn = -1;

    bool present() const { return lines > 0; }
    // Whether a column holds no card text (tags, a note's id, its type or deck).
    bool isMetaColumn(int column) const;
    // The column names of #columns split at `separator`.
    QStringList columnNames(char separator) const;
    // The first two columns that are not meta columns: the card's front and back by default.
    void defaultColumns(int& front, int& back) const;
};

// Reads the settings lines at the start of `text` (UTF-8). `complete` says whether `text` is
// the whole file: a settings line cut by the end of an incomplete text is not taken.
ExportHeader readExportHeader(const QByteArray& text, bool complete);

} // namespace wordlist
