#include "roundcounter.h"

#include "clock.h"

qint64 RoundCounter::now() const {
    return (m_clock ? *m_clock : appClock()).steadyMs();
}

void RoundCounter::begin() {
    m_begun = true;
    m_startMs = now();
    m_seen.clear();
    m_turned.clear();
    m_marked.clear();
    m_right = m_almost = m_wrong = 0;
}

void RoundCounter::presented(int slot) {
    if (!m_begun)
        begin();
    m_seen.insert(slot);
}

void RoundCounter::turned(int slot) {
    if (!m_begun)
        begin();
    m_turned.insert(slot);
}

void RoundCounter::troubleChanged(int slot, bool on) {
    if (!m_begun)
        begin();
    if (on)
        m_marked.insert(slot);
    else
        m_marked.remove(slot);
}

void RoundCounter::answered(Verdict verdict) {
    if (!m_begun)
        begin();
    switch (verdict) {
    case Verdict::Right:
        ++m_right;
        break;
    case Verdict::Almost:
        ++m_almost;
        break;
    case Verdict::Wrong:
        ++m_wrong;
        break;
    }
}

bool RoundCounter::complete(int cardCount, const std::function<bool(int)>& inRotation) const {
    if (m_seen.isEmpty())
        return false;
    for (int i = 0; i < cardCount; ++i)
        if (inRotation(i) && !m_seen.contains(i))
            return false;
    return true;
}

RoundFigures RoundCounter::figures() const {
    RoundFigures f;
    f.seen = int(m_seen.size());
    f.turned = int(m_turned.size());
    f.markedTrouble = int(m_marked.size());
    f.right = m_right;
    f.almost = m_almost;
    f.wrong = m_wrong;
    f.elapsedMs = m_begun ? now() - m_startMs : 0;
    return f;
}
