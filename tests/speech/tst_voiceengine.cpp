// The speech engine behind the Speaker with an engine of the test's own (a Qt TextToSpeech
// plugin linked into this program): the locale each language is said in, a stop before every
// say, the languages listed, the start of speech reported, an engine error told once, the
// engine made only when first needed, and the lines of "qr2 --voices".
#include "enginespeaker.h"
#include "voicelist.h"

#include <QTextToSpeechEngine>
#include <QTextToSpeechPlugin>
#include <QVoice>
#include <QtPlugin>
#include <QtTest>

namespace {
QStringList& journal() {
    static QStringList j;
    return j;
}
int& made() {
    static int n = 0;
    return n;
}

class MockEngine : public QTextToSpeechEngine {
public:
    explicit MockEngine(QObject* parent) : QTextToSpeechEngine(parent) { ++made(); }
    QList<QLocale> availableLocales() const override {
        return {QLocale(QStringLiteral("en_US")), QLocale(QStringLiteral("de_AT")), QLocale(QStringLiteral("de_DE")),
                QLocale(QStringLiteral("ru_RU"))};
    }
    QList<QVoice> availableVoices() const override {
        const QString name = QLocale::languageToString(m_locale.language());
        return {createVoice(name, m_locale, QVoice::Male, QVoice::Adult, {}),
                createVoice(name + QStringLiteral("+Variant"), m_locale, QVoice::Female, QVoice::Adult, {})};
    }
    void say(const QString& text) override {
        journal() << QStringLiteral("say %1: %2").arg(m_locale.name(), text);
        if (text == QLatin1String("fail"))
            emit errorOccurred(QTextToSpeech::ErrorReason::Playback, QStringLiteral("no sound"));
        else
            emit stateChanged(QTextToSpeech::Speaking);
    }
    void stop(QTextToSpeech::BoundaryHint) override { journal() << QStringLiteral("stop"); }
    void pause(QTextToSpeech::BoundaryHint) override {}
    void resume() override {}
    double rate() const override { return 0; }
    bool setRate(double) override { return true; }
    double pitch() const override { return 0; }
    bool setPitch(double) override { return true; }
    QLocale locale() const override { return m_locale; }
    bool setLocale(const QLocale& l) override {
        journal() << QStringLiteral("locale ") + l.name();
        m_locale = l;
        return true;
    }
    double volume() const override { return 1; }
    bool setVolume(double) override { return true; }
    QVoice voice() const override { return availableVoices().value(0); }
    bool setVoice(const QVoice&) override { return true; }
    QTextToSpeech::State state() const override { return QTextToSpeech::Ready; }
    QTextToSpeech::ErrorReason errorReason() const override { return QTextToSpeech::ErrorReason::NoError; }
    QString errorString() const override { return {}; }

private:
    QLocale m_locale = QLocale(QStringLiteral("en_US"));
};
} // namespace

class MockTtsPlugin : public QObject, public QTextToSpeechPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID "org.qt-project.qt.speech.tts.plugin/6.0" FILE "mocktts.json")
    Q_INTERFACES(QTextToSpeechPlugin)
public:
    QTextToSpeechEngine* createTextToSpeechEngine(const QVariantMap&, QObject* parent, QString*) const override {
        return new MockEngine(parent);
    }
};

Q_IMPORT_PLUGIN(MockTtsPlugin)

using namespace voice;

class TestVoiceEngine : public QObject {
    Q_OBJECT
private slots:
    void init() {
        journal().clear();
        made() = 0;
    }
    void speaksEachLanguageInItsLocale_data();
    void speaksEachLanguageInItsLocale();
    void engineMadeOnceWhenFirstNeeded();
    void errorWhileSpeakingToldOnce();
    void voicesListed();
};

void TestVoiceEngine::speaksEachLanguageInItsLocale_data() {
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one language") << QStringList{"de"} << QStringList{"stop", "locale de_DE", "say de_DE: x"};
    QTest::newRow("same language twice sets it once")
        << QStringList{"ru", "ru"} << QStringList{"stop", "locale ru_RU", "say ru_RU: x", "stop", "say ru_RU: x"};
    QTest::newRow("languages in turn")
        << QStringList{"ru", "de", "ru"}
        << QStringList{"stop", "locale ru_RU", "say ru_RU: x", "stop", "locale de_DE", "say de_DE: x",
                       "stop", "locale ru_RU", "say ru_RU: x"};
    QTest::newRow("no voice says nothing") << QStringList{"th", "en"}
                                           << QStringList{"stop", "say en_US: x"};
}

void TestVoiceEngine::speaksEachLanguageInItsLocale() {
    QFETCH(QStringList, languages);
    QFETCH(QStringList, expected);
    EngineSpeaker speaker(QStringLiteral("mock"));
    int started = 0;
    speaker.setSpeakingStarted([&started] { ++started; });
    for (const QString& l : languages)
        speaker.say(QStringLiteral("x"), l);
    // The engine may set its own locale once when it is made; what matters comes after.
    journal().removeAll(QStringLiteral("locale en_US"));
    QCOMPARE(journal(), expected);
    QCOMPARE(started, int(expected.count(QStringLiteral("stop"))));
    QString why;
    QVERIFY(!speaker.available(QStringLiteral("th"), &why));
    QCOMPARE(why, QStringLiteral("the speech engine mock has no voice for th"));
    QVERIFY(speaker.available(QStringLiteral("de"), &why));
    QCOMPARE(speaker.engineName(), QStringLiteral("mock"));
}

void TestVoiceEngine::engineMadeOnceWhenFirstNeeded() {
    EngineSpeaker speaker(QStringLiteral("mock"));
    speaker.stop();
    QCOMPARE(made(), 0);
    QVERIFY(!speaker.started());
    QCOMPARE(speaker.languages(), (QStringList{"de", "en", "ru"}));
    QVERIFY(speaker.started());
    speaker.say(QStringLiteral("Haus"), QStringLiteral("de"));
    speaker.stop();
    QCOMPARE(made(), 1);
    QCOMPARE(journal().last(), QStringLiteral("stop"));
}

void TestVoiceEngine::errorWhileSpeakingToldOnce() {
    EngineSpeaker speaker(QStringLiteral("mock"));
    QStringList problems;
    speaker.setProblemSink([&problems](const QString& p) { problems << p; });
    speaker.say(QStringLiteral("fail"), QStringLiteral("de"));
    speaker.say(QStringLiteral("fail"), QStringLiteral("ru"));
    QCOMPARE(problems, QStringList{"Speech: the speech engine mock failed: no sound"});
}

void TestVoiceEngine::voicesListed() {
    const QStringList lines = voiceReport({QStringLiteral("mock")});
    QCOMPARE(lines, (QStringList{"Engine mock: 4 languages", "  English (en_US): English (1 variant)",
                                 "  German (de_AT): German (1 variant)", "  German (de_DE): German (1 variant)",
                                 "  Russian (ru_RU): Russian (1 variant)"}));
}

QTEST_GUILESS_MAIN(TestVoiceEngine)
#include "tst_voiceengine.moc"
