// The render data: colour table, its persistence in the master database, corner expiry.
#include "cardview.h"
#include "ivordalite.h"
#include "modrender.h"
#include "r_data.h"
#include "r_renderer.h"
#include "rendertestsupport.h"
#include "testsupport.h"
#include "version.h"
#include "windowtimers.h"

#include <QDir>
#include <QtTest>

namespace {
const QStringList kDefaultAliases = {
    "backcolor_a",       "backcolor_b",    "main_text_shadow",  "main_text_forecolor",
    "tr_text_shadow",    "tr_text_forecolor", "tl_text_shadow", "tl_text_forecolor",
    "br_text_shadow",    "br_text_forecolor", "bl_text_shadow", "bl_text_forecolor"};
const QList<qint32> kDefaultColours = {0x000000, 0xDE5549, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF,
                                       0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF};

QStringList aliases(const r_data& d) {
    QStringList out;
    for (qint16 i = d.clb(); i <= d.cub(); ++i) {
        QString a;
        qint32 c = 0;
        d.cenum(i, a, c);
        out << a;
    }
    return out;
}

struct Corner {
    const char* name;
    int timerId;
    void (r_data::*start)(qint32);
    bool (r_data::*show)() const;
    void (r_data::*reset)();
    void (r_data::*setText)(const QString&);
};
const Corner kCorners[] = {
    {"tl", 1, &r_data::starttltime, &r_data::tlshow, &r_data::tlreset, &r_data::setToplefttext},
    {"tr", 2, &r_data::starttrtime, &r_data::trshow, &r_data::trreset, &r_data::setToprighttext},
    {"bl", 3, &r_data::startbltime, &r_data::blshow, &r_data::blreset, &r_data::setBottomlefttext},
    {"br", 4, &r_data::startbrtime, &r_data::brshow, &r_data::brreset, &r_data::setBottomrighttext},
};

// The main render pair on `view` (its timers' window), showing "card" with the given top-left
// and bottom-left texts and no bottom-right text, drawn once.
std::shared_ptr<r_data> mainPairOn(CardView& view, const QString& topLeft, const QString& bottomLeft) {
    view.resize(200, 120);
    setRenderTimerWindow(&view);
    auto data = std::make_shared<r_data>();
    data->setWriteOnRelease(false);
    data->setMaintext("card");
    data->setToplefttext(topLeft);
    data->setBottomlefttext(bottomLeft);
    data->setBottomrighttext(QString());
    auto renderer = std::make_unique<r_renderer>();
    r_renderer* r = renderer.get();
    r->init(&view, data, 50.0f, 0, 20);
    setMainRenderPair(data, std::move(renderer));
    r->drawtobuffer(true);
    return data;
}
} // namespace

class TestRData : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString sysPath() const { return m_dir.path() + "/sys.qex"; }
    void mountMaster() {
        app().master = std::make_unique<ivordalite>();
        QVERIFY(app().master->mount(sysPath(), false));
    }

private slots:
    void init() {
        QVERIFY(m_dir.isValid());
        QFile::remove(sysPath());
        freshApp(m_dir);
        releaseMainRenderPair();
    }
    void cleanup() {
        releaseMainRenderPair();
        AppState::reset();
    }

    void freshObjectWithoutColours_data() {
        QTest::addColumn<bool>("useMaster");
        QTest::newRow("own store") << false;
        QTest::newRow("master database") << true;
    }
    void freshObjectWithoutColours() {
        QFETCH(bool, useMaster);
        if (useMaster)
            mountMaster();
        LogRecorder log;
        {
            r_data d;
            QCOMPARE(d.clb(), qint16(0));
            QCOMPARE(d.cub(), qint16(0));
            QCOMPARE(d.GetColorByAlias("backcolor_b", 14570825), 14570825);
            QCOMPARE(d.bottomlefttext(), QString("Right click anywhere for menu"));
            QCOMPARE(d.bottomrighttext(), VersionString());
            QVERIFY(d.maintext().isEmpty());
            QVERIFY(d.tlshow() && d.trshow() && d.blshow() && d.brshow());
        }
        QVERIFY(log.contains("read 0 color definitions from disk/n"));
        // Going away writes the table: the placeholder alone counts as nothing.
        QVERIFY(log.contains("wrote 0 color definitions to disk/n"));
        for (int level : log.levels)
            QCOMPARE(level, 3);
    }

    void defaultsWrittenAndReadBack_data() {
        QTest::addColumn<bool>("useMaster");
        QTest::newRow("own store") << false;
        QTest::newRow("master database") << true;
    }
    void defaultsWrittenAndReadBack() {
        QFETCH(bool, useMaster);
        if (useMaster)
            mountMaster();
        {
            LogRecorder log;
            r_data d;
            d.setWriteOnRelease(false);
            d.setdefaults();
            QCOMPARE(d.clb(), qint16(0));
            QCOMPARE(d.cub(), qint16(12));
            QString alias = "x";
            qint32 colour = -5;
            d.cenum(0, alias, colour);
            QVERIFY(alias.isEmpty());
            QCOMPARE(colour, 0);
            const int forcing = log.indexOf("forcing metrics data manager to defaults/n");
            const int defined = log.indexOf(".. 12 colors defined/n");
            const int wrote = log.indexOf("wrote 12 color definitions to disk/n");
            QVERIFY(forcing >= 0);
            QVERIFY(defined > forcing);
            QVERIFY(wrote > defined);
        }
        LogRecorder log;
        r_data back;
        back.setWriteOnRelease(false);
        QVERIFY(log.contains("read 12 color definitions from disk/n"));
        QCOMPARE(back.cub(), qint16(12));
        const QStringList got = aliases(back);
        QVERIFY(got.first().isEmpty());
        QCOMPARE(got.mid(1), kDefaultAliases);
        for (int i = 0; i < kDefaultColours.size(); ++i) {
            QString a;
            qint32 c = 0;
            back.cenum(qint16(i + 1), a, c);
            QCOMPARE(c, kDefaultColours[i]);
        }
        // The placeholder is stored in the hidden entry, never among the visible ones.
        ivordalite check;
        if (!useMaster) {
            QVERIFY(check.mount(sysPath(), false));
            QCOMPARE(int(check.ub()), 12);
        } else {
            QCOMPARE(int(app().master->ub()), 12);
        }
    }

    void duplicatesActOnTheLowerPosition() {
        r_data d;
        d.setWriteOnRelease(false);
        d.AddColor("backcolor_a", 1);
        d.AddColor("other", 2);
        d.AddColor("backcolor_a", 3);
        QCOMPARE(d.GetColorByAlias("backcolor_a", -1), 1);
        d.UpdateColorByAlias("backcolor_a", 255);
        QString a;
        qint32 c = 0;
        d.cenum(1, a, c);
        QCOMPARE(c, 255);
        d.cenum(3, a, c);
        QCOMPARE(a, QString("backcolor_a"));
        QCOMPARE(c, 3);
        QCOMPARE(d.cub(), qint16(3));
        // An unknown alias is appended at the end; aliases are case-sensitive.
        d.UpdateColorByAlias("BACKCOLOR_A", 9);
        QCOMPARE(d.cub(), qint16(4));
        d.cenum(4, a, c);
        QCOMPARE(a, QString("BACKCOLOR_A"));
        QCOMPARE(c, 9);
        QCOMPARE(d.GetColorByAlias("missing", 77), 77);
        QCOMPARE(d.cub(), qint16(4));
    }

    void readinTakesOnlyNumericColourEntries() {
        mountMaster();
        ivordalite& m = *app().master;
        m.add("br_text", "my corner text", 0, "strings");
        m.add("first", QString(), 0x112233, "color_metrics");
        m.add("not_a_colour", QString(), 5, "alpha_transparency");
        m.add("stringy", "text", 7, "color_metrics");
        m.add("second", QString(), 0x445566, "color_metrics");
        LogRecorder log;
        r_data d;
        d.setWriteOnRelease(false);
        QVERIFY(m.isstring("stringy"));
        QCOMPARE(aliases(d), QStringList({"", "first", "second"}));
        QCOMPARE(d.GetColorByAlias("second", 0), 0x445566);
        QCOMPARE(d.bottomlefttext(), QString("my corner text"));
        QVERIFY(log.contains("read 2 color definitions from disk/n"));
    }

    void storeThatCannotMountLeavesTableUnchanged() {
        r_data d;
        d.setWriteOnRelease(false);
        d.AddColor("kept", 42);
        // A folder where the database file should be: the store cannot open it.
        QFile::remove(sysPath());
        QVERIFY(QDir(m_dir.path()).mkpath("sys.qex"));
        LogRecorder log;
        d.readin();
        QCOMPARE(aliases(d), QStringList({"", "kept"}));
        d.writeout();
        for (const QString& line : log.lines) {
            QVERIFY2(!line.startsWith("wrote "), qPrintable(line));
            QVERIFY2(!line.startsWith("read "), qPrintable(line));
        }
        QDir(m_dir.path()).rmdir("sys.qex");
    }

    void noHomeFolderTouchesNoFile() {
        AppState::reset();
        LogRecorder log;
        {
            r_data d;
            d.setdefaults();
            QCOMPARE(d.cub(), qint16(12));
        }
        QVERIFY(!log.contains("wrote 12 color definitions to disk/n"));
        QVERIFY(!QFile::exists("/sys.qex"));
    }

    void cornerShowsUntilExpiry_data() {
        QTest::addColumn<int>("corner");
        for (int i = 0; i < 4; ++i)
            QTest::newRow(kCorners[i].name) << i;
    }
    void cornerShowsUntilExpiry() {
        QFETCH(int, corner);
        const Corner& k = kCorners[corner];
        MockClock clock;
        clock.steady = 1000500;
        QObject window;
        setRenderTimerWindow(&window);
        r_data d;
        d.setWriteOnRelease(false);
        QVERIFY((d.*k.show)());
        (d.*k.start)(2);
        QVERIFY(WindowTimers::isActive(&window, k.timerId));
        QCOMPARE(WindowTimers::interval(&window, k.timerId), 2100);
        // The expiry is cut to a whole second: 1002000, not 1002500.
        clock.steady = 1002000;
        QVERIFY((d.*k.show)());
        clock.steady = 1002001;
        QVERIFY(!(d.*k.show)());
        (d.*k.reset)();
        QVERIFY((d.*k.show)());
        // Starting again replaces the corner's timer and expiry.
        (d.*k.start)(5);
        QCOMPARE(WindowTimers::interval(&window, k.timerId), 5100);
        clock.steady = 1007000;
        QVERIFY((d.*k.show)());
        clock.steady = 1007001;
        QVERIFY(!(d.*k.show)());
        WindowTimers::kill(&window, k.timerId);
        setRenderTimerWindow(nullptr);
    }

    void expiryAcrossMidnightStillComes() {
        MockClock clock;
        clock.timeOfDay = 86399.5;
        QObject window;
        setRenderTimerWindow(&window);
        r_data d;
        d.setWriteOnRelease(false);
        d.startbltime(5);
        clock.advanceMs(6000);
        clock.timeOfDay = 5.5; // the time of day wrapped past midnight
        QVERIFY(!d.blshow());
        WindowTimers::kill(&window, 3);
        setRenderTimerWindow(nullptr);
    }

    void zeroSecondsHidesAtOnce_data() {
        QTest::addColumn<qint64>("startAt");
        QTest::addColumn<bool>("shownAtStart");
        QTest::newRow("between seconds") << qint64(1000400) << false;
        QTest::newRow("on a whole second") << qint64(1000000) << true;
    }
    void zeroSecondsHidesAtOnce() {
        QFETCH(qint64, startAt);
        QFETCH(bool, shownAtStart);
        MockClock clock;
        clock.steady = startAt;
        QObject window;
        setRenderTimerWindow(&window);
        r_data d;
        d.setWriteOnRelease(false);
        d.starttltime(0);
        QCOMPARE(d.tlshow(), shownAtStart);
        clock.advanceMs(1);
        QVERIFY(!d.tlshow());
        setRenderTimerWindow(nullptr);
    }

    void timerRepaintsMainCardWithoutCorner() {
        MockClock clock;
        clock.steady = 1000400;
        CardView view;
        const std::shared_ptr<r_data> data = mainPairOn(view, "CORNER TEXT", QString());
        const QImage withCorner = view.shownImage().copy();

        data->starttltime(0);
        QVERIFY(!data->tlshow());
        // The picture changes only when the timer fires, about 100 ms later.
        QCOMPARE(view.shownImage(), withCorner);
        QTRY_VERIFY_WITH_TIMEOUT(view.shownImage() != withCorner, 2000);
        QVERIFY(!WindowTimers::isActive(&view, 1));

        data->setToplefttext(QString());
        data->tlreset();
        r_renderer reference;
        CardView refView;
        refView.resize(200, 120);
        reference.init(&refView, data, 50.0f, 0, 20);
        reference.drawtobuffer(true);
        reference.killrenderer(true);
        QCOMPARE(view.shownImage(), refView.shownImage());
        releaseMainRenderPair();
        setRenderTimerWindow(nullptr);
    }

    // The five-second idle text: the system's timers may fire up to 5 % early, before the
    // expiry. That tick must not be the last repaint, or the text stays on the card.
    void earlyTimerStillClearsCornerText() {
        MockClock clock;
        clock.steady = 1000000; // on a whole second: the expiry is the full five seconds away
        CardView view;
        const std::shared_ptr<r_data> data =
            mainPairOn(view, QString(), "Roll mouse over controls to see descriptions");
        const QImage withText = view.shownImage().copy();

        data->startbltime(5);
        // Fires the corner's timer now, the clock standing at `at`.
        auto fireAt = [&](qint64 at) {
            clock.steady = at;
            QPointer<QTimer> timer;
            for (QTimer* t : view.findChildren<QTimer*>())
                if (t->isSingleShot() && t->isActive() && t->interval() == WindowTimers::interval(&view, 3))
                    timer = t;
            QVERIFY(timer);
            timer->start(0);
            QTRY_VERIFY(!timer || !timer->isActive());
        };
        fireAt(1000000 + 5100 * 95 / 100);
        QVERIFY(data->blshow());
        QVERIFY2(WindowTimers::isActive(&view, 3), "an early tick must not be the last repaint");
        QCOMPARE(WindowTimers::interval(&view, 3), 5000 - 4845 + 100);
        QCOMPARE(view.shownImage(), withText);

        fireAt(1005100);
        QVERIFY(!data->blshow());
        QVERIFY(!WindowTimers::isActive(&view, 3));
        QVERIFY(view.shownImage() != withText);
        releaseMainRenderPair();
        setRenderTimerWindow(nullptr);
    }
};

int runRDataTests(int argc, char** argv) {
    TestRData t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_rdata.moc"
