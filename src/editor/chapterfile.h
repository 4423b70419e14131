#pragma once
// Reading and writing one chapter file: a record store whose comment is the chapter mark,
// whose title is the deck title and which holds one entry per card (question as the name,
// with the special letters written as markers, answer as the string value, tag
// "qre_word"). No windows here.
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
// Indices in a store are 16-bit.
constexpr int kMaxCards = 32767;

// Removes leading and trailing spaces (only spaces: a tab is part of the text).
QString trimSpaces(const QString& text);
// Bytes the question takes in the file, special letters counted as their 8-character markers.
int storedQuestionLength(const QString& question);
// Bytes the card takes in the file after trimming: stored question plus answer.
int cardLength(const QString& question, const QString& answer);
bool cardFits(const QString& question, const QString& answer);
// The header holds 12 bytes of fixed fields, the chapter mark and the title.
int maxTitleLength();
bool titleFits(const QString& title);

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
