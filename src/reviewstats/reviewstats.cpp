#include "reviewstats.h"

#include "fsrs.h"
#include "studyday.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>
#include <QUuid>
#include <algorithm>

namespace reviewstats {

namespace {

constexpr qint64 kQuarterHourMs = 15 * 60 * 1000;

// The starts (UTC ms) of `count` study days in a row, the first `first` days from today
// (negative: in the past), followed by the start of the day after the last.
QVector<qint64> dayStarts(const QDateTime& now, int dayStartHour, int first, int count) {
    QVector<qint64> starts;
    starts.reserve(count + 1);
    const qint64 todayNext = fsrs::studyDay(now, dayStartHour).nextStart;
    // Each study day is found from a time in its middle, so a shorter or longer day across a
    // change of summer time still lands in the right one.
    const QDateTime todayStart = QDateTime::fromMSecsSinceEpoch(todayNext, now.timeZone()).addDays(-1);
    for (int i = first; i <= first + count; ++i) {
        const QDateTime noon = todayStart.addDays(i).addSecs(12 * 3600);
        const qint64 next = fsrs::studyDay(noon, dayStartHour).nextStart;
        starts.append(QDateTime::fromMSecsSinceEpoch(next, now.timeZone()).addDays(-1).toMSecsSinceEpoch());
    }
    return starts;
}

// The index of the day of `starts` that holds `time`, or -1 outside them.
int dayOf(const QVector<qint64>& starts, qint64 time) {
    const auto it = std::upper_bound(starts.begin(), starts.end(), time);
    const int i = int(it - starts.begin()) - 1;
    return i >= 0 && i < starts.size() - 1 ? i : -1;
}

class Reader {
public:
    explicit Reader(const QString& path)
        : m_name(QStringLiteral("reviewstats-") + QUuid::createUuid().toString(QUuid::WithoutBraces)) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        db.setDatabaseName(path);
        m_ok = db.open();
        if (!m_ok)
            m_error = db.lastError().text();
    }
    ~Reader() {
        { QSqlDatabase db = QSqlDatabase::database(m_name, false); db.close(); }
        QSqlDatabase::removeDatabase(m_name);
    }
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
    bool m_ok = false;
    QString m_error;
};

} // namespace

int streakOf(const QVector<int>& perDay) {
    qsizetype i = perDay.size() - 1;
    if (i >= 0 && perDay[i] == 0)
        --i; // nothing yet today: the streak may end yesterday
    int streak = 0;
    for (; i >= 0 && perDay[i] > 0; --i)
        ++streak;
    return streak;
}

bool compute(const QString& path, const QVector<history::Chapter>& chapters, const QString& onlyPath,
             const QDateTime& now, int dayStartHour, Figures& out, QString* error) {
    out = {};
    Reader reader(path);
    auto failed = [&](const QString& message) {
        out = {};
        if (error)
            *error = message;
        return false;
    };
    if (!reader.ok())
        return failed(reader.error());

    // The chapters counted, by their id in the file (0 when the history has none).
    QVector<qsizetype> counted;
    for (qsizetype i = 0; i < chapters.size(); ++i)
        if (onlyPath.isEmpty() || chapters[i].path == onlyPath)
            counted.append(i);
    QVector<qint64> ids(counted.size(), 0);
    QSqlQuery q(reader.db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id FROM chapters WHERE path = ?"));
    for (qsizetype k = 0; k < counted.size(); ++k) {
        q.addBindValue(chapters[counted[k]].path);
        if (!q.exec())
            return failed(q.lastError().text());
        if (q.next())
            ids[k] = q.value(0).toLongLong();
        q.finish();
    }
    QStringList idList;
    for (qint64 id : ids)
        if (id)
            idList.append(QString::number(id));
    // The cards of the chapters counted; with none in the file nothing matches.
    const QString inChapters = QStringLiteral("(%1)").arg(idList.isEmpty() ? QStringLiteral("NULL") : idList.join(u','));

    // Coming due, by quarter hour of the due time.
    const QVector<qint64> coming = dayStarts(now, dayStartHour, 0, kComingDays);
    out.comingDue.perDay.fill(0, kComingDays);
    if (!q.exec(QStringLiteral("SELECT due / %1, COUNT(*) FROM cards WHERE chapter IN %2 AND state != 0 AND due < %3 "
                               "GROUP BY 1")
                    .arg(kQuarterHourMs)
                    .arg(inChapters)
                    .arg(coming.last())))
        return failed(q.lastError().text());
    while (q.next()) {
        const qint64 time = q.value(0).toLongLong() * kQuarterHourMs;
        const int n = q.value(1).toInt();
        if (time < coming.first())
            out.comingDue.overdue += n;
        else if (const int d = dayOf(coming, time); d >= 0)
            out.comingDue.perDay[d] += n;
    }
    int total = out.comingDue.overdue;
    for (int n : std::as_const(out.comingDue.perDay))
        out.comingDue.runningTotal.append(total += n);

    // Reviews per day.
    const QVector<qint64> past = dayStarts(now, dayStartHour, 1 - kReviewDays, kReviewDays);
    out.reviewDays.perDay.fill(0, kReviewDays);
    if (!q.exec(QStringLiteral("SELECT r.time / %1, COUNT(*) FROM reviews r JOIN cards c ON c.id = r.card "
                               "WHERE c.chapter IN %2 AND r.time >= %3 AND r.time < %4 GROUP BY 1")
                    .arg(kQuarterHourMs)
                    .arg(inChapters)
                    .arg(past.first())
                    .arg(past.last())))
        return failed(q.lastError().text());
    while (q.next())
        if (const int d = dayOf(past, q.value(0).toLongLong() * kQuarterHourMs); d >= 0)
            out.reviewDays.perDay[d] += q.value(1).toInt();
    out.reviewDays.streak = streakOf(out.reviewDays.perDay);
    out.reviewDays.daysStudied =
        int(std::count_if(out.reviewDays.perDay.begin(), out.reviewDays.perDay.end(), [](int n) { return n > 0; }));

    // Per chapter: the cards by state and what is due today.
    const qint64 todayNext = coming.at(1);
    for (qsizetype k = 0; k < counted.size(); ++k) {
        const history::Chapter& chapter = chapters[counted[k]];
        ChapterRow row;
        row.path = chapter.path;
        row.title = chapter.title;
        row.cards = int(chapter.questions.size());
        int reviewed = 0;
        if (ids[k]) {
            if (!q.exec(QStringLiteral("SELECT "
                                       " SUM(state IN (1, 3)),"
                                       " SUM(state = 2 AND scheduled_days < %1),"
                                       " SUM(state = 2 AND scheduled_days >= %1),"
                                       " SUM(state != 0 AND due < %2) "
                                       "FROM cards WHERE chapter = %3")
                            .arg(kMatureDays)
                            .arg(todayNext)
                            .arg(ids[k])))
                return failed(q.lastError().text());
            if (q.next()) {
                row.states.learning = q.value(0).toInt();
                row.states.young = q.value(1).toInt();
                row.states.mature = q.value(2).toInt();
                row.dueToday = q.value(3).toInt();
            }
            q.finish();
            // New: the chapter's questions with no review (a reviewed card since removed from
            // the chapter does not make another one less new).
            if (!q.exec(QStringLiteral("SELECT question FROM cards WHERE chapter = %1").arg(ids[k])))
                return failed(q.lastError().text());
            QSet<QString> seen;
            while (q.next())
                seen.insert(q.value(0).toString());
            for (const QString& question : chapter.questions)
                reviewed += seen.contains(question) ? 1 : 0;
            if (!q.exec(QStringLiteral("SELECT COALESCE(SUM(r.answer_ms), 0) FROM reviews r JOIN cards c "
                                       "ON c.id = r.card WHERE c.chapter = %1")
                            .arg(ids[k])))
                return failed(q.lastError().text());
            if (q.next())
                row.timeMs = q.value(0).toLongLong();
            q.finish();
        }
        row.states.fresh = std::max(0, row.cards - reviewed);
        const int counted = row.states.fresh + row.states.learning + row.states.young + row.states.mature;
        row.maturePercent = counted ? 100.0 * row.states.mature / counted : 0.0;
        out.chapters.append(row);
    }
    return true;
}

} // namespace reviewstats
