#pragma once
// The figures behind the statistics, read from the review history's file (see History) for
// every chapter or for one. The counting is done by SQLite: the reviews are grouped into
// quarter hours there and only those sums come back, which are then put into study days
// here (a study day begins at a set hour of local time; every time zone's offset is a whole
// number of quarter hours, so no quarter hour straddles two study days).
#include "chapteridentity.h"

#include <QDateTime>
#include <QString>
#include <QVector>

namespace reviewstats {

inline constexpr int kComingDays = 30;
inline constexpr int kReviewDays = 365;
inline constexpr int kRetentionWeeks = 52;
inline constexpr int kRetentionRecentDays = 30; // the chapter table's retention
inline constexpr int kMatureDays = 21; // a card whose interval is this long or longer is mature

struct ComingDue {
    int overdue = 0;            // due before today's study day began
    QVector<int> perDay;        // kComingDays entries; [0] is today (due today, overdue apart)
    QVector<int> runningTotal;  // [i]: overdue plus perDay[0 .. i]
};

struct ReviewDays {
    QVector<int> perDay;  // kReviewDays entries, the last one today
    int streak = 0;       // study days in a row with reviews, up to today (or to yesterday)
    int daysStudied = 0;  // days of perDay with at least one review
};

// Reviews of cards already learnt (in the review state before the review) and how many of
// them were not graded Again.
struct RetentionWeek {
    int reviews = 0;
    int passed = 0;
};

// The reviewed cards are counted as the history holds them, including any whose question
// has since left the chapter; the new ones are the chapter's questions with no history.
struct StateCounts {
    int fresh = 0;    // in the chapter, never reviewed
    int learning = 0; // learning or relearning
    int young = 0;    // review state, interval under kMatureDays
    int mature = 0;
};

struct ChapterRow {
    QString path;
    QString title;
    StateCounts states;
    int cards = 0;       // questions of the chapter
    int dueToday = 0;    // reviewed cards due before the next study day begins
    double maturePercent = 0.0; // mature of all cards counted in `states`
    qint64 timeMs = 0;   // answer time of every review
    int retention30Reviews = 0; // reviews of learnt cards in the last 30 study days
    int retention30Passed = 0;  // of those, not graded Again
};

struct Figures {
    ComingDue comingDue;
    ReviewDays reviewDays;
    QVector<RetentionWeek> retention; // kRetentionWeeks entries, the last the 7 study days ending today
    QVector<ChapterRow> chapters; // one per chapter counted, in the order given
};

// Reads the history file at `path` (never writing it). `chapters` lists the chapters as they
// are now (their questions give the cards never reviewed); `onlyPath` picks one of them, or
// all when empty. `now` is local time. Returns false, with `error` set, when the file cannot
// be read; `out` is then left empty.
bool compute(const QString& path, const QVector<history::Chapter>& chapters, const QString& onlyPath,
             const QDateTime& now, int dayStartHour, Figures& out, QString* error = nullptr);

// The streak of a run of daily counts whose last entry is today: the days in a row with a
// count, ending today, or ending yesterday when today has none yet.
int streakOf(const QVector<int>& perDay);

} // namespace reviewstats
