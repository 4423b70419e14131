#pragma once
// A stopwatch on a high-resolution counter that turns an elapsed time into text.
#include <QString>
#include <functional>

class clsTimer {
public:
    using Counter = std::function<qint64()>;
    // The default counter is the steady clock in nanoseconds; tests pass their own.
    explicit clsTimer(Counter counter = {}, qint64 frequency = 1000000000);

    qint32 TicksPerSecond() const { return qint32(m_frequency); }
    void ResetTimer();
    void StopTimer();
    double Elapsed() const; // milliseconds
    // The mask with every "%t" replaced by the seconds from start to stop, formatted
    // "###,##0.0000000" in the user's number format.
    QString strElapsed(const QString& mask) const;

private:
    Counter m_counter;
    qint64 m_frequency;
    qint64 m_start = 0;
    qint64 m_stop = 0;
};
