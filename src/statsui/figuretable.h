#pragma once
// The figures of one chart as a table: a header row and one row per item the chart draws (a
// day, a week, a chapter). The chart's tooltip, its keyboard walk, "Show as Table" and "Copy
// Figures" all read the same rows, so what is drawn, shown and copied cannot disagree.
#include "reviewstats.h"

#include <QDate>
#include <QStringList>
#include <QVector>

namespace statsui {

struct FigureTable {
    QStringList header;
    QVector<QStringList> rows;

    // Tab-separated, the header first, each line ended by a newline (a spreadsheet's paste).
    QString tsv() const;
    // One row as "Header: value" parts joined by `separator` (the first cell alone first).
    QString describe(int row, const QString& separator) const;
};

// The text of a share: "92.5 %"; a dash when nothing was counted.
QString percentText(int part, int whole);
// Time as hours and minutes: "1:05".
QString hoursMinutes(qint64 ms);
// "Mon 6 May 2024", in English whatever the locale, as every caption of the program.
QString dayText(const QDate& date);

// `today` is the date the current study day began on.
FigureTable comingDueTable(const reviewstats::ComingDue& due, const QDate& today);
FigureTable reviewDaysTable(const reviewstats::ReviewDays& days, const QDate& today);
FigureTable retentionTable(const QVector<reviewstats::RetentionWeek>& weeks, const QDate& today);
FigureTable statesTable(const QVector<reviewstats::ChapterRow>& chapters);
FigureTable chaptersTable(const QVector<reviewstats::ChapterRow>& chapters);

// The first day of week `index` of `count` weeks, the last of which is the 7 days ending today.
QDate weekStart(const QDate& today, int index, int count);

} // namespace statsui
