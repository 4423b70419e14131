// The drawing surface: fills, gradients, the colour mixer, text, copies and blends.
#include "cardview.h"
#include "cmemdc.h"
#include "rendertestsupport.h"

#include <QGuiApplication>
#include <QPalette>
#include <QRandomGenerator>
#include <QtTest>

class TestMemDc : public QObject {
    Q_OBJECT
private slots:
    void nothingHappensBeforeInit() {
        cMemDC dc;
        QVERIFY(!dc.IsCreated());
        QCOMPARE(dc.Width(), 0);
        QCOMPARE(dc.height(), 0);
        QVERIFY(dc.hDC() == nullptr);
        QCOMPARE(dc.TextWidth("text"), 0);
        QCOMPARE(dc.FontHeight(), 0);
        dc.FillRect(0, 0, 10, 10, 0xFF);
        dc.FillGradient(0, 0, 10, 10, 0, 0xFFFFFF, false);
        dc.DrawText("x", 0, 0, 10, 10, DT_SINGLELINE);
        dc.Rectangle(0, 0, 5, 5, 0, QBrush(), 0);
        dc.DrawLine(0, 0, 5, 5, 0);
        CardView view;
        dc.BitBlt(&view);
        dc.AlphaBlt(&view, 0, 0, 0, 0, 0, 0, 128);
        QVERIFY(view.shownImage().isNull());
        // A surface of no size is not created either.
        dc.init(0, 10);
        QVERIFY(!dc.IsCreated());
        dc.init(4, 3);
        QVERIFY(dc.IsCreated());
        dc.Destroy();
        QVERIFY(!dc.IsCreated());
    }

    void fillRectDefaults_data() {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("bottom");
        QTest::addColumn<QRect>("filled");
        QTest::newRow("plain, right and bottom exclusive") << 2 << 3 << 5 << 7 << QRect(2, 3, 3, 4);
        QTest::newRow("right equal to left fills nothing") << 4 << 0 << 4 << 10 << QRect();
        QTest::newRow("right below left runs to the edge") << 6 << 1 << 0 << 2 << QRect(6, 1, 14, 1);
        QTest::newRow("bottom below top runs to the edge") << 0 << 8 << 3 << -1 << QRect(0, 8, 3, 2);
        QTest::newRow("both default") << 18 << 9 << -1 << -1 << QRect(18, 9, 2, 1);
    }
    void fillRectDefaults() {
        QFETCH(int, left);
        QFETCH(int, top);
        QFETCH(int, right);
        QFETCH(int, bottom);
        QFETCH(QRect, filled);
        cMemDC dc;
        dc.init(20, 10);
        dc.FillRect(0, 0, -1, -1, 0x000000);
        dc.FillRect(left, top, right, bottom, 0x0000FF);
        const QImage& img = *dc.hDC();
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 20; ++x)
                QCOMPARE(pixelAt(img, x, y), filled.contains(x, y) ? qRgb(255, 0, 0) : qRgb(0, 0, 0));
    }

    void fillRectWithBrush() {
        cMemDC dc;
        dc.init(4, 4);
        dc.FillRect(0, 0, 2, 2, -1, QBrush(QColor(0, 255, 0)));
        QCOMPARE(pixelAt(*dc.hDC(), 1, 1), qRgb(0, 255, 0));
        QCOMPARE(pixelAt(*dc.hDC(), 2, 2), qRgb(0, 0, 0));
        // Neither colour nor brush: nothing.
        dc.FillRect(0, 0, 4, 4, -1);
        QCOMPARE(pixelAt(*dc.hDC(), 3, 3), qRgb(0, 0, 0));
    }

    void gradientEnds_data() {
        QTest::addColumn<bool>("vertical");
        QTest::newRow("horizontal") << false;
        QTest::newRow("vertical") << true;
    }
    void gradientEnds() {
        QFETCH(bool, vertical);
        cMemDC dc;
        dc.init(vertical ? 3 : 256, vertical ? 256 : 3);
        if (vertical)
            dc.FillGradient(0, 0, 3, 256, 0x000000, 0xFFFFFF, true);
        else
            dc.FillGradient(0, 0, 256, 3, 0x000000, 0xFFFFFF, false);
        const QImage& img = *dc.hDC();
        auto at = [&](int i) { return vertical ? pixelAt(img, 1, i) : pixelAt(img, i, 1); };
        QCOMPARE(at(0), qRgb(0, 0, 0));
        QCOMPARE(at(255), qRgb(255, 255, 255));
        for (int i = 1; i < 256; ++i) {
            QVERIFY(qRed(at(i)) >= qRed(at(i - 1)));
            QCOMPARE(qRed(at(i)), qBlue(at(i)));
        }
        QVERIFY(qAbs(qRed(at(128)) - 128) <= 1);
    }

    void gradientChannelsAreNotSwapped() {
        cMemDC dc;
        dc.init(10, 1);
        dc.FillGradient(0, 0, 10, 1, 0x0000FF, 0xDE5549, false);
        QCOMPARE(pixelAt(*dc.hDC(), 0, 0), qRgb(255, 0, 0));
        QCOMPARE(pixelAt(*dc.hDC(), 9, 0), qRgb(73, 85, 222));
    }

    void alphaBlendMixer_data() {
        QTest::addColumn<qint32>("c1");
        QTest::addColumn<qint32>("c2");
        QTest::addColumn<double>("weight");
        QTest::addColumn<qint32>("expected");
        QTest::newRow("white over black 0.75") << 0xFFFFFF << 0x000000 << 0.75 << 0xBFBFBF;
        QTest::newRow("weight 1 is colour 1") << 0x123456 << 0xABCDEF << 1.0 << 0x123456;
        QTest::newRow("weight 0 is colour 2") << 0x123456 << 0xABCDEF << 0.0 << 0xABCDEF;
        QTest::newRow("channels mix apart") << 0x0000FF << 0xFF0000 << 0.25 << 0xBF0040;
        QTest::newRow("shadow of black text") << 0x000000 << 0x000000 << 0.25 << 0x000000;
    }
    void alphaBlendMixer() {
        QFETCH(qint32, c1);
        QFETCH(qint32, c2);
        QFETCH(double, weight);
        QFETCH(qint32, expected);
        QCOMPARE(cMemDC::pvAlphaBlend(c1, c2, weight), expected);
    }

    void translateColour() {
        QCOMPARE(cMemDC::TranslateColor(-1), -1);
        QCOMPARE(cMemDC::TranslateColor(0x00DE5549), 0xDE5549);
        const QColor face = QGuiApplication::palette().color(QPalette::Active, QPalette::Button);
        QCOMPARE(cMemDC::TranslateColor(qint32(0x8000000F)), cMemDC::fromQColor(face));
    }

    void copiesWithZeroSizesTakeWholeSurface() {
        CardView view;
        view.resize(30, 20);
        cMemDC dc;
        dc.init(30, 20, &view);
        dc.FillGradient(0, 0, 30, 20, 0x0000FF, 0x00FF00, false);
        dc.BitBlt(static_cast<CardView*>(nullptr));
        QVERIFY(view.shows(*dc.hDC()));
        QCOMPARE(view.shownImage().size(), QSize(30, 20));

        dc.FillRect(0, 0, -1, -1, 0xFFFFFF);
        dc.AlphaBlt(static_cast<CardView*>(nullptr), 5, 5, 0, 0, 3, 3, 255);
        QVERIFY(view.shows(*dc.hDC()));
    }

    void blendMovesPartWayAndConverges() {
        CardView view;
        cMemDC dc;
        dc.init(8, 8, &view);
        dc.FillRect(0, 0, -1, -1, 0x000000);
        dc.BitBlt(&view);
        dc.FillRect(0, 0, -1, -1, 0xFFFFFF);
        dc.AlphaBlt(&view, 0, 0, 0, 0, 0, 0, 90);
        // 90/255 of 255 is 90: the old black is still mostly there.
        QCOMPARE(pixelAt(view.shownImage(), 3, 3), qRgb(90, 90, 90));
        int ticks = 1;
        while (!view.shows(*dc.hDC()) && ticks < 100) {
            dc.AlphaBlt(&view, 0, 0, 0, 0, 0, 0, 90);
            ++ticks;
        }
        QVERIFY(view.shows(*dc.hDC()));
        QVERIFY2(ticks < 30, qPrintable(QString::number(ticks)));
        // Small alpha must converge too (each step moves at least one level).
        dc.FillRect(0, 0, -1, -1, 0x000000);
        for (int i = 0; i < 255 && !view.shows(*dc.hDC()); ++i)
            dc.AlphaBlt(&view, 0, 0, 0, 0, 0, 0, 1);
        QVERIFY(view.shows(*dc.hDC()));
    }

    // The fade's step against the rule written out pixel by pixel: each channel moves
    // ceil(distance * level / 255) towards the source, a pixel already of the source's
    // colour keeps its bytes, a moved one is opaque.
    void blendStepAsTheRule_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("width");
        for (int level : {1, 2, 90, 127, 128, 254, 255})
            for (int width : {1, 3, 4, 5, 8, 19})
                QTest::newRow(qPrintable(QStringLiteral("level %1, width %2").arg(level).arg(width))) << level << width;
    }
    void blendStepAsTheRule() {
        QFETCH(int, level);
        QFETCH(int, width);
        QRandomGenerator rng(quint32(level * 100 + width));
        const int height = 6;
        QImage src(width, height, QImage::Format_RGB32), dst(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            auto* s = reinterpret_cast<QRgb*>(src.scanLine(y));
            auto* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
            for (int x = 0; x < width; ++x) {
                // Row 0 differs everywhere, row 1 nowhere (with a fourth byte that must stay),
                // the others at random, with extreme channels and distances of 1.
                s[x] = rng.generate();
                switch (y) {
                case 0: d[x] = s[x] ^ 0x00FFFFFFu; break;
                case 1: d[x] = (s[x] & 0x00FFFFFFu) | 0x12000000u; break;
                case 2: d[x] = s[x] ^ 0x00010101u; break;
                default: d[x] = rng.bounded(3) == 0 ? s[x] : rng.generate(); break;
                }
            }
        }
        QImage expected = dst.copy();
        bool expectChanged = false;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const QRgb sv = src.pixel(x, y), dv = reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x];
                if ((sv | 0xFF000000u) == (dv | 0xFF000000u))
                    continue;
                int ch[3];
                const int from[3] = {qRed(dv), qGreen(dv), qBlue(dv)}, to[3] = {qRed(sv), qGreen(sv), qBlue(sv)};
                for (int c = 0; c < 3; ++c) {
                    const int distance = std::abs(to[c] - from[c]);
                    const int step = (distance * level + 254) / 255;
                    ch[c] = to[c] > from[c] ? from[c] + step : from[c] - step;
                }
                reinterpret_cast<QRgb*>(expected.scanLine(y))[x] = qRgb(ch[0], ch[1], ch[2]);
                expectChanged = true;
            }
        const bool changed = CardView::blendImages(dst, src, level);
        QCOMPARE(changed, expectChanged);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                QVERIFY2(reinterpret_cast<const QRgb*>(dst.constScanLine(y))[x] ==
                             reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x],
                         qPrintable(QStringLiteral("pixel %1,%2: %3 instead of %4")
                                        .arg(x)
                                        .arg(y)
                                        .arg(reinterpret_cast<const QRgb*>(dst.constScanLine(y))[x], 8, 16)
                                        .arg(reinterpret_cast<const QRgb*>(expected.constScanLine(y))[x], 8, 16)));
        // Nothing left to move: no change is reported.
        QImage same = src.copy();
        QVERIFY(!CardView::blendImages(same, src, level));
    }

    void blendIntoImage() {
        cMemDC dc;
        dc.init(4, 4);
        dc.FillRect(0, 0, -1, -1, 0xFFFFFF);
        QImage target(4, 4, QImage::Format_RGB32);
        target.fill(Qt::black);
        dc.AlphaBlt(&target, 0, 0, 0, 0, 0, 0, 128);
        QCOMPARE(pixelAt(target, 0, 0), qRgb(128, 128, 128));
        QImage copy(4, 4, QImage::Format_RGB32);
        copy.fill(Qt::black);
        dc.BitBlt(&copy, 1, 1, 2, 2);
        QCOMPARE(pixelAt(copy, 0, 0), qRgb(0, 0, 0));
        QCOMPARE(pixelAt(copy, 2, 2), qRgb(255, 255, 255));
        QCOMPARE(pixelAt(copy, 3, 3), qRgb(0, 0, 0));
    }

    void rectangleOutlineAndFill() {
        cMemDC dc;
        dc.init(12, 12);
        dc.Rectangle(1, 1, 11, 11, 0x0000FF, QBrush(), 0xFF0000);
        const QImage& img = *dc.hDC();
        QCOMPARE(pixelAt(img, 1, 1), qRgb(0, 0, 255));
        QCOMPARE(pixelAt(img, 10, 10), qRgb(0, 0, 255));
        QCOMPARE(pixelAt(img, 10, 5), qRgb(0, 0, 255));
        QCOMPARE(pixelAt(img, 5, 5), qRgb(255, 0, 0));
        QCOMPARE(pixelAt(img, 11, 11), qRgb(0, 0, 0));
        QCOMPARE(pixelAt(img, 0, 0), qRgb(0, 0, 0));
    }

    void fontFallsBackAndKeepsItsName() {
        cMemDC dc;
        dc.init(200, 50);
        StdFont f = dc.Font();
        f.name = "Tahoma";
        f.size = 8;
        f.bold = true;
        dc.setFont(f);
        QCOMPARE(dc.Font().name, QString("Tahoma"));
        QVERIFY(dc.Font().bold);
        QCOMPARE(dc.Font().weight, 700);
        QVERIFY(!cMemDC::resolveFamily("Tahoma").isEmpty());
        const int small = dc.TextWidth("Vocabulary");
        const int smallHeight = dc.FontHeight();
        f.size = 17;
        dc.setFont(f);
        QVERIFY(dc.TextWidth("Vocabulary") > small);
        QVERIFY(dc.FontHeight() > smallHeight);
        QCOMPARE(dc.TextWidth(QString()), 0);
    }

    void drawTextMeasuresAndClips() {
        cMemDC dc;
        dc.init(100, 40);
        dc.FillRect(0, 0, -1, -1, 0x000000);
        dc.setForecolor(0xFFFFFF);
        RECT r{10, 5, 11, 6};
        dc.DrawText("Measured", r, DT_SINGLELINE | DT_CALCRECT);
        QCOMPARE(r.left, 10);
        QCOMPARE(r.top, 5);
        QCOMPARE(r.right, 10 + dc.TextWidth("Measured"));
        QCOMPARE(r.bottom, 5 + dc.FontHeight());
        // Measuring draws nothing.
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 100; ++x)
                QCOMPARE(pixelAt(*dc.hDC(), x, y), qRgb(0, 0, 0));

        RECT box{20, 10, 40, 30};
        dc.DrawText("WWWWWWWWWWWWWWWWWWWWWWWWW", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        QCOMPARE(box.right, 40);
        bool inside = false;
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 100; ++x) {
                const bool lit = pixelAt(*dc.hDC(), x, y) != qRgb(0, 0, 0);
                if (x < 20 || x >= 40 || y < 10 || y >= 30)
                    QVERIFY2(!lit, qPrintable(QString("%1,%2").arg(x).arg(y)));
                inside = inside || lit;
            }
        }
        QVERIFY(inside);
    }

    void paintPictureCreatesSurface() {
        QImage pic(7, 5, QImage::Format_RGB32);
        pic.fill(QColor(10, 20, 30));
        cMemDC dc;
        dc.PaintPicture(pic);
        QVERIFY(dc.IsCreated());
        QCOMPARE(dc.Width(), 7);
        QCOMPARE(dc.height(), 5);
        QCOMPARE(pixelAt(*dc.hDC(), 6, 4), qRgb(10, 20, 30));
        dc.init(20, 20);
        dc.PaintPicture(pic, 10, 10, 4, 4);
        QCOMPARE(pixelAt(*dc.hDC(), 11, 11), qRgb(10, 20, 30));
        QCOMPARE(pixelAt(*dc.hDC(), 14, 14), qRgb(0, 0, 0));
    }
};

int runMemDcTests(int argc, char** argv) {
    TestMemDc t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_cmemdc.moc"
