// Shuffle timing: ShuffleCommand on 9999 cards with the main card window open, as a user
// starts it, beside two floors measured in the same run: the draws alone (the same generator,
// rounding and slot search over a copy of the deck, no window) and what pumping the window
// messages after every draw costs by itself. Prints a table; run by hand:
//   QT_QPA_PLATFORM=offscreen ./bench_session
#include "appstate.h"
#include "cardmanager.h"
#include "deck.h"
#include "frmmain.h"
#include "modrender.h"
#include "shuffler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <random>

namespace {
constexpr int kRounds = 7;

void fill(int n) {
    deck = QVector<Card>(n + 1);
    for (int i = 0; i < n; ++i) {
        deck[i].question = QStringLiteral("Frage %1").arg(i);
        deck[i].answer = QStringLiteral("question %1").arg(i);
        deck[i].tag = QStringLiteral("qre_word");
        deck[i].chaptertitle = QStringLiteral("Lesson %1").arg(i / 100);
    }
}

// The shuffle's first pass without any window: draw until every card has a slot.
int drawsAlone(int n) {
    std::mt19937 engine(12345);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    std::vector<char> taken(size_t(n) + 1, 0);
    QVector<Card> scratch(n + 1);
    int draws = 0;
    for (int i = 0; i < n;) {
        const int j = int(std::nearbyint(uniform(engine) * 10000.0)) % n;
        ++draws;
        if (!taken[size_t(j)]) {
            taken[size_t(j)] = 1;
            scratch[j] = deck[i];
            ++i;
        }
    }
    return draws;
}

struct Row {
    QString what;
    double median, best;
};

Row timeIt(const QString& what, int n, const std::function<void()>& body) {
    QList<double> times;
    for (int round = 0; round < kRounds; ++round) {
        fill(n);
        QElapsedTimer t;
        t.start();
        body();
        times.append(t.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return {what, times[times.size() / 2], times.first()};
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication a(argc, argv);
    QTemporaryDir home;
    app().homeFolder = home.path();
    frmMain* w = loadMainWindow();
    InitCardSurface();
    std::printf("%-56s %12s %12s\n", "case", "median ms", "best ms");
    for (int n : {1000, 9999}) {
        int draws = 0;
        fill(n);
        draws = drawsAlone(n);
        const Row rows[] = {
            timeIt(QStringLiteral("ShuffleCommand, %1 cards").arg(n), n, [] { ShuffleCommand(); }),
            timeIt(QStringLiteral("  floor: the draws alone (%1 draws)").arg(draws), n, [n] { drawsAlone(n); }),
            timeIt(QStringLiteral("  for comparison: one event pump per draw"), n,
                   [draws] {
                       for (int i = 0; i < draws; ++i)
                           QCoreApplication::processEvents();
                   }),
        };
        for (const Row& r : rows)
            std::printf("%-56s %12.2f %12.2f\n", qPrintable(r.what), r.median, r.best);
    }
    releaseMainRenderPair();
    delete w;
    return 0;
}
