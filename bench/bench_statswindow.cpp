// The Statistics window at the size of years of study: 100,000 cards in 200 chapters and
// 1,000,000 reviews over the last year (offscreen). Times from asking for the window to every
// chart drawn, and the switch to one chapter and back; the resident memory the open window
// adds. Printed as a table (best and median of several runs) with the aims beside them.
#include "appstate.h"
#include "history.h"
#include "madehistory.h"
#include "programhistory.h"
#include "reviewstats.h"
#include "statswindow.h"

#include <QApplication>
#include <QLabel>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {
using namespace benchdata;
constexpr int kRuns = 7;

void print(const char* what, double aim, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-44s %10.1f %10.1f %10.0f %6zu\n", what, v.front(), v[v.size() / 2], aim, v.size());
}

double residentMb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QDateTime now = QDateTime::currentDateTime();
    QVector<history::Chapter> chapters;
    if (!makeHistory(path, now, chapters)) {
        std::fprintf(stderr, "could not make the history\n");
        return 1;
    }
    AppState::reset();
    app().historyPathOverride = path;
    review::setNowSource([now] { return now; });
    // The program has windows on screen before it opens this one: its fonts and style are
    // loaded already, and do not count as the window's.
    {
        QLabel before(QStringLiteral("Quarnel"));
        before.resize(400, 300);
        before.show();
        QCoreApplication::processEvents();
        before.grab();
    }
    std::vector<double> open, one, back, grown, figures;
    for (int i = 0; i < kRuns; ++i) {
        QCoreApplication::processEvents();
        const double before = residentMb();
        QElapsedTimer t;
        t.start();
        auto* w = new statsui::StatsWindow;
        const double built = residentMb();
        w->setChapters(chapters);
        const double filled = residentMb();
        w->show();
        QCoreApplication::processEvents();
        w->repaint(); // every chart drawn into the window
        open.push_back(msSince(t));
        if (i == 0 && std::getenv("QUARNEL_BENCH_STAGES"))
            std::printf("stages: built +%.1f MB, figures +%.1f MB, drawn +%.1f MB\n", built - before, filled - built,
                        residentMb() - filled);
        t.restart();
        w->chooser()->setCurrentIndex(1 + i % kChapters);
        w->repaint();
        one.push_back(msSince(t));
        t.restart();
        w->chooser()->setCurrentIndex(0);
        w->repaint();
        back.push_back(msSince(t));
        QCoreApplication::processEvents();
        grown.push_back(residentMb() - before);
        delete w;
        // The floor: the figures alone, as the window asks for them.
        reviewstats::Figures f;
        t.restart();
        reviewstats::compute(path, chapters, {}, now, 4, f);
        figures.push_back(msSince(t));
    }
    std::printf("%-44s %10s %10s %10s %6s\n", "Statistics window (ms, MB)", "min", "median", "aim", "runs");
    print("open, all 200 chapters drawn (ms)", 300, open);
    print("switch to one chapter (ms)", 100, one);
    print("switch back to all chapters (ms)", 100, back);
    print("floor: the figures of all chapters alone (ms)", 0, figures);
    // Later openings reuse what the first one's allocations left free: the first is the one to read.
    print("resident memory growth, first opening (MB)", 15, {grown.front()});
    print("resident memory growth, every opening (MB)", 15, grown);
    return 0;
}
