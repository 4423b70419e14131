// Timings of the statistics' figures at the size of years of study: 100,000 cards in 200
// chapters and 1,000,000 reviews over the last year. Printed as a table (best and median of
// several runs) with the aims beside them; never an assertion.
#include "history.h"
#include "madehistory.h"
#include "reviewstats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
using namespace benchdata;
constexpr int kRuns = 7;

void print(const char* what, double aimMs, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-44s %10.3f %10.3f %10.0f %6zu\n", what, v.front(), v[v.size() / 2], aimMs, v.size());
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QDateTime now = QDateTime::currentDateTime();
    QVector<history::Chapter> chapters;
    if (!makeHistory(path, now, chapters)) {
        std::fprintf(stderr, "could not make the history\n");
        return 1;
    }
    std::vector<double> all, one, allButOne;
    // A chapter the history knows but the list no longer holds.
    const QVector<history::Chapter> listed = chapters.mid(1);
    for (int i = 0; i < kRuns; ++i) {
        reviewstats::Figures f;
        QElapsedTimer t;
        t.start();
        if (!reviewstats::compute(path, chapters, {}, now, 4, f))
            return 1;
        all.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        if (!reviewstats::compute(path, chapters, chapters[i % kChapters].path, now, 4, f))
            return 1;
        one.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        if (!reviewstats::compute(path, listed, {}, now, 4, f))
            return 1;
        allButOne.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("%-44s %10s %10s %10s %6s\n", "figure (ms)", "min", "median", "aim", "runs");
    print("all figures, all 200 chapters", 300, all);
    print("all figures, one chapter", 100, one);
    print("all figures, 199 chapters listed of 200", 300, allButOne);
    return 0;
}
