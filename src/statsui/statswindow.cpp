#include "statswindow.h"

#include "appstate.h"
#include "calendarview.h"
#include "chartpanel.h"
#include "figuretable.h"
#include "programhistory.h"
#include "studyday.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLegend>
#include <QLocale>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPointer>
#include <QScatterSeries>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedBarSeries>
#include <QValueAxis>
#include <QVBoxLayout>
#include <cmath>

namespace statsui {

namespace {

// A colour-blind-safe set (Okabe and Ito): no pair relies on red against green.
const QColor kBlue(0x00, 0x72, 0xB2);
const QColor kOrange(0xE6, 0x9F, 0x00);
const QColor kSkyBlue(0x56, 0xB4, 0xE9);
const QColor kGreen(0x00, 0x9E, 0x73);
const QColor kVermillion(0xD5, 0x5E, 0x00);
const QColor kYellow(0xF0, 0xE4, 0x42);

const QString kNoReviews = QStringLiteral("No reviews yet: grade cards with keys 1 to 4 or use Review Due.");

QPointer<StatsWindow>& instance() {
    static QPointer<StatsWindow> w;
    return w;
}

// A file's time of change and size, or "-" when there is none.
QString fileStamp(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("-");
    return QString::number(info.lastModified().toMSecsSinceEpoch()) + u'/' + QString::number(info.size());
}

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// The top of an axis for `value`: 1, 2 or 5 times a power of ten, never below 5.
qreal niceTop(qreal value) {
    qreal step = 1;
    while (step * 10 <= value)
        step *= 10;
    for (qreal f : {1.0, 2.0, 5.0, 10.0})
        if (value <= f * step)
            return std::max<qreal>(5, f * step);
    return std::max<qreal>(5, 10 * step);
}

// Sets the axis from 0 to niceTop(value) with ticks on round numbers (steps of 1, 2 or 5 times
// a power of ten).
void setCountRange(QValueAxis* axis, qreal value) {
    const qreal top = niceTop(value);
    qreal power = 1;
    while (power * 10 <= top)
        power *= 10;
    const int lead = qRound(top / power); // 1, 2 or 5
    axis->setRange(0, top);
    axis->setTickCount(lead == 2 ? 5 : 6);
}

QChartView* makeView(QChart* chart) {
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setAnimationOptions(QChart::NoAnimation);
    auto* view = new QChartView(chart);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(360, 240);
    return view;
}

// The point of the view (in the view's own coordinates) as a value of `series`; nothing
// outside the plot area.
std::optional<QPointF> valueAt(QChartView* view, QAbstractSeries* series, const QPoint& pos) {
    const QPointF scene = view->mapToScene(view->viewport()->mapFrom(view, pos));
    const QPointF inChart = view->chart()->mapFromScene(scene);
    if (!view->chart()->plotArea().contains(inChart))
        return std::nullopt;
    return view->chart()->mapToValue(inChart, series);
}

QPoint positionOf(QChartView* view, QAbstractSeries* series, const QPointF& value) {
    const QPointF inChart = view->chart()->mapToPosition(value, series);
    const QPoint inViewport = view->mapFromScene(view->chart()->mapToScene(inChart));
    return view->viewport()->mapTo(view, inViewport);
}

int indexIn(qreal value, int count) {
    const int i = qRound(value);
    return i >= 0 && i < count ? i : -1;
}

void paintView(QChartView* view, QPainter* p, const QSize& size) {
    view->render(p, QRectF(QPointF(0, 0), size), view->viewport()->rect());
}

} // namespace

// The parts of the charts that are filled again for each chapter.
struct ChartParts {
    QChartView* dueView = nullptr;
    QStackedBarSeries* dueBars = nullptr;
    QBarSet* overdue = nullptr;
    QBarSet* due = nullptr;
    QLineSeries* total = nullptr;
    QCategoryAxis* dueDays = nullptr;
    QValueAxis* dueCount = nullptr;
    QValueAxis* dueTotal = nullptr;

    QChartView* retentionView = nullptr;
    QVector<QLineSeries*> retentionRuns;
    QScatterSeries* retentionPoints = nullptr;
    QScatterSeries* retentionMark = nullptr;
    QLineSeries* desired = nullptr;
    QCategoryAxis* weeks = nullptr;
    QValueAxis* percent = nullptr;

    QChartView* statesView = nullptr;
    QHorizontalStackedBarSeries* stateBars = nullptr;
    QBarSet* stateSets[4] = {};
    QBarCategoryAxis* stateChapters = nullptr;
    QValueAxis* stateCards = nullptr;
};

StatsWindow::StatsWindow(QWidget* parent) : QWidget(parent, Qt::Window), m_parts(std::make_unique<ChartParts>()) {
    setObjectName(QStringLiteral("frmStatistics"));
    setWindowTitle(QStringLiteral("Statistics"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(1000, 780);

    m_chooser = new QComboBox(this);
    m_chooser->setObjectName(QStringLiteral("chooser"));
    m_chooser->setAccessibleName(QStringLiteral("Chapter"));
    auto* chooserLabel = new QLabel(QStringLiteral("&Chapter:"), this);
    chooserLabel->setBuddy(m_chooser);
    m_showAsTable = new QCheckBox(QStringLiteral("Show as &Table"), this);
    m_showAsTable->setObjectName(QStringLiteral("showAsTable"));
    m_emptyLine = new QLabel(this);
    m_emptyLine->setObjectName(QStringLiteral("emptyLine"));
    m_emptyLine->setWordWrap(true);
    m_emptyLine->hide();

    auto* top = new QHBoxLayout;
    top->addWidget(chooserLabel);
    top->addWidget(m_chooser, 1);
    top->addSpacing(16);
    top->addWidget(m_showAsTable);

    buildComingDue();
    buildReviewDays();
    buildRetention();
    buildStates();
    m_chapterTable = new ChartPanel(QStringLiteral("Chapters"), nullptr, this);
    m_chapterTable->setObjectName(QStringLiteral("chapters"));
    m_chapterTable->setMinimumHeight(160);

    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->addWidget(m_comingDue, 0, 0);
    grid->addWidget(m_retention, 0, 1);
    // The streak and the days studied stand beside the calendar, as text in both views.
    auto* days = new QHBoxLayout;
    auto* counts = new QVBoxLayout;
    counts->addSpacing(m_reviewDays->fontMetrics().height() + 20);
    counts->addWidget(m_streak);
    counts->addWidget(m_daysStudied);
    counts->addStretch(1);
    days->addWidget(m_reviewDays, 1);
    days->addLayout(counts);
    grid->addLayout(days, 1, 0, 1, 2);
    // The chapter table needs the wider half for its six columns.
    auto* chapters = new QHBoxLayout;
    chapters->addWidget(m_states, 2);
    chapters->addWidget(m_chapterTable, 3);
    grid->addLayout(chapters, 2, 0, 1, 2);
    grid->setRowStretch(0, 3);
    grid->setRowStretch(2, 3);
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(page);

    auto* lay = new QVBoxLayout(this);
    lay->addLayout(top);
    lay->addWidget(m_emptyLine);
    lay->addWidget(scroll, 1);

    applyColors();
    connect(m_chooser, &QComboBox::currentIndexChanged, this, [this] { refresh(); });
    connect(m_showAsTable, &QCheckBox::toggled, this, [this](bool on) { setTableView(on); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

StatsWindow::~StatsWindow() = default;

ChartPanel* StatsWindow::panel(const QString& name) const {
    for (ChartPanel* p : panels())
        if (p->objectName() == name)
            return p;
    return nullptr;
}

QList<ChartPanel*> StatsWindow::panels() const {
    return {m_comingDue, m_reviewDays, m_retention, m_states, m_chapterTable};
}

void StatsWindow::setChapterFiles(const QVector<review::ChapterFile>& files) {
    QVector<history::Chapter> chapters;
    chapters.reserve(files.size());
    for (const review::ChapterFile& file : files) {
        const std::optional<review::ChapterCards> cards = review::readChapterCards(file);
        chapters.append(cards ? cards->chapter : history::Chapter{file.path, file.title, {}});
        chapters.last().title = file.title;
    }
    setChapters(chapters);
}

void StatsWindow::setChapters(const QVector<history::Chapter>& chapters) {
    m_chapters = chapters;
    m_cache.clear();
    const QSignalBlocker block(m_chooser);
    m_chooser->clear();
    m_chooser->addItem(QStringLiteral("All Chapters"));
    for (const history::Chapter& c : chapters)
        m_chooser->addItem(c.title, c.path);
    m_chooser->setCurrentIndex(0);
    refresh();
}

void StatsWindow::refresh() {
    const int index = m_chooser->currentIndex();
    const QString only = index > 0 ? m_chapters.value(index - 1).path : QString();
    const QDateTime now = review::now();
    const int dayStart = app().dayStartHour;
    m_today = QDate(1970, 1, 1).addDays(fsrs::studyDay(now, dayStart).number);
    m_desiredRetention = app().desiredRetention / 100.0;
    const QString path =
        app().historyPathOverride.isEmpty() ? history::History::defaultPath() : app().historyPathOverride;
    QString error;
    bool readable = true;
    // Figures already read are used again while the history's files, the study day and its
    // start are as they were: going back to a chapter shown before is then immediate.
    const QString stamp = fileStamp(path) + u'|' + fileStamp(path + QStringLiteral("-wal")) + u'|' +
                          QString::number(fsrs::studyDay(now, dayStart).number) + u'|' + QString::number(dayStart);
    if (stamp != m_cacheStamp) {
        m_cache.clear();
        m_cacheStamp = stamp;
    }
    if (const auto cached = m_cache.constFind(only); cached != m_cache.constEnd()) {
        m_figures = *cached;
    } else if (QFileInfo::exists(path)) {
        readable = reviewstats::compute(path, m_chapters, only, now, dayStart, m_figures, &error);
        if (readable)
            m_cache.insert(only, m_figures);
    } else {
        m_figures = {};
        readable = false;
    }
    if (!readable) {
        // No history yet (or none that can be read): empty charts, every card new.
        m_figures.comingDue.perDay.fill(0, reviewstats::kComingDays);
        m_figures.comingDue.runningTotal.fill(0, reviewstats::kComingDays);
        m_figures.reviewDays.perDay.fill(0, reviewstats::kReviewDays);
        m_figures.retention.fill({}, reviewstats::kRetentionWeeks);
        for (const history::Chapter& c : std::as_const(m_chapters)) {
            if (!only.isEmpty() && c.path != only)
                continue;
            reviewstats::ChapterRow row;
            row.path = c.path;
            row.title = c.title;
            row.cards = int(c.questions.size());
            row.states.fresh = row.cards;
            m_figures.chapters.append(row);
        }
    }
    bool anyReview = m_figures.reviewDays.daysStudied > 0;
    for (const reviewstats::ChapterRow& c : std::as_const(m_figures.chapters))
        anyReview = anyReview || c.states.learning + c.states.young + c.states.mature > 0;
    if (!error.isEmpty())
        m_emptyLine->setText(QStringLiteral("The review history can't be read: ") + error);
    else
        m_emptyLine->setText(kNoReviews);
    m_emptyLine->setVisible(!error.isEmpty() || !anyReview);

    fillComingDue();
    fillReviewDays();
    fillRetention();
    fillStates();
    m_chapterTable->setFigures(chaptersTable(m_figures.chapters));
}

void StatsWindow::setTableView(bool on) {
    for (ChartPanel* p : panels())
        p->setShowTable(on);
}

// ---- Coming due ----

void StatsWindow::buildComingDue() {
    ChartParts& c = *m_parts;
    auto* chart = new QChart;
    c.overdue = new QBarSet(QStringLiteral("Overdue"));
    c.due = new QBarSet(QStringLiteral("Due"));
    c.dueBars = new QStackedBarSeries;
    c.dueBars->append(c.overdue);
    c.dueBars->append(c.due);
    c.total = new QLineSeries;
    c.total->setName(QStringLiteral("Running total"));
    chart->addSeries(c.dueBars);
    chart->addSeries(c.total);
    // Bars stand at the day's index; every seventh day is named.
    c.dueDays = new QCategoryAxis;
    c.dueDays->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    c.dueDays->setGridLineVisible(false);
    c.dueCount = new QValueAxis;
    c.dueCount->setTitleText(QStringLiteral("Cards"));
    c.dueCount->setLabelFormat(QStringLiteral("%d"));
    c.dueTotal = new QValueAxis;
    c.dueTotal->setTitleText(QStringLiteral("Total"));
    c.dueTotal->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(c.dueDays, Qt::AlignBottom);
    chart->addAxis(c.dueCount, Qt::AlignLeft);
    chart->addAxis(c.dueTotal, Qt::AlignRight);
    c.dueBars->attachAxis(c.dueDays);
    c.dueBars->attachAxis(c.dueCount);
    c.total->attachAxis(c.dueDays);
    c.total->attachAxis(c.dueTotal);
    c.dueView = makeView(chart);
    m_comingDue = new ChartPanel(QStringLiteral("Coming Due"), c.dueView, this);
    m_comingDue->setObjectName(QStringLiteral("comingDue"));
    QChartView* view = c.dueView;
    QAbstractSeries* bars = c.dueBars;
    m_comingDue->itemAt = [view, bars](const QPoint& p) {
        const auto v = valueAt(view, bars, p);
        return v ? indexIn(v->x(), reviewstats::kComingDays) : -1;
    };
    m_comingDue->itemPos = [this, view, bars](int row) {
        return positionOf(view, bars, QPointF(row, m_parts->due->at(row) + m_parts->overdue->at(row)));
    };
    m_comingDue->drawHighlight = [this](int row) {
        for (QBarSet* set : {m_parts->overdue, m_parts->due}) {
            set->deselectAllBars();
            if (row >= 0)
                set->selectBar(row);
        }
    };
    m_comingDue->paintTo = [view](QPainter* p, const QSize& s) { paintView(view, p, s); };
}

void StatsWindow::fillComingDue() {
    ChartParts& c = *m_parts;
    const reviewstats::ComingDue& f = m_figures.comingDue;
    QList<qreal> overdue, due;
    QList<QPointF> total;
    qreal top = 0;
    for (int i = 0; i < f.perDay.size(); ++i) {
        overdue.append(i == 0 ? f.overdue : 0);
        due.append(f.perDay.at(i));
        total.append(QPointF(i, f.runningTotal.value(i)));
        top = std::max<qreal>(top, due.last() + overdue.last());
    }
    c.overdue->remove(0, c.overdue->count());
    c.due->remove(0, c.due->count());
    c.overdue->append(overdue);
    c.due->append(due);
    c.total->replace(total);
    for (const QString& label : c.dueDays->categoriesLabels())
        c.dueDays->remove(label);
    c.dueDays->setStartValue(-0.5);
    for (int i = 0; i < f.perDay.size(); i += 7)
        c.dueDays->append(QLocale::c().toString(m_today.addDays(i), QStringLiteral("d MMM")), i);
    c.dueDays->setRange(-0.5, f.perDay.size() - 0.5);
    setCountRange(c.dueCount, top);
    setCountRange(c.dueTotal, f.runningTotal.isEmpty() ? 0 : f.runningTotal.last());
    m_comingDue->setFigures(comingDueTable(f, m_today));
}

// ---- Reviews per day ----

void StatsWindow::buildReviewDays() {
    m_calendar = new CalendarView;
    m_reviewDays = new ChartPanel(QStringLiteral("Reviews per Day"), m_calendar, this);
    m_reviewDays->setObjectName(QStringLiteral("reviewsPerDay"));
    CalendarView* cal = m_calendar;
    m_reviewDays->itemAt = [cal](const QPoint& p) { return cal->dayAt(p); };
    m_reviewDays->itemPos = [cal](int day) { return cal->dayRect(day).center(); };
    m_reviewDays->drawHighlight = [cal](int day) { cal->setHighlighted(day); };
    m_streak = new QLabel;
    m_streak->setObjectName(QStringLiteral("streak"));
    m_daysStudied = new QLabel;
    m_daysStudied->setObjectName(QStringLiteral("daysStudied"));
}

void StatsWindow::fillReviewDays() {
    const reviewstats::ReviewDays& f = m_figures.reviewDays;
    m_calendar->setDays(f.perDay, m_today);
    m_streak->setText(QStringLiteral("Streak: %1 %2").arg(f.streak).arg(f.streak == 1 ? QStringLiteral("day") : QStringLiteral("days")));
    m_daysStudied->setText(QStringLiteral("Days studied: %1").arg(f.daysStudied));
    m_reviewDays->setFigures(reviewDaysTable(f, m_today));
}

// ---- Retention ----

void StatsWindow::buildRetention() {
    ChartParts& c = *m_parts;
    auto* chart = new QChart;
    c.weeks = new QCategoryAxis;
    c.weeks->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    c.percent = new QValueAxis;
    c.percent->setLabelFormat(QStringLiteral("%d %"));
    c.percent->setTitleText(QStringLiteral("Passed"));
    chart->addAxis(c.weeks, Qt::AlignBottom);
    chart->addAxis(c.percent, Qt::AlignLeft);
    c.retentionPoints = new QScatterSeries;
    c.retentionPoints->setName(QStringLiteral("Passed reviews"));
    c.retentionPoints->setMarkerSize(7);
    c.desired = new QLineSeries;
    c.retentionMark = new QScatterSeries;
    c.retentionMark->setMarkerSize(13);
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{c.desired, c.retentionPoints, c.retentionMark}) {
        chart->addSeries(s);
        s->attachAxis(c.weeks);
        s->attachAxis(c.percent);
    }
    chart->legend()->markers(c.retentionMark).first()->setVisible(false);
    c.retentionView = makeView(chart);
    m_retention = new ChartPanel(QStringLiteral("Retention"), c.retentionView, this);
    m_retention->setObjectName(QStringLiteral("retention"));
    QChartView* view = c.retentionView;
    QAbstractSeries* points = c.retentionPoints;
    m_retention->itemAt = [view, points](const QPoint& p) {
        const auto v = valueAt(view, points, p);
        return v ? indexIn(v->x(), reviewstats::kRetentionWeeks) : -1;
    };
    m_retention->itemPos = [this, view, points](int row) {
        const reviewstats::RetentionWeek w = m_figures.retention.value(row);
        const qreal y = w.reviews ? 100.0 * w.passed / w.reviews : m_parts->percent->min();
        return positionOf(view, points, QPointF(row, y));
    };
    m_retention->drawHighlight = [this](int row) {
        m_parts->retentionMark->clear();
        const reviewstats::RetentionWeek w = m_figures.retention.value(row);
        if (row >= 0 && w.reviews > 0)
            m_parts->retentionMark->append(row, 100.0 * w.passed / w.reviews);
    };
    m_retention->paintTo = [view](QPainter* p, const QSize& s) { paintView(view, p, s); };
}

void StatsWindow::fillRetention() {
    ChartParts& c = *m_parts;
    QChart* chart = c.retentionView->chart();
    for (QLineSeries* run : std::as_const(c.retentionRuns)) {
        chart->removeSeries(run);
        delete run;
    }
    c.retentionRuns.clear();
    c.retentionPoints->clear();
    const QVector<reviewstats::RetentionWeek>& weeks = m_figures.retention;
    const int n = int(weeks.size());
    qreal low = m_desiredRetention * 100;
    // A line joins the weeks in a row that have reviews; a week without any leaves a gap.
    QLineSeries* run = nullptr;
    const QPen line(palette().color(QPalette::Text).lightness() > 128 ? kSkyBlue : kBlue, 2);
    for (int i = 0; i < n; ++i) {
        if (weeks.at(i).reviews <= 0) {
            run = nullptr;
            continue;
        }
        const qreal share = 100.0 * weeks.at(i).passed / weeks.at(i).reviews;
        low = std::min(low, share);
        c.retentionPoints->append(i, share);
        if (!run) {
            run = new QLineSeries;
            run->setPen(line);
            chart->addSeries(run);
            run->attachAxis(c.weeks);
            run->attachAxis(c.percent);
            chart->legend()->markers(run).first()->setVisible(false);
            c.retentionRuns.append(run);
        }
        run->append(i, share);
    }
    c.desired->clear();
    c.desired->append(-0.5, m_desiredRetention * 100);
    c.desired->append(n - 0.5, m_desiredRetention * 100);
    c.desired->setName(QStringLiteral("Desired retention %1 %").arg(qRound(m_desiredRetention * 100)));
    const QStringList old = c.weeks->categoriesLabels();
    for (const QString& label : old)
        c.weeks->remove(label);
    c.weeks->setStartValue(-0.5);
    // The first day of every eighth week names it, this week last.
    for (int i = (n - 1) % 8; i < n; i += 8)
        c.weeks->append(QLocale::c().toString(weekStart(m_today, i, n), QStringLiteral("d MMM")), i);
    c.weeks->setRange(-0.5, n - 0.5);
    c.percent->setRange(std::max(0.0, std::floor((low - 5) / 10) * 10), 100);
    c.percent->setTickCount(int((100 - c.percent->min()) / 10) + 1);
    applyColors();
    m_retention->setFigures(retentionTable(weeks, m_today));
}

// ---- Cards by state ----

void StatsWindow::buildStates() {
    ChartParts& c = *m_parts;
    auto* chart = new QChart;
    c.stateBars = new QHorizontalStackedBarSeries;
    const QString names[] = {QStringLiteral("New"), QStringLiteral("Learning"), QStringLiteral("Young"),
                             QStringLiteral("Mature")};
    for (int i = 0; i < 4; ++i) {
        c.stateSets[i] = new QBarSet(names[i]);
        c.stateBars->append(c.stateSets[i]);
    }
    chart->addSeries(c.stateBars);
    c.stateChapters = new QBarCategoryAxis;
    c.stateCards = new QValueAxis;
    c.stateCards->setLabelFormat(QStringLiteral("%d"));
    c.stateCards->setTitleText(QStringLiteral("Cards"));
    chart->addAxis(c.stateChapters, Qt::AlignLeft);
    chart->addAxis(c.stateCards, Qt::AlignBottom);
    c.stateBars->attachAxis(c.stateChapters);
    c.stateBars->attachAxis(c.stateCards);
    c.statesView = makeView(chart);
    m_states = new ChartPanel(QStringLiteral("Cards by State"), c.statesView, this);
    m_states->setObjectName(QStringLiteral("cardsByState"));
    QChartView* view = c.statesView;
    QAbstractSeries* bars = c.stateBars;
    // The first chapter is drawn on top: row r is category count - 1 - r.
    m_states->itemAt = [this, view, bars](const QPoint& p) {
        const int n = int(m_figures.chapters.size());
        const auto v = valueAt(view, bars, p);
        const int i = v ? indexIn(v->y(), n) : -1;
        return i < 0 ? -1 : n - 1 - i;
    };
    m_states->itemPos = [this, view, bars](int row) {
        const int n = int(m_figures.chapters.size());
        const reviewstats::StateCounts& s = m_figures.chapters.value(row).states;
        return positionOf(view, bars, QPointF(s.fresh + s.learning + s.young + s.mature, n - 1 - row));
    };
    m_states->drawHighlight = [this](int row) {
        const int n = int(m_figures.chapters.size());
        for (QBarSet* set : m_parts->stateSets) {
            set->deselectAllBars();
            if (row >= 0)
                set->selectBar(n - 1 - row);
        }
    };
    m_states->paintTo = [view](QPainter* p, const QSize& s) { paintView(view, p, s); };
}

void StatsWindow::fillStates() {
    ChartParts& c = *m_parts;
    QList<qreal> values[4];
    QStringList titles;
    qreal top = 0;
    // Reversed, so the first chapter is on top; titles made distinct, as the axis needs.
    for (qsizetype i = m_figures.chapters.size() - 1; i >= 0; --i) {
        const reviewstats::ChapterRow& row = m_figures.chapters.at(i);
        QString title = row.title.isEmpty() ? QStringLiteral("?") : row.title;
        for (int k = 2; titles.contains(title); ++k)
            title = row.title + QStringLiteral(" (%1)").arg(k);
        titles.append(title);
        const int counts[] = {row.states.fresh, row.states.learning, row.states.young, row.states.mature};
        for (int k = 0; k < 4; ++k)
            values[k].append(counts[k]);
        top = std::max<qreal>(top, counts[0] + counts[1] + counts[2] + counts[3]);
    }
    for (int k = 0; k < 4; ++k) {
        c.stateSets[k]->remove(0, c.stateSets[k]->count());
        c.stateSets[k]->append(values[k]);
    }
    c.stateChapters->clear();
    c.stateChapters->append(titles);
    setCountRange(c.stateCards, top);
    c.statesView->setMinimumHeight(std::min(600, 140 + 26 * int(titles.size())));
    m_states->setFigures(statesTable(m_figures.chapters));
}

// ---- Colours ----

void StatsWindow::applyColors() {
    const QPalette pal = palette();
    const QColor back = pal.color(QPalette::Window);
    const QColor text = pal.color(QPalette::WindowText);
    const QColor grid = mix(back, text, 0.18);
    // The highlighted item is drawn in the text colour: apart from every colour of the set.
    const QColor highlight = text;
    const bool dark = back.lightness() < 128;
    const QColor blue = dark ? kSkyBlue : kBlue;
    ChartParts& c = *m_parts;
    for (QChartView* view : {c.dueView, c.retentionView, c.statesView}) {
        if (!view)
            continue;
        QChart* chart = view->chart();
        chart->setBackgroundBrush(back);
        chart->setBackgroundPen(Qt::NoPen);
        chart->setPlotAreaBackgroundVisible(false);
        chart->legend()->setLabelColor(text);
        view->setBackgroundBrush(back);
        for (QAbstractAxis* axis : chart->axes()) {
            axis->setLabelsColor(text);
            axis->setTitleBrush(text);
            axis->setLinePenColor(grid);
            axis->setGridLineColor(grid);
            axis->setShadesVisible(false);
        }
    }
    if (c.overdue) {
        c.overdue->setColor(kVermillion);
        c.overdue->setBorderColor(kVermillion);
        c.due->setColor(blue);
        c.due->setBorderColor(blue);
        c.total->setPen(QPen(kOrange, 2));
        for (QBarSet* set : {c.overdue, c.due})
            set->setSelectedColor(highlight);
    }
    if (c.retentionPoints) {
        c.retentionPoints->setColor(blue);
        c.retentionPoints->setBorderColor(blue);
        c.retentionMark->setColor(highlight);
        c.retentionMark->setBorderColor(back);
        c.desired->setPen(QPen(kVermillion, 2, Qt::DashLine));
        for (QLineSeries* run : std::as_const(c.retentionRuns))
            run->setPen(QPen(blue, 2));
    }
    if (c.stateSets[0]) {
        // Mature stands apart from New on either background: blue on light, yellow on dark.
        const QColor colors[] = {kSkyBlue, kOrange, kGreen, dark ? kYellow : kBlue};
        for (int k = 0; k < 4; ++k) {
            c.stateSets[k]->setColor(colors[k]);
            c.stateSets[k]->setBorderColor(colors[k]);
            c.stateSets[k]->setSelectedColor(highlight);
        }
    }
    if (m_calendar)
        m_calendar->setColors(blue, back, text);
}

// ---- Opening ----

StatsWindow* showStatistics(const QVector<review::ChapterFile>& files, QWidget* owner) {
    if (!instance())
        instance() = new StatsWindow(owner);
    instance()->setChapterFiles(files);
    instance()->show();
    instance()->raise();
    instance()->activateWindow();
    return instance();
}

StatsWindow* statisticsWindow() { return instance().data(); }

} // namespace statsui
