#pragma once
// How the rows of a word list join the editor's list, by the rules of Add Item: a row whose
// question is already in the list gives that row its answer; a new question goes in where
// Add Item would put it (at the end, or above the selected row). Shared by the window and
// the command line, so both make the same chapter from the same file. No windows here.
#include "chapterfile.h"
#include "wordlistreader.h"

#include <QPair>

namespace qredit {

struct ImportProblem {
    qint64 line;
    QString reason;
};

struct ImportPlan {
    int insertAt = 0;                     // where the block of new rows goes
    QVector<CardRow> inserted;            // the new rows, in file order
    QVector<QPair<int, QString>> answers; // rows of the list that get a new answer: (row, answer)
    QVector<ImportProblem> problems;      // rows that can't be cards, by line
    qint64 overflow = 0;                  // new cards left out because the chapter is full
    qint64 emptyBacks = 0;                // cards (new or answered) whose back is empty
    bool isEmpty() const { return inserted.isEmpty() && answers.isEmpty(); }
};

// Why a card can't be stored in a chapter of `encoding`, or an empty text when it can.
QString cardProblem(const QString& question, const QString& answer, TextEncoding encoding);

// `insertAt` -1 appends. At most kMaxCards - existing.size() rows are new; the rest count as
// overflow, each front once (rows with the same front are one card, the last answer winning,
// before the limit is counted). A row with an empty back is a card with an empty answer. A
// row is left out, with its problem, when its front is empty or the card is too
// long for its record in the encoding the chapter (list, title and new rows) will be saved in.
ImportPlan planImport(const QVector<CardRow>& existing, int insertAt, const wordlist::WordTable& table,
                      const QString& title);

// Cards of the plan whose back is empty.
qint64 emptyBacks(const ImportPlan& plan);
// Keeps the first `limit` new cards (all when `limit` is negative); the rest count as overflow.
void limitPlan(ImportPlan& plan, qint64 limit);
// ", 2 with an empty back" for the messages after an import; empty when there are none.
QString emptyBacksText(const ImportPlan& plan);

// The list after the plan (for the command line, which has no window).
QVector<CardRow> applyPlan(QVector<CardRow> rows, const ImportPlan& plan);

// "1 card" or "2 cards": `one` or `many` with %1 set to `n`.
QString counted(qint64 n, const QString& one, const QString& many);
// What an import did, for the status bar: "1 card imported from 'w.csv', 2 answers replaced,
// 1 with an empty back";
// "... pasted" when `name` is empty.
QString importDoneText(const ImportPlan& plan, const QString& name);
// The question before an import that does not fit: the new cards (each front once) against
// the room left.
QString tooManyCardsQuestion(const ImportPlan& plan, const QString& subject, qint64 room);

// One message for all problems: at most `shown` lines, then how many more.
QString problemReport(const QVector<ImportProblem>& problems, int shown = 20);

} // namespace qredit
