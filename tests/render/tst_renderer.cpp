// The card renderer: the pixels of the card face, the font fitter, corners, copies and fades.
#include "cardview.h"
#include "modrender.h"
#include "r_data.h"
#include "r_renderer.h"
#include "rendertestsupport.h"
#include "testsupport.h"
#include "windowtimers.h"

#include <QGlyphRun>
#include <QPainter>
#include <QTextLayout>
#include <QtTest>

namespace {
constexpr int kW = 400;
constexpr int kH = 300;
constexpr int kReduction = 60;
constexpr int kCardBottom = kH - kReduction; // first row below the card area
constexpr QRgb kBlack = 0xFF000000u;

QString hexOf(const void* p) { return QString::number(quintptr(p), 16).toUpper(); }

// Pixels of `a` and `b` inside `area` that differ.
int differing(const QImage& a, const QImage& b, const QRect& area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (pixelAt(a, x, y) != pixelAt(b, x, y))
                ++n;
    return n;
}
} // namespace

class TestRenderer : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<CardView> m_view;
    std::shared_ptr<r_data> m_data;
    std::unique_ptr<r_renderer> m_renderer;

    // A renderer over a fresh view with the default colours and no corner texts.
    void makeCard(const QString& main) {
        m_view = std::make_unique<CardView>();
        m_view->resize(kW, kH);
        m_data = std::make_shared<r_data>();
        m_data->setWriteOnRelease(false);
        m_data->setdefaults();
        m_data->setMaintext(main);
        m_data->setBottomlefttext(QString());
        m_data->setBottomrighttext(QString());
        m_renderer = std::make_unique<r_renderer>();
        m_renderer->init(m_view.get(), m_data, 50.0f, 0, kReduction);
    }
    const QImage& surface() { return *m_renderer->surface().hDC(); }

private slots:
    void init() {
        freshApp(m_dir);
        app().alphaSupported = true;
        app().alphaEffects = false;
    }
    void cleanup() {
        m_renderer.reset();
        m_data.reset();
        m_view.reset();
        releaseMainRenderPair();
        AppState::reset();
    }

    void initLogsItsSetUp() {
        CardView view;
        view.resize(kW, kH);
        auto data = std::make_shared<r_data>();
        data->setWriteOnRelease(false);
        LogRecorder log;
        r_renderer r;
        r.init(&view, data, 50.0f, 10, kReduction);
        const QStringList expected = {
            "initializing renderer/n",
            " .. using DC @ 0x" + hexOf(&view.shownImage()) + "/n",
            " .. using window @ 0x" + hexOf(&view) + "/n",
            " .. using window size of ( 400 , 300 )/n",
            " .. using modded window size of ( 390 , 240 )/n",
            " .. using r_data class @ " + hexOf(data.get()) + "/n",
            " .. set refresh rate to 50 msec/n",
            " .. using QEX DC drawing class @ " + hexOf(&r.surface()) + "/n",
            "renderer initialized ok/n"};
        QCOMPARE(log.lines, expected);
        QCOMPARE(r.surface().Width(), kW);
        QCOMPARE(r.surface().height(), kH);
        // The card area keeps the size of the window at init.
        view.resize(100, 100);
        data->setMaintext("x");
        r.drawtobuffer(true);
        QCOMPARE(view.shownImage().size(), QSize(kW, kH));
    }

    void defaultCardPixels() {
        makeCard("x");
        m_renderer->drawtobuffer(true);
        const QImage& img = surface();
        const int mid = kW / 2;
        for (int y = 0; y < kCardBottom; ++y) {
            QCOMPARE(pixelAt(img, 0, y), kBlack);
            QCOMPARE(pixelAt(img, kW - 1, y), kBlack);
        }
        // The middle column, away from the main text in the centre.
        for (int y = 0; y < 80; ++y)
            QCOMPARE(pixelAt(img, mid, y), pixelOf(0xDE5549));
        QCOMPARE(pixelOf(0xDE5549), qRgb(73, 85, 222));
        // The separator row runs the other way round.
        QCOMPARE(pixelAt(img, 0, kCardBottom), pixelOf(0xDE5549));
        QCOMPARE(pixelAt(img, kW - 1, kCardBottom), pixelOf(0xDE5549));
        QCOMPARE(pixelAt(img, mid, kCardBottom), kBlack);
        // The window shows exactly the surface (no fade with alpha effects off).
        QVERIFY(m_view->shows(img));
        QCOMPARE(m_view->accessibleName(), QString("x"));
    }

    void oddWidthMiddleRoundsToEven() {
        // 401 / 2 = 200.5 goes to 200; 403 / 2 = 201.5 goes to 202.
        for (int width : {401, 403}) {
            CardView view;
            view.resize(width, 100);
            auto data = std::make_shared<r_data>();
            data->setWriteOnRelease(false);
            data->setdefaults();
            data->setMaintext(".");
            r_renderer r;
            r.init(&view, data, 50.0f, 0, 10);
            r.drawtobuffer(true);
            const int m = width == 401 ? 200 : 202;
            QCOMPARE(pixelAt(*r.surface().hDC(), m, 2), pixelOf(0xDE5549));
            QCOMPARE(pixelAt(*r.surface().hDC(), m, 90), kBlack);
        }
    }

    void fontFitter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::newRow("short text") << "cat" << 17;
        QTest::newRow("over-wide text") << QString(120, QChar('W')) << 7;
    }
    void fontFitter() {
        QFETCH(QString, text);
        QFETCH(int, size);
        makeCard(text);
        m_renderer->drawtobuffer(true);
        QCOMPARE(m_renderer->mainFontSize(), size);
        QVERIFY(m_renderer->surface().Font().bold);
        // Whatever its size, the text stays inside the card: the two outer columns on each
        // side keep the background.
        const QImage& img = surface();
        for (int y = 0; y < kCardBottom; ++y) {
            QCOMPARE(pixelAt(img, 0, y), kBlack);
            QCOMPARE(pixelAt(img, kW - 1, y), kBlack);
            QCOMPARE(pixelAt(img, kW - 2, y), pixelAt(img, kW - 2, 0));
        }
    }

    // Every script a learner may study is drawn with real glyphs (a fallback font supplies
    // what the card's font lacks), fitted inside the card, in the main text colour.
    void scriptsDrawWithRealGlyphs_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pictures"); // emoji: how many pictures the text must show; 0: letters
        QTest::newRow("Russian") << QStringLiteral("\u0417\u0434\u0440\u0430\u0432\u0441\u0442\u0432\u0443\u0439") << 0;
        QTest::newRow("Greek") << QStringLiteral("\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1") << 0;
        QTest::newRow("Japanese") << QStringLiteral("\u56F3\u66F8\u9928\u306F\u3069\u3053\u3067\u3059\u304B") << 0;
        QTest::newRow("Chinese") << QStringLiteral("\u6211\u4EEC\u5B66\u4E60\u6C49\u8BED") << 0;
        QTest::newRow("Arabic") << QStringLiteral(
            "\u0645\u0631\u062D\u0628\u0627 \u0628\u0627\u0644\u0639\u0627\u0644\u0645") << 0;
        QTest::newRow("Hebrew") << QStringLiteral("\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD") << 0;
        QTest::newRow("long Japanese") << QString(60, QChar(0x8A9E)) << 0;
        QTest::newRow("Hindi") << QStringLiteral(
            "\u0928\u092E\u0938\u094D\u0924\u0947 \u0926\u0941\u0928\u093F\u092F\u093E") << 0;
        QTest::newRow("Thai") << QStringLiteral("\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35\u0E0A\u0E32\u0E27\u0E42\u0E25\u0E01") << 0;
        // A hand with a skin tone is one picture, and so is a family joined by zero-width joiners.
        QTest::newRow("emoji with a skin tone") << QString::fromUtf8("\xF0\x9F\x91\x8B\xF0\x9F\x8F\xBD") << 1;
        QTest::newRow("family emoji")
            << QString::fromUtf8("\xF0\x9F\x91\xA8\xE2\x80\x8D\xF0\x9F\x91\xA9\xE2\x80\x8D\xF0\x9F\x91\xA7"
                                 "\xE2\x80\x8D\xF0\x9F\x91\xA6")
            << 1;
    }
    void scriptsDrawWithRealGlyphs() {
        QFETCH(QString, text);
        QFETCH(int, pictures);
        makeCard(QString());
        m_renderer->drawtobuffer(true);
        const QImage blank = surface().copy();
        makeCard(text);
        m_renderer->drawtobuffer(true);
        QTextLayout layout(text, m_renderer->surface().qfont());
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        int glyphs = 0;
        for (const QGlyphRun& run : layout.glyphRuns()) {
            for (quint32 g : run.glyphIndexes()) {
                QVERIFY2(g != 0, qPrintable(run.rawFont().familyName() + " lacks a glyph"));
                ++glyphs;
            }
        }
        QVERIFY(glyphs > 0);
        if (pictures > 0)
            QCOMPARE(glyphs, pictures);
        const QImage& img = surface();
        int ink = 0;
        for (int y = 0; y < kCardBottom; ++y) {
            QCOMPARE(pixelAt(img, 0, y), kBlack);
            QCOMPARE(pixelAt(img, kW - 1, y), kBlack);
            for (int x = 0; x < kW; ++x) {
                if (pictures == 0) {
                    ink += pixelAt(img, x, y) == 0xFFFFFFFFu ? 1 : 0;
                } else {
                    // An emoji is drawn in its own colours, not as an outline in the text colour.
                    const QColor c = img.pixelColor(x, y);
                    ink += pixelAt(img, x, y) != pixelAt(blank, x, y) && c.hsvSaturation() > 60 ? 1 : 0;
                }
            }
        }
        QVERIFY(ink > 20);
    }

    // A right-to-left text is laid out from the right: "!" after a Hebrew word stands at its
    // left end. The alignment the caller asked for stays as it is.
    void rightToLeftTextReadsFromTheRight() {
        const QString text = QStringLiteral("\u05E9\u05DC\u05D5\u05DD!");
        cMemDC dc;
        dc.init(200, 40);
        StdFont f = dc.Font();
        f.size = 14;
        dc.setFont(f);
        dc.setForecolor(0xFFFFFF);
        dc.DrawText(text, 0, 0, 200, 40, DT_LEFT | DT_SINGLELINE);
        auto painted = [&](Qt::LayoutDirection direction) {
            QImage img(200, 40, dc.hDC()->format());
            img.fill(Qt::black);
            QPainter p(&img);
            p.setFont(dc.qfont());
            p.setPen(Qt::white);
            p.setLayoutDirection(direction);
            p.drawText(QRect(0, 0, 200, 40), Qt::AlignLeft | Qt::AlignAbsolute | Qt::AlignTop | Qt::TextSingleLine,
                       text);
            return img;
        };
        QCOMPARE(*dc.hDC(), painted(Qt::RightToLeft));
        QVERIFY(*dc.hDC() != painted(Qt::LeftToRight));
    }

    void fitterPicksLargestSizeThatFits() {
        makeCard("probe");
        // A text just wider than the room at 13 must come out at 12.
        cMemDC probe;
        probe.init(10, 10);
        StdFont f = probe.Font();
        f.name = "Tahoma";
        f.bold = true;
        const int room = kW - 4;
        QString text = "a";
        auto widthAt = [&](int size) {
            f.size = size;
            probe.setFont(f);
            return probe.TextWidth(text);
        };
        while (widthAt(13) < room)
            text += "a";
        QVERIFY(widthAt(12) < room);
        m_data->setMaintext(text);
        m_renderer->drawtobuffer(true);
        QCOMPARE(m_renderer->mainFontSize(), 12);
    }

    void hiddenCornerLeavesNoGlyph_data() {
        QTest::addColumn<int>("corner");
        QTest::newRow("top left") << 0;
        QTest::newRow("bottom left") << 1;
        QTest::newRow("top right") << 2;
        QTest::newRow("bottom right") << 3;
    }
    void hiddenCornerLeavesNoGlyph() {
        QFETCH(int, corner);
        MockClock clock;
        clock.steady = 5000400;
        QObject timers;
        setRenderTimerWindow(&timers);
        makeCard("main");
        // Black shadows on the black edge would hide themselves: make every shadow visible.
        for (const char* alias : {"tl_text_shadow", "bl_text_shadow", "tr_text_shadow", "br_text_shadow"})
            m_data->UpdateColorByAlias(alias, 0x00FF00);
        void (r_data::*setText[])(const QString&) = {&r_data::setToplefttext, &r_data::setBottomlefttext,
                                                      &r_data::setToprighttext, &r_data::setBottomrighttext};
        void (r_data::*start[])(qint32) = {&r_data::starttltime, &r_data::startbltime, &r_data::starttrtime,
                                           &r_data::startbrtime};
        const QRect areas[] = {QRect(0, 0, 150, 30), QRect(0, kCardBottom - 30, 150, 30),
                               QRect(kW - 150, 0, 150, 30), QRect(kW - 150, kCardBottom - 30, 150, 30)};

        m_renderer->drawtobuffer(true);
        const QImage plain = surface().copy();
        (*m_data.*setText[corner])("Corner text");
        m_renderer->drawtobuffer(true);
        const QImage shown = surface().copy();
        QVERIFY(differing(plain, shown, areas[corner]) > 20);
        // The shadow lies one pixel up and left: its colour appears in the corner.
        bool shadowSeen = false;
        for (int y = areas[corner].top(); y <= areas[corner].bottom() && !shadowSeen; ++y)
            for (int x = areas[corner].left(); x <= areas[corner].right() && !shadowSeen; ++x)
                shadowSeen = pixelAt(shown, x, y) == qRgb(0, 255, 0);
        QVERIFY(shadowSeen);

        (*m_data.*start[corner])(0);
        m_renderer->drawtobuffer(true);
        QCOMPARE(differing(plain, surface(), QRect(0, 0, kW, kH)), 0);
        WindowTimers::kill(&timers, corner + 1);
        setRenderTimerWindow(nullptr);
    }

    // A 55-character question's "Showing answer to '...'" ran into the verdict on the right.
    // The two corners of a side share the row: a short one stays whole and the long one has
    // the rest, two long ones get half each; cut texts end in an ellipsis (inside the quotes).
    void cornerTextsCollided_data() {
        QTest::addColumn<QStringList>("texts"); // top left, bottom left, top right, bottom right
        QTest::addColumn<QString>("cut");       // the corners cut short, as "tl bl tr br" letters
        const QString question = "Wie weit ist es von hier bis zum alten Bahnhof am Fluss"; // 55 characters
        const QString showing = "Showing answer to '" + question + "'";
        const QString wrong = "Wrong: you typed 'it is a long way from here to the old station by the river'";
        const QString clef = "Showing answer to '" + QString("\U0001D11E").repeated(60) + "'";
        QTest::newRow("both short") << QStringList{"showing card 1 of 3", "", "Times viewed: 2", ""} << "";
        QTest::newRow("long left, short right") << QStringList{showing, "", "Right", ""} << "tl";
        QTest::newRow("short left, long right")
            << QStringList{"showing card 1 of 3", "", wrong, ""} << "tr";
        QTest::newRow("both long") << QStringList{showing, "", wrong, ""} << "tl tr";
        QTest::newRow("long left alone") << QStringList{showing, "", "", ""} << "";
        QTest::newRow("bottom, both long") << QStringList{"", question + question, "", "from '" + question + "'"}
                                           << "bl br";
        QTest::newRow("pairs of surrogates") << QStringList{clef, "", wrong, ""} << "tl tr";
    }
    void cornerTextsCollided() {
        QFETCH(QStringList, texts);
        QFETCH(QString, cut);
        makeCard("main");
        m_data->setToplefttext(texts[0]);
        m_data->setBottomlefttext(texts[1]);
        m_data->setToprighttext(texts[2]);
        m_data->setBottomrighttext(texts[3]);
        m_renderer->drawtobuffer(true);
        const QString names[] = {"tl", "bl", "tr", "br"};
        const int row = m_renderer->cornerRowWidth();
        for (int i = 0; i < 4; ++i) {
            const QString drawn = m_renderer->drawnCorner(i);
            const bool isCut = cut.split(' ').contains(names[i]);
            QCOMPARE(drawn == texts[i], !isCut);
            if (!isCut)
                continue;
            const QString tail = texts[i].endsWith('\'') ? QString(QChar(0x2026)) + "'" : QString(QChar(0x2026));
            QVERIFY2(drawn.endsWith(tail), qPrintable(drawn));
            const QString body = drawn.chopped(tail.size());
            QVERIFY2(texts[i].startsWith(body) && body.size() > 10, qPrintable(drawn));
            QVERIFY(!body.back().isHighSurrogate());
        }
        for (int left : {0, 1}) {
            const QString l = m_renderer->drawnCorner(left), r = m_renderer->drawnCorner(left + 2);
            if (l.isEmpty() || r.isEmpty())
                continue;
            const int wl = m_renderer->cornerTextWidth(l), wr = m_renderer->cornerTextWidth(r);
            QVERIFY2(wl + wr + 12 <= row, qPrintable(QString("%1 + %2 > %3").arg(wl).arg(wr).arg(row)));
            if (cut.contains(names[left]) && cut.contains(names[left + 2])) // halves, give or take a letter
                QVERIFY2(qAbs(wl - wr) < 20, qPrintable(QString("%1 / %2").arg(wl).arg(wr)));
        }
        // What the card says to assistive technology stays whole.
        for (const QString& t : texts)
            QVERIFY(m_view->accessibleDescription().contains(t));
    }

    void emptyMainTextPaintsNothing() {
        makeCard(QString());
        m_renderer->drawtobuffer(true);
        m_renderer->drawtobuffer(false);
        QVERIFY(m_view->shownImage().isNull());
        QCOMPARE(pixelAt(surface(), kW / 2, 10), kBlack);
    }

    void copyKind_data() {
        QTest::addColumn<bool>("supported");
        QTest::addColumn<bool>("effects");
        QTest::addColumn<bool>("blends");
        QTest::newRow("fades on") << true << true << true;
        QTest::newRow("fades on but unsupported") << false << true << false;
        QTest::newRow("fades off") << true << false << false;
    }
    void copyKind() {
        QFETCH(bool, supported);
        QFETCH(bool, effects);
        QFETCH(bool, blends);
        app().alphaSupported = supported;
        app().alphaEffects = effects;
        app().alphaLevel = 90;
        makeCard("first card");
        m_renderer->drawtobuffer(false);
        // drawtobuffer(false) never blends.
        QVERIFY(m_view->shows(surface()));
        const QImage background = m_view->shownImage().copy();
        m_renderer->drawtobuffer(true);
        QCOMPARE(!m_view->shows(surface()), blends);
        if (!blends)
            return;
        // Part of the old picture is still there: the new text is only partly faded in.
        const QRect card(0, 0, kW, kCardBottom);
        bool between = false;
        for (int y = card.top(); y <= card.bottom() && !between; ++y) {
            for (int x = card.left(); x <= card.right() && !between; ++x) {
                const int was = qGreen(pixelAt(background, x, y));
                const int now = qGreen(pixelAt(m_view->shownImage(), x, y));
                const int target = qGreen(pixelAt(surface(), x, y));
                between = was != target && now != was && now != target;
            }
        }
        QVERIFY(between);
        int ticks = 1;
        while (!m_view->shows(surface()) && ticks < 60) {
            m_renderer->Refresh();
            ++ticks;
        }
        QVERIFY(m_view->shows(surface()));
        QVERIFY2(ticks > 3, qPrintable(QString::number(ticks)));

        // The next card fades in over the previous one.
        m_data->setMaintext("second");
        m_renderer->drawtobuffer(false);
        QVERIFY(m_view->shows(surface()));
        m_renderer->drawtobuffer(true);
        QVERIFY(!m_view->shows(surface()));
    }

    void levelZeroStillShowsTheCard() {
        app().alphaEffects = true;
        app().alphaLevel = 0;
        makeCard("first");
        m_renderer->drawtobuffer(false);
        m_data->setMaintext("second");
        m_renderer->drawtobuffer(true);
        const QImage before = m_view->shownImage().copy();
        for (int i = 0; i < 300 && !m_view->shows(surface()); ++i)
            m_renderer->Refresh();
        QVERIFY(m_view->shownImage() != before);
        QVERIFY(m_view->shows(surface()));
    }

    void refreshTimer() {
        makeCard("x");
        m_renderer->StartTimer();
        QVERIFY(WindowTimers::isActive(m_view.get(), 0));
        QCOMPARE(WindowTimers::interval(m_view.get(), 0), 50);
        app().alphaEffects = true;
        m_data->setMaintext("timer");
        m_renderer->drawtobuffer(false);
        m_renderer->drawtobuffer(true);
        QVERIFY(!m_view->shows(surface()));
        QTRY_VERIFY_WITH_TIMEOUT(m_view->shows(surface()), 5000);
        m_renderer->HaltTimer();
        QVERIFY(!WindowTimers::isActive(m_view.get(), 0));
        app().shutdownSignal = true;
        m_renderer->StartTimer();
        QVERIFY(!WindowTimers::isActive(m_view.get(), 0));
    }

    void killKeepingData() {
        makeCard("x");
        m_renderer->StartTimer();
        LogRecorder log;
        const long holders = m_data.use_count();
        m_renderer->killrenderer(true);
        QCOMPARE(log.lines, QStringList({"renderer going down/n", " .. renderer released ok/n"}));
        QVERIFY(!WindowTimers::isActive(m_view.get(), 0));
        QVERIFY(!m_renderer->surface().IsCreated());
        QCOMPARE(m_data.use_count(), holders);
        QCOMPARE(m_data->GetColorByAlias("backcolor_b", 0), 0xDE5549);
        m_data->setMaintext("still usable");
        QCOMPARE(m_data->maintext(), QString("still usable"));
        // A killed renderer reaches no surface.
        m_renderer->drawtobuffer(true);
        m_renderer->Refresh();
        m_renderer.reset();
        QCOMPARE(m_data.use_count(), 1L);
    }

    void killDroppingData() {
        makeCard("x");
        const long holders = m_data.use_count();
        m_renderer->killrenderer(false);
        QCOMPARE(m_data.use_count(), holders - 1);
    }

    void releasingMainPairWritesColours() {
        CardView view;
        view.resize(kW, kH);
        auto data = std::make_shared<r_data>();
        data->setdefaults();
        auto renderer = std::make_unique<r_renderer>();
        renderer->init(&view, data, 50.0f, 0, kReduction);
        renderer->StartTimer();
        setMainRenderPair(data, std::move(renderer));
        data.reset();
        QVERIFY(mainRenderer());
        QVERIFY(mainRenderData());
        LogRecorder log;
        releaseMainRenderPair();
        QVERIFY(!mainRenderer());
        QVERIFY(!mainRenderData());
        QVERIFY(!WindowTimers::isActive(&view, 0));
        const int down = log.indexOf("renderer going down/n");
        QVERIFY(down >= 0);
        QVERIFY(log.indexOf("wrote 12 color definitions to disk/n") > down);
    }
};

int runRendererTests(int argc, char** argv) {
    TestRenderer t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_renderer.moc"
