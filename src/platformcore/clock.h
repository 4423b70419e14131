#pragma once
// Time sources that tests can replace.
#include <QtGlobal>

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds on a steady clock that never wraps (not the time of day).
    virtual qint64 steadyMs() = 0;
    // Seconds since local midnight, with fractions (the time of day).
    virtual double secondsSinceMidnight() = 0;
};

Clock& appClock();
void setAppClock(Clock* c);
