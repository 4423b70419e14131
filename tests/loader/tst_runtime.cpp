// The message log's sinks and the stopwatch.
#include "appstate.h"
#include "clstimer.h"
#include "messagelog.h"
#include "testsupport.h"

#include <QTest>

namespace {
// A counter that hands out the queued values one by one (the last one repeats).
clsTimer::Counter counterOf(QList<qint64> values) {
    auto queue = std::make_shared<QList<qint64>>(std::move(values));
    return [queue] { return queue->size() > 1 ? queue->takeFirst() : queue->first(); };
}
} // namespace

class TestRuntime : public QObject {
    Q_OBJECT

private slots:
    void init() {
        AppState::reset();
        m_splash.clear();
        app().hooks.setSplashStatus = [this](const QString& s) { m_splash.append(s); };
    }

    void highPriorityGoesToBoxOnly() {
        app().splashStatus = true;
        ScriptedPrompter p;
        p.expect(MsgResult::Ok, QStringLiteral("High Priority Message Handler"));
        LogMessage(QStringLiteral("The program cannot start/n"), 3, true);
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxes[0].icon, MsgIcon::Critical);
        QCOMPARE(p.boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(p.boxes[0].text, QStringLiteral("The program cannot start/n"));
        QVERIFY(m_splash.isEmpty());
    }

    void splashShowsTextWithoutMarkers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("line end") << "VORDA Alive/n"
                                  << "VORDA Alive";
        QTest::newRow("markers inside") << "a/tb/nc/t/n"
                                        << "abc";
        QTest::newRow("repeated") << "/t/t/n/nx/n/n"
                                  << "x";
        QTest::newRow("banner markers stay") << "/b/cQuarnel/n"
                                             << "/b/cQuarnel";
        QTest::newRow("other slashes stay") << "path /home/user/n"
                                            << "path /home/user";
    }
    void splashShowsTextWithoutMarkers() {
        QFETCH(QString, text);
        app().splashStatus = true;
        ScriptedPrompter p;
        LogMessage(text, 3);
        QTEST(m_splash.value(0), "shown");
        QCOMPARE(m_splash.size(), 1);
        QVERIFY(p.boxes.isEmpty());
    }

    void noSplashNoSink() {
        ScriptedPrompter p;
        LogRecorder log;
        LogMessage(QStringLiteral("quiet/n"), 4);
        QVERIFY(m_splash.isEmpty());
        QVERIFY(p.boxes.isEmpty());
        QCOMPARE(log.lines, QStringList{QStringLiteral("quiet/n")});
        QCOMPARE(log.levels, QList<int>{4});
    }

    void strElapsed_data() {
        QTest::addColumn<qint64>("frequency");
        QTest::addColumn<qint64>("start");
        QTest::addColumn<qint64>("stop");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("ms");
        QTest::newRow("1.5 s") << qint64(1000000) << qint64(0) << qint64(1500000) << "took %t s"
                               << "took 1.5000000 s" << 1500.0;
        QTest::newRow("every marker") << qint64(1000) << qint64(500) << qint64(2000) << "%t/%t"
                                      << "1.5000000/1.5000000" << 1500.0;
        QTest::newRow("sub-microsecond digits") << qint64(10000000) << qint64(3) << qint64(4) << "%t"
                                                << "0.0000001" << 0.0001;
        QTest::newRow("thousands separated") << qint64(1000) << qint64(0) << qint64(1234500) << "%t s"
                                             << "1,234.5000000 s" << 1234500.0;
        QTest::newRow("nothing elapsed") << qint64(1000) << qint64(7) << qint64(7) << "[%t]"
                                         << "[0.0000000]" << 0.0;
    }
    void strElapsed() {
        QFETCH(qint64, frequency);
        QFETCH(qint64, start);
        QFETCH(qint64, stop);
        QFETCH(QString, mask);
        QFETCH(double, ms);
        LogRecorder log;
        clsTimer t(counterOf({start, stop}), frequency);
        t.ResetTimer();
        t.StopTimer();
        QTEST(t.strElapsed(mask), "text");
        QCOMPARE(t.Elapsed(), ms);
        QVERIFY(log.lines.isEmpty());
    }

    void maskWithoutMarkerWarnsOnce() {
        LogRecorder log;
        clsTimer t(counterOf({0, 1500}), 1000);
        t.ResetTimer();
        t.StopTimer();
        QCOMPARE(t.strElapsed(QStringLiteral("search done in % t")), QStringLiteral("search done in % t"));
        QCOMPARE(log.lines,
                 QStringList{QStringLiteral(" .. warning: strElapsed couldn't find a '%t' in string mask/n")});
        QCOMPARE(log.levels, QList<int>{3});
    }

    void stopWithoutResetStartsAtZero() {
        clsTimer t(counterOf({2500}), 1000);
        t.StopTimer();
        QCOMPARE(t.Elapsed(), 2500.0);
        QCOMPARE(t.strElapsed(QStringLiteral("%t")), QStringLiteral("2.5000000"));
        QCOMPARE(t.TicksPerSecond(), 1000);
    }

    void defaultCounterMeasures() {
        clsTimer t;
        QCOMPARE(t.TicksPerSecond(), 1000000000);
        t.ResetTimer();
        QTest::qSleep(20);
        t.StopTimer();
        QVERIFY(t.Elapsed() >= 19.0);
    }

private:
    QStringList m_splash;
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
