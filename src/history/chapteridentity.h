#pragma once
// How the history knows a chapter. First by its file path. A path it has never seen may be
// a chapter whose file was moved or renamed: its old path no longer holds a file, and the
// chapter still has the same questions. Two rules find it, the first that fits wins:
//
//  1. the fingerprint of its questions (the set of questions, sorted, order and doubles
//     ignored) equals the one last recorded for a chapter whose file is gone: the file was
//     moved as it was, whatever its title says now;
//  2. the title is the same and more than half of the questions that chapter has a history
//     for are among the new file's questions: the file was moved and then edited a little.
//     Should two gone chapters fit equally well, neither is taken.
//
// A chapter whose old file still exists is never taken over: a copy of a chapter starts a
// history of its own instead of pulling the original's back and forth.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>

namespace history {

// A chapter as the chapter window lists it: its file, title and questions in file order.
struct Chapter {
    QString path;
    QString title;
    QStringList questions;
};

// SHA-1 (hex) of the sorted distinct questions, each in UTF-8 and ended by a zero byte.
QByteArray questionFingerprint(const QStringList& questions);

// A chapter the history already holds.
struct KnownChapter {
    qint64 id = 0;
    QString title;
    QByteArray fingerprint;
    QStringList reviewedQuestions; // questions with at least one review
    bool fileExists = true;        // its recorded path still holds a file
};

// The id of the known chapter `chapter` is, moved, or nothing.
std::optional<qint64> findMovedChapter(const Chapter& chapter, const QVector<KnownChapter>& known);

} // namespace history
