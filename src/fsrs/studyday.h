#pragma once
// The study day: a calendar day in the user's time zone that begins at a set hour of the
// morning rather than at midnight, so a session past midnight still counts as the evening's.
// A card is due today when it falls due before the next study day begins.
#include <QDateTime>

namespace fsrs {

struct StudyDay {
    qint64 number = 0;    // days from 1970-01-01 to the date the study day began on
    qint64 nextStart = 0; // UTC milliseconds since the epoch
    bool isDue(qint64 due) const { return due < nextStart; }
};

// `now` in the user's time zone (or offset); `dayStartHour` 0 .. 23. Across a change to or
// from summer time the study day is an hour shorter or longer: it always begins at the same
// wall-clock hour (or at the first valid time after it, should that hour fall in the gap).
StudyDay studyDay(const QDateTime& now, int dayStartHour = 4);

} // namespace fsrs
