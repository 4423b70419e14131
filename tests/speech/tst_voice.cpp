// The speech engine behind the Speaker without a real voice: the locale a language code is
// spoken with, an engine that can't start (told once, never a crash), and "qr2 --voices".
#include "enginespeaker.h"
#include "voicelist.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace voice;

class TestVoice : public QObject {
    Q_OBJECT
private slots:
    void localeFor_data();
    void localeFor();
    void voicesOption_data();
    void voicesOption();
    void reportWithoutEngines_data();
    void reportWithoutEngines();
    void engineThatCannotStart();
    void stopBeforeTheEngineMakesNone();
    void voicesCommandLine();
};

void TestVoice::localeFor_data() {
    QTest::addColumn<QString>("language");
    QTest::addColumn<QStringList>("locales");
    QTest::addColumn<QString>("expected"); // "C": none
    const QStringList many{"en_US", "de_AT", "de_DE", "pt_PT", "pt_BR", "ru_RU", "nb_NO", "zh_CN"};
    QTest::newRow("main country first") << "de" << many << "de_DE";
    QTest::newRow("main country of portuguese") << "pt" << many << "pt_BR";
    QTest::newRow("only another country") << "en" << many << "en_US";
    QTest::newRow("the only one") << "ru" << many << "ru_RU";
    QTest::newRow("none of the language") << "th" << many << "C";
    QTest::newRow("no locales at all") << "de" << QStringList{} << "C";
    QTest::newRow("not a language code") << "xx-nonsense" << many << "C";
    QTest::newRow("empty code") << "" << many << "C";
    QTest::newRow("first of several others") << "de" << QStringList{"de_CH", "de_AT"} << "de_CH";
}

void TestVoice::localeFor() {
    QFETCH(QString, language);
    QFETCH(QStringList, locales);
    QFETCH(QString, expected);
    QList<QLocale> list;
    for (const QString& l : locales)
        list << QLocale(l);
    QCOMPARE(EngineSpeaker::localeFor(language, list).name(), expected);
}

void TestVoice::voicesOption_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("expected");
    QTest::newRow("alone") << QStringList{"qr2", "--voices"} << true;
    QTest::newRow("after another") << QStringList{"qr2", "show_console", "--voices"} << true;
    QTest::newRow("after --") << QStringList{"qr2", "--", "--voices"} << false;
    QTest::newRow("program name only") << QStringList{"--voices"} << false;
    QTest::newRow("a longer word") << QStringList{"qr2", "--voicesx"} << false;
    QTest::newRow("nothing") << QStringList{"qr2"} << false;
}

void TestVoice::voicesOption() {
    QFETCH(QStringList, args);
    QFETCH(bool, expected);
    QCOMPARE(hasVoicesOption(args), expected);
}

void TestVoice::reportWithoutEngines_data() {
    QTest::addColumn<QStringList>("engines");
    QTest::addColumn<QString>("first");
    QTest::newRow("no engine") << QStringList{}
                               << "No speech engine was found: cards can't be read aloud. Install speech-dispatcher "
                                  "with a voice package such as speech-dispatcher-espeak-ng.";
    QTest::newRow("an engine that is not there") << QStringList{"nonesuch"} << "Engine nonesuch: can't start";
}

void TestVoice::reportWithoutEngines() {
    QFETCH(QStringList, engines);
    QFETCH(QString, first);
    const QStringList lines = voiceReport(engines);
    QCOMPARE(lines.size(), 1);
    QVERIFY2(lines[0].startsWith(first), qPrintable(lines[0]));
}

// No engine: every language is without a voice and says why; the problem is told once however
// often it is met; say() and stop() do nothing.
void TestVoice::engineThatCannotStart() {
    EngineSpeaker speaker(QStringLiteral("nonesuch"));
    QStringList problems;
    speaker.setProblemSink([&problems](const QString& p) { problems << p; });
    QVERIFY(!speaker.started());
    QString why;
    QVERIFY(!speaker.available(QStringLiteral("ru"), &why));
    QVERIFY(!why.isEmpty());
    QVERIFY(speaker.started());
    QVERIFY(!speaker.available(QStringLiteral("de"), nullptr));
    speaker.say(QStringLiteral("Haus"), QStringLiteral("de"));
    speaker.stop();
    QCOMPARE(speaker.languages(), QStringList());
    QCOMPARE(problems.size(), 1);
    QVERIFY2(problems[0].startsWith(QLatin1String("Speech: ")), qPrintable(problems[0]));
}

// A program that only stops (every card while reading aloud is off) never makes the engine.
void TestVoice::stopBeforeTheEngineMakesNone() {
    EngineSpeaker speaker(QStringLiteral("nonesuch"));
    int problems = 0;
    speaker.setProblemSink([&problems](const QString&) { ++problems; });
    for (int i = 0; i < 3; ++i)
        speaker.stop();
    QVERIFY(!speaker.started());
    QCOMPARE(problems, 0);
    QCOMPARE(speaker.engineName(), QString());
}

// "qr2 --voices" prints and exits 0 without a display, a lock or a sys.qex. The speech service
// is pointed at a socket that isn't there, and its start on demand at a program that fails, so
// that the test starts no speech-dispatcher.
void TestVoice::voicesCommandLine() {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DOCUMENTS_DIR"})
        env.remove(QLatin1String(name));
    env.insert(QStringLiteral("HOME"), dir.path());
    env.insert(QStringLiteral("SPEECHD_CMD"), QStringLiteral("/bin/false"));
    env.insert(QStringLiteral("SPEECHD_ADDRESS"), QStringLiteral("unix_socket:") + dir.filePath("none/speechd.sock"));
    // The speech service's client library (libspeechd) leaks its error text when it cannot
    // connect, which this test brings about on purpose: in the sanitizer run the leak check
    // is left out for this one child (every other check stays on).
    const QString asan = env.value(QStringLiteral("ASAN_OPTIONS"));
    env.insert(QStringLiteral("ASAN_OPTIONS"),
               asan.isEmpty() ? QStringLiteral("detect_leaks=0") : asan + QStringLiteral(":detect_leaks=0"));
    QProcess qr2;
    qr2.setProcessEnvironment(env);
    qr2.start(QStringLiteral(QUARNEL_BIN_DIR "/qr2"), {QStringLiteral("--voices")});
    QVERIFY(qr2.waitForFinished(60000));
    QCOMPARE(qr2.exitStatus(), QProcess::NormalExit);
    QCOMPARE(qr2.exitCode(), 0);
    const QString out = QString::fromUtf8(qr2.readAllStandardOutput());
    QVERIFY2(out.startsWith(QLatin1String("Engine ")) || out.startsWith(QLatin1String("No speech engine")),
             qPrintable(out));
    QVERIFY(out.endsWith(QLatin1Char('\n')));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
}

QTEST_GUILESS_MAIN(TestVoice)
#include "tst_voice.moc"
