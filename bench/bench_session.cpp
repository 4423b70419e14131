// Shuffle timing: ShuffleCommand on 9999 cards with the main card window open, as a user
// starts it. Prints a table; run by hand:  QT_QPA_PLATFORM=offscreen ./bench_session
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
#include <cstdio>

static void fill(int n) {
    deck = QVector<Card>(n + 1);
    for (int i = 0; i < n; ++i) {
        deck[i].question = QStringLiteral("Frage %1").arg(i);
        deck[i].answer = QStringLiteral("question %1").arg(i);
        deck[i].tag = QStringLiteral("qre_word");
        deck[i].chaptertitle = QStringLiteral("Lesson %1").arg(i / 100);
    }
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication a(argc, argv);
    QTemporaryDir home;
    app().homeFolder = home.path();
    frmMain* w = loadMainWindow();
    InitCardSurface();
    std::printf("%-40s %12s %12s\n", "case", "median ms", "best ms");
    for (int n : {1000, 9999}) {
        QList<double> times;
        for (int round = 0; round < 5; ++round) {
            fill(n);
            QElapsedTimer t;
            t.start();
            ShuffleCommand();
            times.append(t.nsecsElapsed() / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("%-40s %12.1f %12.1f\n", qPrintable(QStringLiteral("ShuffleCommand, %1 cards").arg(n)),
                    times[times.size() / 2], times.first());
    }
    releaseMainRenderPair();
    delete w;
    return 0;
}
