// Timings of the card face at a card area of 800 x 540 (a window of 800 x 600 less the 60-pixel
// command bar): one full paint, one refresh (blend, plain copy, and the skipped copy of a stable
// picture), and what the 50 ms refresh costs while a card is left on screen.
// `bench_render --ratio 2` runs the same at a device pixel ratio of 2 (a HiDPI screen at
// scale 2): the card keeps 1600 x 1080 device pixels.
#include "appstate.h"
#include "cardview.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "qexhl.h"
#include "r_data.h"
#include "r_renderer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

namespace {
constexpr int kRuns = 41;

double cpuMs(clockid_t clock) {
    timespec ts{};
    clock_gettime(clock, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Row {
    const char* what;
    double medianMs;
    double bestMs;
    const char* target;
};

// Median and best wall time of `body`; `prepare` runs before each timing and is not counted.
Row timeIt(const char* what, const char* target, const std::function<void()>& prepare,
           const std::function<void()>& body) {
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        body();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return Row{what, ms[ms.size() / 2], ms.front(), target};
}

// Share of one core that the process uses while the event loop runs for `seconds`.
double idleShare(int seconds) {
    QElapsedTimer wall;
    const double cpu0 = cpuMs(CLOCK_PROCESS_CPUTIME_ID);
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    return (cpuMs(CLOCK_PROCESS_CPUTIME_ID) - cpu0) / double(wall.elapsed()) * 100.0;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--ratio") == 0)
            qputenv("QT_SCALE_FACTOR", argv[i + 1]);
    QApplication a(argc, argv);
    const bool hiDpi = a.devicePixelRatio() > 1.0;
    QTemporaryDir home;
    app().homeFolder = home.path();
    app().alphaSupported = true;

    CardView view;
    view.resize(800, 600);
    view.show();
    auto data = std::make_shared<r_data>();
    data->setWriteOnRelease(false);
    data->setdefaults();
    data->setToplefttext(QStringLiteral("card 12 of 240 (3 trouble cards)"));
    data->setBottomlefttext(QStringLiteral("Roll mouse over controls to see descriptions"));
    r_renderer r;
    r.init(&view, data, 50.0f, 0, 60);

    const QString cards[] = {QStringLiteral("die Vergangenheitsbewältigung"), QStringLiteral("the house")};
    int flip = 0;
    std::vector<Row> rows;

    app().alphaEffects = false;
    rows.push_back(timeIt(
        "drawtobuffer(true), plain copy", hiDpi ? "<= 2 ms" : "< 3 ms", [&] { data->setMaintext(cards[flip++ % 2]); },
        [&] { r.drawtobuffer(true); }));

    // The window shows the previous card; the surface holds the next one.
    data->setMaintext(cards[0]);
    r.drawtobuffer(true);
    const QImage previous = view.shownImage().copy();
    data->setMaintext(cards[1]);
    r.drawtobuffer(false);
    app().alphaEffects = true;
    app().alphaLevel = 90;
    rows.push_back(timeIt(
        "Refresh, alpha blend (level 90)", "< 1 ms", [&] { view.copyFrom(previous); }, [&] { r.Refresh(); }));
    // The blend step alone, and its floor: QPainter's own opacity blend of the same images.
    const QImage next = r.surface().hDC()->copy();
    QImage target;
    rows.push_back(timeIt(
        "  blendImages alone (level 90)", "", [&] { target = previous.copy(); },
        [&] { CardView::blendImages(target, next, 90); }));
    rows.push_back(timeIt(
        "  floor: QPainter opacity blend", "", [&] { target = previous.copy(); },
        [&] {
            QPainter p(&target);
            p.setOpacity(90 / 255.0);
            p.drawImage(0, 0, next);
        }));
    app().alphaEffects = false;
    rows.push_back(timeIt(
        "Refresh, plain copy", "< 1 ms", [&] { view.copyFrom(previous); }, [&] { r.Refresh(); }));
    r.Refresh();
    rows.push_back(timeIt("Refresh, picture already shown", "", [] {}, [&] { r.Refresh(); }));

    std::printf("device pixel ratio %.2f: the card holds %d x %d device pixels\n\n", a.devicePixelRatio(),
                view.shownImage().width(), view.shownImage().height());
    std::printf("%-36s %10s %10s %10s\n", "operation (800 x 540 card)", "median ms", "best ms", "target");
    for (const Row& row : rows)
        std::printf("%-36s %10.3f %10.3f %10s\n", row.what, row.medianMs, row.bestMs, row.target);
    std::printf("%-36s %10.2f %10.2f %10s\n", "Refresh blend / QPainter blend", rows[1].medianMs / rows[3].medianMs,
                rows[1].bestMs / rows[3].bestMs, "<= 1.5");
    std::printf("%-36s %10.2f %10.2f\n", "blendImages / QPainter blend", rows[2].medianMs / rows[3].medianMs,
                rows[2].bestMs / rows[3].bestMs);

    // A card left on screen with the 50 ms refresh running (fades on, already converged).
    app().alphaEffects = true;
    data->setMaintext(cards[0]);
    r.drawtobuffer(true);
    while (!view.shows(*r.surface().hDC()))
        r.Refresh();
    a.processEvents();
    r.StartTimer();
    const double cardOnly = idleShare(5);

    // The same with the main window's seven hover controls and their 50 ms repaint ticks.
    QWidget bar(&view);
    bar.setGeometry(0, 540, 800, 60);
    std::vector<QWidget*> controls;
    for (int i = 0; i < 4; ++i) {
        auto* b = new qexFlatButton(&bar);
        b->setCaption(QStringLiteral("Button %1").arg(i + 1));
        b->setGeometry(10 + i * 100, 5, 90, 24);
    }
    for (int i = 0; i < 2; ++i) {
        auto* c = new qexCheck(&bar);
        c->setCaption(QStringLiteral("Check %1").arg(i + 1));
        c->setGeometry(420 + i * 180, 5, 170, 20);
    }
    auto* link = new qexHL(&bar);
    link->setCaption(QStringLiteral("about this program"));
    link->move(420, 32);
    bar.show();
    a.processEvents();
    const double withControls = idleShare(5);
    r.killrenderer(true);

    std::printf("\n%-36s %10s %10s\n", "idle cost, 50 ms refresh", "% of core", "target");
    std::printf("%-36s %10.2f %10s\n", "stable card", cardOnly, hiDpi ? "<= 1 %" : "< 2 %");
    std::printf("%-36s %10.2f %10s\n", "stable card + 7 hover controls", withControls, "");
    return 0;
}
