#include "studyday.h"

#include <QTimeZone>

namespace fsrs {

StudyDay studyDay(const QDateTime& now, int dayStartHour) {
    dayStartHour = qBound(0, dayStartHour, 23);
    QDate date = now.date();
    if (now.time().hour() < dayStartHour)
        date = date.addDays(-1);
    const QDateTime next(date.addDays(1), QTime(dayStartHour, 0), now.timeZone());
    return {QDate(1970, 1, 1).daysTo(date), next.toMSecsSinceEpoch()};
}

} // namespace fsrs
