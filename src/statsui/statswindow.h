#pragma once
// The Statistics window: for every listed chapter or one (the chooser at the top), when cards
// come due, the reviews of each day of the last year, the share of reviews passed week by
// week beside the desired retention, the cards of each chapter by state, and a table per
// chapter. The figures are read from the program's review history each time the chooser
// changes; the window never writes it.
#include "duereview.h"
#include "reviewstats.h"

#include <QDate>
#include <QHash>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;

namespace statsui {

class ChartPanel;
class CalendarView;
struct ChartParts;

class StatsWindow : public QWidget {
    Q_OBJECT
public:
    explicit StatsWindow(QWidget* parent = nullptr);
    ~StatsWindow() override;

    // The chapters the chooser offers (their questions are read from the files now).
    void setChapterFiles(const QVector<review::ChapterFile>& files);
    void setChapters(const QVector<history::Chapter>& chapters);
    // Reads the figures again for the chosen chapter (or all) and redraws every chart.
    void refresh();

    QComboBox* chooser() const { return m_chooser; }
    QCheckBox* showAsTable() const { return m_showAsTable; }
    QLabel* emptyLine() const { return m_emptyLine; }
    const reviewstats::Figures& figures() const { return m_figures; }
    // "comingDue", "reviewsPerDay", "retention", "cardsByState", "chapters".
    ChartPanel* panel(const QString& name) const;
    QList<ChartPanel*> panels() const;

private:
    void buildComingDue();
    void buildReviewDays();
    void buildRetention();
    void buildStates();
    void applyColors();
    void fillComingDue();
    void fillReviewDays();
    void fillRetention();
    void fillStates();
    void setTableView(bool on);

    QVector<history::Chapter> m_chapters;
    reviewstats::Figures m_figures;
    QHash<QString, reviewstats::Figures> m_cache; // by chapter path, "" for all
    QString m_cacheStamp;
    QDate m_today;
    double m_desiredRetention = 0.9;
    QComboBox* m_chooser = nullptr;
    QCheckBox* m_showAsTable = nullptr;
    QLabel* m_emptyLine = nullptr;
    QLabel* m_streak = nullptr;
    QLabel* m_daysStudied = nullptr;
    CalendarView* m_calendar = nullptr;
    ChartPanel* m_comingDue = nullptr;
    ChartPanel* m_reviewDays = nullptr;
    ChartPanel* m_retention = nullptr;
    ChartPanel* m_states = nullptr;
    ChartPanel* m_chapterTable = nullptr;
    std::unique_ptr<ChartParts> m_parts;
};

// Opens the window over `owner` for the listed chapter files, or brings the open one forward
// with these chapters.
StatsWindow* showStatistics(const QVector<review::ChapterFile>& files, QWidget* owner);
// The open window, if any.
StatsWindow* statisticsWindow();

} // namespace statsui
