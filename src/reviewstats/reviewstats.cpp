#include "reviewstats.h"

#include "fsrs.h"
#include "studyday.h"

#include <QHash>
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

namespace {

QString idList(const QVector<qint64>& ids) {
    QStringList list;
    for (qint64 id : ids)
        list.append(QString::number(id));
    // With no chapter nothing matches.
    return QStringLiteral("(%1)").arg(list.isEmpty() ? QStringLiteral("NULL") : list.join(u','));
}

} // namespace

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
    QSqlQuery q(reader.db());
    q.setForwardOnly(true);

    // The chapters counted, by their id in the file (0 when the history has none), and the
    // file's other chapters.
    QHash<QString, qint64> idOfPath;
    if (!q.exec(QStringLiteral("SELECT id, path FROM chapters")))
        return failed(q.lastError().text());
    while (q.next())
        idOfPath.insert(q.value(1).toString(), q.value(0).toLongLong());
    QVector<qsizetype> counted;
    QVector<qint64> ids;
    QSet<qint64> countedIds;
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        if (!onlyPath.isEmpty() && chapters[i].path != onlyPath)
            continue;
        counted.append(i);
        ids.append(idOfPath.value(chapters[i].path, 0));
        if (ids.last())
            countedIds.insert(ids.last());
    }
    QVector<qint64> others;
    for (auto it = idOfPath.cbegin(); it != idOfPath.cend(); ++it)
        if (!countedIds.contains(*it))
            others.append(*it);
    const QString inChapters = idList(QVector<qint64>(countedIds.cbegin(), countedIds.cend()));

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

    // Reviews per day over the last year, and those of learnt cards graded Again or not.
    // When every chapter of the file is counted the reviews are counted day by day through
    // the index on state and time; otherwise the chapters' reviews are read through
    // their cards, by quarter hour: the counted chapters', or the others' to be taken away
    // from the whole, whichever are fewer.
    const QVector<qint64> past = dayStarts(now, dayStartHour, 1 - kReviewDays, kReviewDays);
    QVector<int> again(kReviewDays, 0), passed(kReviewDays, 0);
    out.reviewDays.perDay.fill(0, kReviewDays);
    auto countAllDays = [&] {
        QStringList days;
        for (int d = 0; d < kReviewDays; ++d)
            days.append(QStringLiteral("(%1, %2, %3)").arg(d).arg(past[d]).arg(past[d + 1]));
        const QString inDay = QStringLiteral("r.time >= d.s AND r.time < d.e");
        // Every (state before, grade) pair is named, so that the index on them and the time
        // gives each day's reviews as ranges.
        if (!q.exec(QStringLiteral("WITH days(i, s, e) AS (VALUES %1) SELECT d.i, "
                                   "(SELECT COUNT(*) FROM reviews r WHERE r.state_before IN (0, 1, 2, 3) "
                                   "AND r.grade IN (1, 2, 3, 4) AND %2), "
                                   "(SELECT COUNT(*) FROM reviews r WHERE r.state_before = 2 AND r.grade = 1 AND %2), "
                                   "(SELECT COUNT(*) FROM reviews r WHERE r.state_before = 2 AND r.grade IN (2, 3, 4) "
                                   "AND %2) FROM days d")
                        .arg(days.join(u','), inDay)))
            return false;
        while (q.next()) {
            const int d = q.value(0).toInt();
            out.reviewDays.perDay[d] += q.value(1).toInt();
            again[d] += q.value(2).toInt();
            passed[d] += q.value(3).toInt();
        }
        return true;
    };
    auto countChapterDays = [&](const QString& chapterIds, int sign) {
        // CROSS JOIN keeps SQLite to this order: the chapters' cards, then their reviews.
        if (!q.exec(QStringLiteral("SELECT r.time / %1, COUNT(*), SUM(r.state_before = 2 AND r.grade = 1), "
                                   "SUM(r.state_before = 2 AND r.grade > 1) FROM cards c CROSS JOIN reviews r "
                                   "ON r.card = c.id WHERE c.chapter IN %2 AND r.time >= %3 AND r.time < %4 GROUP BY 1")
                        .arg(kQuarterHourMs)
                        .arg(chapterIds)
                        .arg(past.first())
                        .arg(past.last())))
            return false;
        while (q.next())
            if (const int d = dayOf(past, q.value(0).toLongLong() * kQuarterHourMs); d >= 0) {
                out.reviewDays.perDay[d] += sign * q.value(1).toInt();
                again[d] += sign * q.value(2).toInt();
                passed[d] += sign * q.value(3).toInt();
            }
        return true;
    };
    const bool throughTime = others.size() < countedIds.size();
    bool read = true;
    if (throughTime)
        read = countAllDays() && (others.isEmpty() || countChapterDays(idList(others), -1));
    else
        read = countChapterDays(inChapters, 1);
    if (!read)
        return failed(q.lastError().text());
    out.reviewDays.streak = streakOf(out.reviewDays.perDay);
    out.reviewDays.daysStudied =
        int(std::count_if(out.reviewDays.perDay.begin(), out.reviewDays.perDay.end(), [](int n) { return n > 0; }));
    // Weeks are counted back from today: the last week is the seven study days ending today.
    out.retention.resize(kRetentionWeeks);
    for (int back = 0; back < kRetentionWeeks * 7; ++back) {
        const int d = kReviewDays - 1 - back;
        RetentionWeek& week = out.retention[kRetentionWeeks - 1 - back / 7];
        week.reviews += again[d] + passed[d];
        week.passed += passed[d];
    }

    // Per chapter: the cards by state, what is due today, the time spent, the recent
    // retention and the questions reviewed, each in one query over every chapter counted.
    struct Counts {
        StateCounts states;
        int dueToday = 0;
        qint64 timeMs = 0;
        int recent = 0;
        int recentPassed = 0;
        QSet<QString> reviewed;
    };
    QHash<qint64, Counts> byChapter;
    const qint64 todayNext = coming.at(1);
    if (!q.exec(QStringLiteral("SELECT chapter, SUM(state IN (1, 3)), SUM(state = 2 AND scheduled_days < %1), "
                               "SUM(state = 2 AND scheduled_days >= %1), SUM(state != 0 AND due < %2), "
                               "SUM(answer_ms) FROM cards WHERE chapter IN %3 GROUP BY chapter")
                    .arg(kMatureDays)
                    .arg(todayNext)
                    .arg(inChapters)))
        return failed(q.lastError().text());
    while (q.next()) {
        Counts& c = byChapter[q.value(0).toLongLong()];
        c.states.learning = q.value(1).toInt();
        c.states.young = q.value(2).toInt();
        c.states.mature = q.value(3).toInt();
        c.dueToday = q.value(4).toInt();
        c.timeMs = q.value(5).toLongLong();
    }
    // The learnt cards' reviews of the last days, through the index on state when most
    // chapters are counted, else through the chapters' cards.
    const QString recentFrom = throughTime ? QStringLiteral("reviews r JOIN cards c ON c.id = r.card")
                                           : QStringLiteral("cards c CROSS JOIN reviews r ON r.card = c.id");
    if (!q.exec(QStringLiteral("SELECT c.chapter, COUNT(*), SUM(r.grade > 1) FROM %1 "
                               "WHERE r.state_before = 2 AND r.grade IN (1, 2, 3, 4) AND r.time >= %2 AND r.time < %3 "
                               "AND c.chapter IN %4 GROUP BY c.chapter")
                    .arg(recentFrom)
                    .arg(past.at(kReviewDays - kRetentionRecentDays))
                    .arg(past.last())
                    .arg(inChapters)))
        return failed(q.lastError().text());
    while (q.next()) {
        Counts& c = byChapter[q.value(0).toLongLong()];
        c.recent = q.value(1).toInt();
        c.recentPassed = q.value(2).toInt();
    }
    if (!q.exec(QStringLiteral("SELECT chapter, question FROM cards WHERE chapter IN %1").arg(inChapters)))
        return failed(q.lastError().text());
    while (q.next())
        byChapter[q.value(0).toLongLong()].reviewed.insert(q.value(1).toString());

    for (qsizetype k = 0; k < counted.size(); ++k) {
        const history::Chapter& chapter = chapters[counted[k]];
        const Counts c = ids[k] ? byChapter.value(ids[k]) : Counts();
        ChapterRow row;
        row.path = chapter.path;
        row.title = chapter.title;
        row.cards = int(chapter.questions.size());
        row.states = c.states;
        row.dueToday = c.dueToday;
        row.timeMs = c.timeMs;
        row.retention30Reviews = c.recent;
        row.retention30Passed = c.recentPassed;
        // New: the chapter's questions with no review (a reviewed card since removed from
        // the chapter does not make another one less new).
        int reviewed = 0;
        for (const QString& question : chapter.questions)
            reviewed += c.reviewed.contains(question) ? 1 : 0;
        row.states.fresh = std::max(0, row.cards - reviewed);
        const int all = row.states.fresh + row.states.learning + row.states.young + row.states.mature;
        row.maturePercent = all ? 100.0 * row.states.mature / all : 0.0;
        out.chapters.append(row);
    }
    return true;
}

} // namespace reviewstats
