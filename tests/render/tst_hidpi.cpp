// The card face, the hover controls and the splash on a HiDPI screen: this program runs at a
// device pixel ratio of 2 (QT_SCALE_FACTOR=2 under offscreen). Pictures keep device pixels,
// layouts and text fitting stay in logical pixels, and text is as sharp as text painted
// directly at that ratio.
#include "appstate.h"
#include "cardview.h"
#include "cmemdc.h"
#include "qexflatbutton.h"
#include "r_data.h"
#include "r_renderer.h"
#include "splashpictures.h"

#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>

namespace {
// How abruptly the brightness changes between neighbouring pixels, weighted by the size of
// each change: a sharp edge jumps in one step, a blurred one creeps over several.
double edgeSharpness(const QImage& img) {
    double sum = 0, sumSq = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x + 1 < img.width(); ++x) {
            const double d = std::abs(qGray(img.pixel(x + 1, y)) - qGray(img.pixel(x, y)));
            sum += d;
            sumSq += d * d;
        }
    }
    return sum > 0 ? sumSq / sum : 0;
}

// White text on black, painted directly into an image of the given ratio.
QImage directText(const QString& text, const QFont& font, const QSize& logical, qreal ratio) {
    QImage img(int(logical.width() * ratio), int(logical.height() * ratio), QImage::Format_RGB32);
    img.setDevicePixelRatio(ratio);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(QPoint(0, 0), logical), Qt::AlignCenter | Qt::TextSingleLine, text);
    return img;
}
} // namespace

class TestHiDpi : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void surfaceKeepsDevicePixels_data();
    void surfaceKeepsDevicePixels();
    void mainTextAsSharpAsDirectText();
    void fadeAtDeviceResolution();
    void hoverControlAndSplashPictures();

private:
    QTemporaryDir m_home;
};

void TestHiDpi::initTestCase() {
    AppState::reset();
    app().homeFolder = m_home.path();
    QCOMPARE(qApp->devicePixelRatio(), 2.0);
}

void TestHiDpi::surfaceKeepsDevicePixels_data() {
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1.25") << 1.25;
    QTest::newRow("1.5") << 1.5;
    QTest::newRow("2") << 2.0;
}

void TestHiDpi::surfaceKeepsDevicePixels() {
    QFETCH(qreal, ratio);
    cMemDC plain, dc;
    plain.init(200, 100, nullptr, 1.0);
    dc.init(200, 100, nullptr, ratio);
    QCOMPARE(dc.Width(), 200);
    QCOMPARE(dc.height(), 100);
    QCOMPARE(dc.hDC()->size(), QSize(int(std::lround(200 * ratio)), int(std::lround(100 * ratio))));

    // Text is measured in logical pixels, so the text-fitting rule picks the same size.
    StdFont f = plain.Font();
    f.name = QStringLiteral("Tahoma");
    f.bold = true;
    f.size = 14;
    plain.setFont(f);
    dc.setFont(f);
    QCOMPARE(dc.TextWidth(QStringLiteral("die Vergangenheit")), plain.TextWidth(QStringLiteral("die Vergangenheit")));
    QCOMPARE(dc.FontHeight(), plain.FontHeight());

    // A filled rectangle covers its logical area in device pixels, edge to edge.
    dc.FillRect(0, 0, 200, 100, 0x000000);
    dc.FillRect(10, 20, 30, 40, 0x0000FF);
    const QImage& img = *dc.hDC();
    const int l = int(std::lround(10 * ratio)), r = int(std::lround(30 * ratio)) - 1;
    QCOMPARE(img.pixel(l, int(std::lround(20 * ratio))) | 0xFF000000u, qRgb(255, 0, 0));
    QCOMPARE(img.pixel(r, int(std::lround(40 * ratio)) - 1) | 0xFF000000u, qRgb(255, 0, 0));
    QCOMPARE(img.pixel(l - 1, int(std::lround(30 * ratio))) | 0xFF000000u, qRgb(0, 0, 0));
    QCOMPARE(img.pixel(r + 1, int(std::lround(30 * ratio))) | 0xFF000000u, qRgb(0, 0, 0));

    // A gradient has its exact end colours on the first and last device column.
    dc.FillGradient(0, 50, 200, 100, 0x000000, 0xFFFFFF, false);
    QCOMPARE(img.pixel(0, img.height() - 1) | 0xFF000000u, qRgb(0, 0, 0));
    QCOMPARE(img.pixel(img.width() - 1, img.height() - 1) | 0xFF000000u, qRgb(255, 255, 255));
}

void TestHiDpi::mainTextAsSharpAsDirectText() {
    CardView view;
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QCOMPARE(view.devicePixelRatioF(), 2.0);
    auto data = std::make_shared<r_data>();
    data->setWriteOnRelease(false);
    data->setdefaults();
    // Plain white text on black, so the card's text compares with text painted directly.
    for (const char* alias : {"backcolor_a", "backcolor_b", "main_text_shadow"})
        data->UpdateColorByAlias(QString::fromLatin1(alias), 0x000000);
    data->UpdateColorByAlias(QStringLiteral("main_text_forecolor"), 0xFFFFFF);
    data->setMaintext(QStringLiteral("Wohnung"));
    app().alphaEffects = false;
    r_renderer r;
    r.init(&view, data, 50.0f, 0, 60);
    r.drawtobuffer(true);

    const QImage& shown = view.shownImage();
    QCOMPARE(shown.size(), QSize(800, 600));
    QCOMPARE(shown.devicePixelRatio(), 2.0);
    QVERIFY(view.shows(*r.surface().hDC()));
    const QImage card = shown.copy(0, 0, 800, 480);

    QFont font(cMemDC::resolveFamily(QStringLiteral("Tahoma")));
    font.setPixelSize(int(std::lround(r.mainFontSize() * view.logicalDpiY() / 72.0)));
    font.setBold(true);
    const double direct = edgeSharpness(directText(data->maintext(), font, QSize(400, 240), 2.0));
    const QImage lowRes = directText(data->maintext(), font, QSize(400, 240), 1.0);
    const double upscaled = edgeSharpness(lowRes.scaled(800, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    const double ours = edgeSharpness(card);
    // The measure tells a blurred picture from a sharp one ...
    QVERIFY2(upscaled < 0.85 * direct, qPrintable(QStringLiteral("direct %1, upscaled %2").arg(direct).arg(upscaled)));
    // ... and the card's text is as sharp as the direct one.
    QVERIFY2(ours > 0.95 * direct, qPrintable(QStringLiteral("direct %1, card %2").arg(direct).arg(ours)));
    r.killrenderer(true);
}

void TestHiDpi::fadeAtDeviceResolution() {
    CardView view;
    view.resize(300, 200);
    view.show();
    auto data = std::make_shared<r_data>();
    data->setWriteOnRelease(false);
    data->setdefaults();
    r_renderer r;
    r.init(&view, data, 50.0f, 0, 60);
    app().alphaSupported = true;
    app().alphaEffects = false;
    data->setMaintext(QStringLiteral("das Haus"));
    r.drawtobuffer(true);
    const QImage first = view.shownImage().copy();
    app().alphaEffects = true;
    app().alphaLevel = 90;
    data->setMaintext(QStringLiteral("the house"));
    r.drawtobuffer(true);
    const QImage afterOneStep = view.shownImage().copy();
    QVERIFY(!CardView::samePixels(afterOneStep, first));
    QVERIFY(!view.shows(*r.surface().hDC()));
    int steps = 1;
    while (!view.shows(*r.surface().hDC()) && steps < 100) {
        r.Refresh();
        ++steps;
    }
    QVERIFY(view.shows(*r.surface().hDC()));
    QVERIFY(steps > 3);
    QCOMPARE(view.shownImage().size(), QSize(600, 400));
    QCOMPARE(view.shownImage().devicePixelRatio(), 2.0);
    r.killrenderer(true);
    app().alphaEffects = false;
}

void TestHiDpi::hoverControlAndSplashPictures() {
    qexFlatButton button;
    button.setCaption(QStringLiteral("Answer"));
    button.resize(80, 22);
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    const QImage face = button.grab().toImage();
    QCOMPARE(face.size(), QSize(160, 44));
    // The caption's strokes have detail finer than a logical pixel: some edge falls on an
    // odd device column, which an upscaled picture never has.
    bool oddEdge = false;
    for (int y = 0; y < face.height() && !oddEdge; ++y)
        for (int x = 3; x + 1 < face.width() - 3 && !oddEdge; x += 2)
            oddEdge = face.pixel(x, y) != face.pixel(x + 1, y);
    QVERIFY(oddEdge);

    const QImage& title = SplashPictures::title(2.0);
    QCOMPARE(title.size(), SplashPictures::title(1.0).size() * 2);
    QCOMPARE(title.deviceIndependentSize().toSize(), SplashPictures::title(1.0).size());
    QCOMPARE(SplashPictures::frame(3, 1.5).size(), QSize(24, 24));
}

QTEST_MAIN(TestHiDpi)
#include "tst_hidpi.moc"
