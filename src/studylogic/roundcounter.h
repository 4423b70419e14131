#pragma once
// Counts one round of study: which cards were presented since the round began, how many
// were turned and marked as trouble cards, the typed answers' verdicts, and how long the
// round has taken. A round is over when every card of the rotation has been presented.
#include "answermatcher.h"

#include <QSet>
#include <QtGlobal>
#include <functional>

class Clock;

struct RoundFigures {
    int seen = 0;
    int turned = 0;
    int markedTrouble = 0;
    int right = 0;
    int almost = 0;
    int wrong = 0;
    qint64 elapsedMs = 0;
    int answered() const { return right + almost + wrong; }
};

class RoundCounter {
public:
    // `clock` defaults to the program's clock.
    explicit RoundCounter(Clock* clock = nullptr) : m_clock(clock) {}

    // A new round: nothing seen yet; the time runs from now.
    void begin();
    bool begun() const { return m_begun; }

    void presented(int slot);
    void turned(int slot);
    // The trouble mark of `slot` went on or off; a mark set and cleared again within the
    // round does not count.
    void troubleChanged(int slot, bool on);
    void answered(Verdict verdict);

    // True when the round has seen a card and every card for which `inRotation` holds,
    // among slots 0 .. cardCount - 1, has been presented.
    bool complete(int cardCount, const std::function<bool(int)>& inRotation) const;
    RoundFigures figures() const;

private:
    qint64 now() const;

    Clock* m_clock = nullptr;
    bool m_begun = false;
    qint64 m_startMs = 0;
    QSet<int> m_seen;
    QSet<int> m_turned;
    QSet<int> m_marked;
    int m_right = 0;
    int m_almost = 0;
    int m_wrong = 0;
};
