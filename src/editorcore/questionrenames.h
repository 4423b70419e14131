#pragma once
// A card's review history is kept under its chapter file and its question (front). When a
// saved chapter's fronts changed, the history follows them: each card that was in the file at
// the last load or save knows the front it had there, and the save turns those into renames
// of the history. No windows here.
#include <QString>
#include <QVector>

namespace qredit {

// A card of the file as it was loaded or last saved, with its front then and now.
struct TrackedQuestion {
    QString saved;
    QString now;
};

struct QuestionRename {
    QString from;
    QString to;
    bool operator==(const QuestionRename&) const = default;
};

// The renames to make, in an order in which each one finds its target free: a front renamed
// to one that another card leaves in the same save waits for that card to move (a chain); a
// cycle (two fronts swapped) goes through a temporary front `temporary(n)`. A front that keeps
// its card, or whose card became two with different fronts, follows nothing. Two fronts
// renamed to one, or onto a front some card already has, are one card in the saved file (a
// chapter holds a front once), so their histories join there.
QVector<QuestionRename> renamePlan(const QVector<TrackedQuestion>& cards, const QString& temporaryPrefix);

// What became of the renames of one save.
struct RenameOutcome {
    bool attempted = false; // there was a history with something to move
    bool pending = false;   // the renames are still to be made (at the next save)
    QString problem;        // why the history did not follow, for the status bar; empty when it did
};

// Makes the renames of `cards` in the history at `historyPath` for the chapter at
// `chapterPath`. Opens the history only when some front changed, and not at all when it
// has no file yet (then no card has a history to follow). A history that cannot be used
// is left exactly as it was.
RenameOutcome recordRenames(const QString& historyPath, const QString& chapterPath,
                            const QVector<TrackedQuestion>& cards);

} // namespace qredit
