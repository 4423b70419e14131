// The message log's sinks and the stopwatch.
#include "appstate.h"
#include "clstimer.h"
#include "messagelog.h"
#include "regularfile.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

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
    // Only regular files (or links to one) are opened: a named pipe would block the open
    // until a writer comes. A missing file is left to the open's own message.
    void namedPipeIsNotOpened_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("file") << "words.csv" << QString();
        QTest::newRow("link to a file") << "link" << QString();
        QTest::newRow("missing") << "missing.csv" << QString();
        QTest::newRow("broken link") << "broken" << QString();
        QTest::newRow("named pipe") << "fifo" << "'%1/fifo' is a named pipe, not a file";
        QTest::newRow("link to a pipe") << "fifolink" << "'%1/fifolink' is a named pipe, not a file";
        QTest::newRow("folder") << "sub" << "'%1/sub' is a folder, not a file";
        QTest::newRow("device") << "/dev/null" << "'/dev/null' is a device, not a file";
        QTest::newRow("socket") << "sock" << "'%1/sock' is a socket, not a file";
    }
    void namedPipeIsNotOpened() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString d = dir.path();
        QFile f(d + "/words.csv");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(d + "/words.csv", d + "/link"));
        QVERIFY(QFile::link(d + "/gone", d + "/broken"));
        QCOMPARE(::mkfifo(QFile::encodeName(d + "/fifo").constData(), 0600), 0);
        QVERIFY(QFile::link(d + "/fifo", d + "/fifolink"));
        QVERIFY(QDir(d).mkdir("sub"));
        const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        const QByteArray sockPath = QFile::encodeName(d + "/sock");
        QVERIFY(size_t(sockPath.size()) < sizeof(addr.sun_path));
        memcpy(addr.sun_path, sockPath.constData(), sockPath.size());
        QCOMPARE(::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)), 0);
        const QString path = name.startsWith('/') ? name : d + '/' + name;
        QCOMPARE(notRegularFileReason(path), reason.contains("%1") ? reason.arg(d) : reason);
        ::close(s);
    }
};

QTEST_GUILESS_MAIN(TestRuntime)
#include "tst_runtime.moc"
