#include "figuretable.h"

#include <QLocale>

namespace statsui {

namespace {
QString number(int n) { return QString::number(n); }
} // namespace

QString FigureTable::tsv() const {
    QString out = header.join(u'\t') + u'\n';
    for (const QStringList& row : rows)
        out += row.join(u'\t') + u'\n';
    return out;
}

QString FigureTable::describe(int row, const QString& separator) const {
    if (row < 0 || row >= rows.size())
        return {};
    const QStringList& cells = rows.at(row);
    QStringList parts;
    for (qsizetype i = 0; i < cells.size(); ++i)
        parts.append(i == 0 ? cells.at(i) : header.value(i) + QStringLiteral(": ") + cells.at(i));
    return parts.join(separator);
}

QString percentText(int part, int whole) {
    if (whole <= 0)
        return QStringLiteral("\u2013");
    return QString::number(100.0 * part / whole, 'f', 1) + QStringLiteral(" %");
}

QString hoursMinutes(qint64 ms) {
    const qint64 minutes = std::max<qint64>(0, ms) / 60000;
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString dayText(const QDate& date) { return QLocale::c().toString(date, QStringLiteral("ddd d MMM yyyy")); }

FigureTable comingDueTable(const reviewstats::ComingDue& due, const QDate& today) {
    FigureTable t;
    t.header = {QStringLiteral("Day"), QStringLiteral("Overdue"), QStringLiteral("Due"),
                QStringLiteral("Running Total")};
    for (qsizetype i = 0; i < due.perDay.size(); ++i)
        t.rows.append({dayText(today.addDays(i)), number(i == 0 ? due.overdue : 0), number(due.perDay.at(i)),
                       number(due.runningTotal.value(i))});
    return t;
}

FigureTable reviewDaysTable(const reviewstats::ReviewDays& days, const QDate& today) {
    FigureTable t;
    t.header = {QStringLiteral("Day"), QStringLiteral("Reviews")};
    const qsizetype n = days.perDay.size();
    for (qsizetype i = 0; i < n; ++i)
        t.rows.append({dayText(today.addDays(i - (n - 1))), number(days.perDay.at(i))});
    return t;
}

QDate weekStart(const QDate& today, int index, int count) { return today.addDays(7 * (index - count + 1) - 6); }

FigureTable retentionTable(const QVector<reviewstats::RetentionWeek>& weeks, const QDate& today) {
    FigureTable t;
    t.header = {QStringLiteral("Week"), QStringLiteral("Reviews"), QStringLiteral("Passed"),
                QStringLiteral("Retention")};
    const int n = int(weeks.size());
    for (int i = 0; i < n; ++i) {
        const QDate first = weekStart(today, i, n);
        const QString week = QLocale::c().toString(first, QStringLiteral("d MMM")) + QStringLiteral(" \u2013 ") +
                             QLocale::c().toString(first.addDays(6), QStringLiteral("d MMM yyyy"));
        t.rows.append({week, number(weeks.at(i).reviews), number(weeks.at(i).passed),
                       percentText(weeks.at(i).passed, weeks.at(i).reviews)});
    }
    return t;
}

FigureTable statesTable(const QVector<reviewstats::ChapterRow>& chapters) {
    FigureTable t;
    t.header = {QStringLiteral("Chapter"), QStringLiteral("New"), QStringLiteral("Learning"), QStringLiteral("Young"),
                QStringLiteral("Mature")};
    for (const reviewstats::ChapterRow& c : chapters)
        t.rows.append({c.title, number(c.states.fresh), number(c.states.learning), number(c.states.young),
                       number(c.states.mature)});
    return t;
}

FigureTable chaptersTable(const QVector<reviewstats::ChapterRow>& chapters) {
    FigureTable t;
    t.header = {QStringLiteral("Chapter"),   QStringLiteral("Cards"), QStringLiteral("Due Today"),
                QStringLiteral("Mature %"),  QStringLiteral("Retention (30 days)"),
                QStringLiteral("Time Spent")};
    for (const reviewstats::ChapterRow& c : chapters)
        t.rows.append({c.title, number(c.cards), number(c.dueToday), QString::number(c.maturePercent, 'f', 1),
                       percentText(c.retention30Passed, c.retention30Reviews), hoursMinutes(c.timeMs)});
    return t;
}

} // namespace statsui
