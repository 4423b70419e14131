#pragma once
// The small window at the end of a round: what the round did (cards seen, turned, marked as
// trouble, the typed answers' verdicts, the time) and the three ways on.
#include "roundcounter.h"

#include <QWidget>
#include <functional>

class QLabel;
class QPushButton;

class frmSummary : public QWidget {
    Q_OBJECT
public:
    // `drill`: the round was typed, so the verdicts are shown. `anyTrouble`: there are trouble
    // cards to drill.
    frmSummary(QWidget* owner, const RoundFigures& figures, bool drill, bool anyTrouble);

    // The lines the window shows, one per figure.
    static QStringList lines(const RoundFigures& figures, bool drill);
    // Minutes and seconds ("1:05"), with hours in front from an hour on ("1:02:05").
    static QString durationText(qint64 ms);

    // The round was the review of due cards: the heading says so and `lines` (the grades
    // given, the cards due tomorrow) follow the figures.
    void setReviewLines(const QStringList& lines);

    std::function<void()> onDrillTrouble;
    std::function<void()> onShuffle;

    QPushButton* drillButton() const { return m_drill; }
    QPushButton* shuffleButton() const { return m_shuffle; }
    QPushButton* closeButton() const { return m_close; }
    QLabel* figuresLabel() const { return m_figures; }

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void finish(const std::function<void()>& then);

    QLabel* m_heading = nullptr;
    QLabel* m_figures = nullptr;
    QPushButton* m_drill = nullptr;
    QPushButton* m_shuffle = nullptr;
    QPushButton* m_close = nullptr;
};
