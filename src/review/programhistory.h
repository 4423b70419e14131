#pragma once
// The study program's review history: one database per process, opened when first needed,
// scheduling with the choices of Preferences. When the database can't be used the program
// studies on without it; the reason is told once.
#include "history.h"

#include <QDateTime>
#include <functional>

namespace review {

// The time as the review sees it (the user's local time); tests set another source.
QDateTime now();
void setNowSource(std::function<QDateTime()> source);

// The scheduling choices of Preferences (the program-wide options).
history::Settings settingsFromOptions();

// The open history, or nullptr when it can't be used (see historyProblem()). Opens it at the
// first call, at AppState::historyPathOverride or else History::defaultPath().
history::History* programHistory();
// Why the history can't be used; empty while it can (or has not been opened yet).
QString historyProblem();
// The problem, once per process: empty after the first call, and while there is none.
QString takeHistoryProblem();
// Preferences changed: the history schedules with the new choices from now on.
void applyOptions();
// Closes the history (tests, and before the program ends); the next use opens it again.
void closeProgramHistory();

// The chapter of a deck slot as the history knows it: its file, title and questions (every
// card of the deck loaded from that file). Nothing for a card whose file is not known.
std::optional<history::Chapter> chapterOfSlot(int slot);

// Records a grade of the card in `slot`; `source` tells where it was given ("study",
// "drill", "review"). The card's new state, or nothing when it could not be recorded.
std::optional<fsrs::Card> gradeSlot(int slot, fsrs::Grade grade, qint64 answerMs, const QString& source);
// What each grade would give the card in `slot` now, Again first ("1 min", "10 min", "3 d",
// ...); empty texts when the card can't be graded.
std::array<QString, 4> gradeIntervals(int slot);

} // namespace review
