#include "calendarview.h"

#include <QLocale>
#include <QPainter>

namespace statsui {

namespace {
constexpr int kRows = 7;
constexpr int kGap = 2;
constexpr int kLeft = 30;  // room for the weekday names
constexpr int kTop = 16;   // room for the month names

QColor mix(const QColor& a, const QColor& b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t), float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}
} // namespace

CalendarView::CalendarView(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CalendarView::setDays(const QVector<int>& perDay, const QDate& today) {
    m_perDay = perDay;
    m_today = today;
    const QDate first = today.addDays(1 - perDay.size());
    m_firstColumnRow = first.isValid() ? first.dayOfWeek() - 1 : 0;
    m_max = 0;
    for (int n : perDay)
        m_max = std::max(m_max, n);
    m_highlight = -1;
    updateGeometry();
    update();
}

void CalendarView::setColors(const QColor& ink, const QColor& background, const QColor& text) {
    m_ink = ink;
    m_background = background;
    m_text = text;
    update();
}

void CalendarView::setHighlighted(int day) {
    m_highlight = day;
    update();
}

int CalendarView::stepOf(int count) const {
    if (count <= 0 || m_max <= 0)
        return 0;
    // Steps of equal width up to the busiest day; any review shows at least the first.
    return std::clamp((count * kSteps + m_max - 1) / m_max, 1, kSteps);
}

int CalendarView::cell() const {
    const int columns = (m_firstColumnRow + int(m_perDay.size()) + kRows - 1) / kRows;
    if (columns <= 0)
        return 12;
    return std::clamp((width() - kLeft) / columns, 6, 16);
}

QPoint CalendarView::origin() const { return QPoint(kLeft, kTop); }

QRect CalendarView::dayRect(int day) const {
    if (day < 0 || day >= m_perDay.size())
        return {};
    const int slot = m_firstColumnRow + day;
    const int c = cell();
    return QRect(origin() + QPoint(slot / kRows * c, slot % kRows * c), QSize(c - kGap, c - kGap));
}

int CalendarView::dayAt(const QPoint& pos) const {
    const int c = cell();
    const QPoint p = pos - origin();
    if (p.x() < 0 || p.y() < 0 || p.y() >= kRows * c)
        return -1;
    const int day = p.x() / c * kRows + p.y() / c - m_firstColumnRow;
    return day >= 0 && day < m_perDay.size() ? day : -1;
}

QSize CalendarView::sizeHint() const {
    const int columns = (m_firstColumnRow + std::max<int>(int(m_perDay.size()), 365) + kRows - 1) / kRows;
    return QSize(kLeft + columns * 12, kTop + kRows * 12 + 4);
}

void CalendarView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), m_background);
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    p.setFont(small);
    p.setPen(m_text);
    const int c = cell();
    const QLocale en = QLocale::c();
    // Monday, Wednesday and Friday name their rows.
    for (int row : {0, 2, 4})
        p.drawText(QRect(0, kTop + row * c, kLeft - 4, c), Qt::AlignRight | Qt::AlignVCenter,
                   en.dayName(row + 1, QLocale::ShortFormat));
    const QColor empty = mix(m_background, m_text, 0.25);
    for (int day = 0; day < m_perDay.size(); ++day) {
        const QRect r = dayRect(day);
        const QDate date = m_today.addDays(day - (m_perDay.size() - 1));
        if (date.day() == 1 || day == 0) {
            const int column = (m_firstColumnRow + day) / kRows;
            p.setPen(m_text);
            p.drawText(QRect(kLeft + column * c, 0, 4 * c, kTop - 2), Qt::AlignLeft | Qt::AlignBottom,
                       en.monthName(date.month(), QLocale::ShortFormat));
        }
        const int step = stepOf(m_perDay.at(day));
        const QRectF box = QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5);
        if (step == 0) {
            p.setPen(QPen(empty, 1));
            p.setBrush(Qt::NoBrush);
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(mix(m_background, m_ink, 0.25 + 0.75 * step / kSteps));
        }
        p.drawRoundedRect(box, 2, 2);
    }
    if (m_highlight >= 0 && m_highlight < m_perDay.size()) {
        p.setPen(QPen(m_text, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(dayRect(m_highlight)).adjusted(-1, -1, 1, 1), 2, 2);
    }
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

} // namespace statsui
