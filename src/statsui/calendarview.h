#pragma once
// Reviews per day as a calendar: one square a day, the weeks as columns (Monday on top), the
// oldest day at the left, shaded by the day's count in steps of one colour; a day without
// reviews is an empty square.
#include <QColor>
#include <QDate>
#include <QVector>
#include <QWidget>

namespace statsui {

class CalendarView : public QWidget {
    Q_OBJECT
public:
    explicit CalendarView(QWidget* parent = nullptr);

    // `perDay`: the counts, the last one `today`'s.
    void setDays(const QVector<int>& perDay, const QDate& today);
    void setColors(const QColor& ink, const QColor& background, const QColor& text);
    void setHighlighted(int day);

    // The day drawn at `pos` (-1: none), and where a day is drawn.
    int dayAt(const QPoint& pos) const;
    QRect dayRect(int day) const;
    // The shade step of a count, 0 (none) to kSteps.
    int stepOf(int count) const;
    static constexpr int kSteps = 4;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent*) override { update(); }
    void focusOutEvent(QFocusEvent*) override { update(); }

private:
    int cell() const;
    QPoint origin() const;

    QVector<int> m_perDay;
    QDate m_today;
    int m_firstColumnRow = 0; // the row (weekday) of the first day
    int m_max = 0;
    int m_highlight = -1;
    QColor m_ink{0x00, 0x72, 0xB2};
    QColor m_background{Qt::white};
    QColor m_text{Qt::black};
};

} // namespace statsui
