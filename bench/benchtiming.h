#pragma once
// The timing the editor's benchmarks share: a body run several times, its best, median and
// worst in milliseconds.
#include <QElapsedTimer>
#include <QVector>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace benchtiming {
struct Figures {
    double min, median, max;
};

inline Figures run(int times, const std::function<void()>& body) {
    QVector<double> ms;
    for (int i = 0; i < times; ++i) {
        QElapsedTimer t;
        t.start();
        body();
        ms.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.first(), ms.at(ms.size() / 2), ms.last()};
}

inline void print(const char* what, const Figures& f) {
    std::printf("%-44s %9.1f %9.1f %9.1f\n", what, f.min, f.median, f.max);
}
} // namespace benchtiming
