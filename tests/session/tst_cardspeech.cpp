// The card window reads cards aloud through a recording speaker: the key and the menu item,
// the Preferences choice, quick card changes, the listening drill, a language without a voice,
// the chapter's languages and the engine made after the first card is drawn.
#include "appstate.h"
#include "cardmanager.h"
#include "cardspeech.h"
#include "deck.h"
#include "frmmain.h"
#include "modrender.h"
#include "r_data.h"
#include "r_renderer.h"
#include "testsupport.h"

#include <QLineEdit>
#include <QMenu>
#include <QSet>
#include <QtTest>

namespace {
// Records every call, in order: "stop", "say <language>: <text>".
class RecordingSpeaker : public speech::Speaker {
public:
    void say(const QString& text, const QString& language) override {
        calls << QStringLiteral("say %1: %2").arg(language, text);
    }
    void stop() override { calls << QStringLiteral("stop"); }
    bool available(const QString& language, QString* whyNot) const override {
        if (!voiceless.contains(language))
            return true;
        if (whyNot)
            *whyNot = QStringLiteral("no voice for ") + language;
        return false;
    }
    // The says only.
    QStringList said() const { return calls.filter(QRegularExpression(QStringLiteral("^say "))); }
    QStringList calls;
    QSet<QString> voiceless;
};

const QString kQuestions[3] = {QStringLiteral("кошка"), QStringLiteral("собака (пёс)"), QStringLiteral("дом")};
const QString kAnswers[3] = {QStringLiteral("Kätzchen"), QStringLiteral("Hündin/Rüde"), QStringLiteral("Häuschen")};
} // namespace

class TestCardSpeech : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void keyAndMenuSpeakTheShownSide_data();
    void keyAndMenuSpeakTheShownSide();
    void preferenceCases_data();
    void preferenceCases();
    void quickCardChangesStopThenSay();
    void listeningDrillHidesTheQuestion_data();
    void listeningDrillHidesTheQuestion();
    void missingVoiceIsOneQuietLine();
    void chapterLanguagesSetByTheUser_data();
    void chapterLanguagesSetByTheUser();
    void firstCardIsNotHeldForTheEngine();
    void beforeTheEngineIsMade_data();
    void beforeTheEngineIsMade();
    void withoutAnyEngine();

private:
    void start(int mode, bool drill = false, bool listening = false);
    QString faceShown() const { return mainRenderData()->shownMaintext(); }

    frmMain* m_w = nullptr;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QTemporaryDir m_home;
    RecordingSpeaker m_speaker;
    bool m_ready = true;
};

void TestCardSpeech::init() {
    AppState::reset();
    app().homeFolder = m_home.path();
    app().hooks.quitProcess = [](int) {};
    app().hooks.releaseRenderer = [] { releaseMainRenderPair(); };
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_speaker = RecordingSpeaker();
    m_ready = true;
    cardVoice() = CardVoice();
    cardVoice().speaker = [this] { return &m_speaker; };
    cardVoice().ready = [this] { return m_ready; };
    FlushDeck(true);
    troubledefault = false;
    deck = QVector<Card>(4);
    for (int i = 0; i < 3; ++i) {
        deck[i].question = kQuestions[i];
        deck[i].answer = kAnswers[i];
        deck[i].chaptertitle = QStringLiteral("Lesson 1");
    }
}

void TestCardSpeech::start(int mode, bool drill, bool listening) {
    app().readAloud = mode;
    app().typeAnswers = drill;
    app().listeningDrill = listening;
    m_w = loadMainWindow();
    QVERIFY(m_w);
    InitCardSurface();
    ShowFirstCard();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
}

void TestCardSpeech::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    releaseMainRenderPair();
    if (m_w) {
        m_w->setProperty("quarnelUnloaded", true);
        delete m_w;
    }
    m_w = nullptr;
    cardVoice() = CardVoice();
    m_prompter.reset();
}

// The key L, Ctrl+L and the menu item say the side on screen, whatever the Preferences say,
// each after a stop; in the typing drill L is a letter for the box and Ctrl+L speaks.
void TestCardSpeech::keyAndMenuSpeakTheShownSide_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("direction"); // 0 question first, 1 answer first
    QTest::addColumn<bool>("turned");
    QTest::addColumn<bool>("drill");
    QTest::addColumn<QString>("expected");
    QTest::newRow("key, question") << "L" << 0 << false << false << "say ru: кошка";
    QTest::newRow("key, answer") << "L" << 0 << true << false << "say de: Kätzchen";
    QTest::newRow("ctrl key, answer") << "Ctrl+L" << 0 << true << false << "say de: Kätzchen";
    QTest::newRow("menu, question") << "menu" << 0 << false << false << "say ru: кошка";
    QTest::newRow("menu, answer first") << "menu" << 1 << false << false << "say de: Kätzchen";
    QTest::newRow("key, answer first turned") << "L" << 1 << true << false << "say ru: кошка";
    // Answer First chosen (key R) while the question shows: the card shows its answer at once.
    QTest::newRow("key after the side changed") << "L" << 2 << false << false << "say de: Kätzchen";
    QTest::newRow("drill, ctrl key") << "Ctrl+L" << 0 << false << true << "say ru: кошка";
    QTest::newRow("drill, letter") << "L" << 0 << false << true << "";
}

void TestCardSpeech::keyAndMenuSpeakTheShownSide() {
    QFETCH(QString, how);
    QFETCH(int, direction);
    QFETCH(bool, turned);
    QFETCH(bool, drill);
    QFETCH(QString, expected);
    app().cardDirection = direction == 2 ? 0 : direction;
    start(0, drill);
    if (direction == 2)
        QTest::keyClick(m_w, Qt::Key_R);
    if (turned)
        QTest::keyClick(m_w, Qt::Key_Return);
    m_speaker.calls.clear();
    QWidget* target = drill ? static_cast<QWidget*>(m_w->answerBox()) : m_w;
    if (how == QLatin1String("menu"))
        m_w->mP()->findChild<QAction*>(QStringLiteral("mP_ra"))->trigger();
    else
        QTest::keyClick(target, Qt::Key_L, how == QLatin1String("L") ? Qt::NoModifier : Qt::ControlModifier);
    if (expected.isEmpty()) {
        QCOMPARE(m_speaker.said(), QStringList());
        QCOMPARE(m_w->answerBox()->text(), QStringLiteral("l"));
        return;
    }
    QCOMPARE(m_speaker.said(), QStringList{expected});
    QCOMPARE(m_speaker.calls.mid(m_speaker.calls.size() - 2), (QStringList{"stop", expected}));
    QCOMPARE(int(curcard), 0); // nothing else of the key map ran
}

// Never: silence (each card only stops the last speech); the question: said as each card
// shows, the answer silent; both sides: the answer too when the card turns.
void TestCardSpeech::preferenceCases_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("said");
    QTest::newRow("never") << 0 << QStringList{};
    QTest::newRow("the question") << 1 << QStringList{"say ru: кошка", "say ru: собака, пёс"};
    QTest::newRow("both sides") << 2
                                << QStringList{"say ru: кошка", "say de: Kätzchen", "say ru: кошка",
                                               "say ru: собака, пёс"};
    QTest::newRow("out of range is never") << 7 << QStringList{};
}

void TestCardSpeech::preferenceCases() {
    QFETCH(int, mode);
    QFETCH(QStringList, said);
    start(mode);
    QTest::keyClick(m_w, Qt::Key_Return); // the answer
    QTest::keyClick(m_w, Qt::Key_Return); // the question again
    QTest::keyClick(m_w, Qt::Key_Right);
    QCOMPARE(m_speaker.said(), said);
    // Every card and every turn stops what was said before.
    QCOMPARE(m_speaker.calls.count(QStringLiteral("stop")), 4);
}

// Quick changes never queue: every say comes right after a stop, and closing the window
// the window going stops the last one.
void TestCardSpeech::quickCardChangesStopThenSay() {
    start(1);
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(m_w, Qt::Key_Right);
    QTest::keyClick(m_w, Qt::Key_Left);
    const QStringList& calls = m_speaker.calls;
    QCOMPARE(m_speaker.said().size(), 7);
    for (int i = 0; i < calls.size(); ++i)
        if (calls[i].startsWith(QLatin1String("say ")))
            QVERIFY2(i > 0 && calls[i - 1] == QLatin1String("stop"), qPrintable(calls.join(" | ")));
    QCOMPARE(m_speaker.said().last(), QStringLiteral("say ru: собака, пёс"));
    m_speaker.calls.clear();
    delete m_w;
    m_w = nullptr;
    QCOMPARE(m_speaker.calls, QStringList{"stop"});
}

// The listening drill speaks the question and shows "Listen" in its place; the check turns the
// card to its answer, shown as usual; without a voice the question shows.
void TestCardSpeech::listeningDrillHidesTheQuestion_data() {
    QTest::addColumn<bool>("voice");
    QTest::addColumn<bool>("listening");
    QTest::newRow("listening, with a voice") << true << true;
    QTest::newRow("listening, no voice") << false << true;
    QTest::newRow("plain drill") << true << false;
}

void TestCardSpeech::listeningDrillHidesTheQuestion() {
    QFETCH(bool, voice);
    QFETCH(bool, listening);
    if (!voice)
        m_speaker.voiceless.insert(QStringLiteral("ru"));
    start(0, true, listening);
    const bool hidden = voice && listening;
    QCOMPARE(mainRenderData()->maintext(), kQuestions[0]);
    QCOMPARE(faceShown(), hidden ? CardSpeech::listenText() : kQuestions[0]);
    QCOMPARE(m_speaker.said(), hidden ? QStringList{"say ru: кошка"} : QStringList{});
    // What assistive technology reads is what the face shows.
    QCOMPARE(m_w->cardView()->accessibleName(), faceShown());
    m_w->answerBox()->insert(QStringLiteral("Kätzchen"));
    QTest::keyClick(m_w->answerBox(), Qt::Key_Return);
    QCOMPARE(faceShown(), kAnswers[0]);
    QCOMPARE(mainRenderData()->toprighttext().isEmpty(), false);
    QTest::keyClick(m_w->answerBox(), Qt::Key_Return); // the next card, hidden again
    QCOMPARE(int(curcard), 1);
    QCOMPARE(faceShown(), hidden ? CardSpeech::listenText() : kQuestions[1]);
    // Ctrl+L says it again.
    m_speaker.calls.clear();
    QTest::keyClick(m_w->answerBox(), Qt::Key_L, Qt::ControlModifier);
    QCOMPARE(m_speaker.said(), voice ? QStringList{"say ru: собака, пёс"} : QStringList{});
    QCOMPARE(m_w->answerBox()->text(), QString());
    // Leaving the drill shows the question.
    QTest::keyClick(m_w->answerBox(), Qt::Key_Escape);
    QTest::keyClick(m_w, Qt::Key_Right);
    QCOMPARE(faceShown(), kQuestions[2]);
}

// A language without a voice: one quiet line in the corner and one log line for the whole
// run, no message box (the prompter fails the test on any), and studying goes on.
void TestCardSpeech::missingVoiceIsOneQuietLine() {
    QStringList log;
    cardVoice().log = [&log](const QString& line) { log << line; };
    m_speaker.voiceless.insert(QStringLiteral("ru"));
    start(2);
    QCOMPARE(mainRenderData()->bottomlefttext(), QStringLiteral("No voice for Russian"));
    QCOMPARE(log, QStringList{"speech: No voice for Russian (no voice for ru)"});
    QTest::keyClick(m_w, Qt::Key_Return);
    QCOMPARE(m_speaker.said(), QStringList{"say de: Kätzchen"});
    mainRenderData()->setBottomlefttext(QString());
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(m_w, Qt::Key_Right);
    QTest::keyClick(m_w, Qt::Key_L);
    QCOMPARE(mainRenderData()->bottomlefttext(), QString());
    QCOMPARE(log.size(), 1);
    QCOMPARE(int(curcard), 0);
}

// The languages the user set for a chapter file win over the guess; a side left empty is
// guessed; cards of a saved study run (no chapter file) are guessed.
void TestCardSpeech::chapterLanguagesSetByTheUser_data() {
    QTest::addColumn<int>("chapter");
    QTest::addColumn<QString>("front");
    QTest::addColumn<QString>("back");
    QTest::addColumn<QString>("expected");
    QTest::newRow("both set") << 0 << "uk" << "sv" << "uk sv";
    QTest::newRow("front set") << 0 << "bg" << "" << "bg de";
    QTest::newRow("back set") << 0 << "" << "nl" << "ru nl";
    QTest::newRow("nothing set") << 0 << "" << "" << "ru de";
    QTest::newRow("no chapter file") << -1 << "uk" << "sv" << "ru de";
    // A chapter index the list doesn't hold (never asked, guessed).
    QTest::newRow("chapter not listed") << 1 << "uk" << "sv" << "ru de";
}

void TestCardSpeech::chapterLanguagesSetByTheUser() {
    QFETCH(int, chapter);
    QFETCH(QString, front);
    QFETCH(QString, back);
    QFETCH(QString, expected);
    deckChapters = {{QStringLiteral("/lessons/one.qex"), QStringLiteral("Lesson 1")}};
    for (int i = 0; i < 3; ++i)
        deck[i].chapter = qint16(chapter);
    QStringList asked;
    cardVoice().chapterLanguages = [&](const DeckChapter& c) -> std::optional<QPair<QString, QString>> {
        asked << c.path;
        return QPair<QString, QString>(front, back);
    };
    start(2);
    QTest::keyClick(m_w, Qt::Key_Return);
    QTest::keyClick(m_w, Qt::Key_Right);
    const QStringList languages = expected.split(' ');
    QCOMPARE(m_speaker.said(),
             (QStringList{"say " + languages[0] + ": кошка", "say " + languages[1] + ": Kätzchen",
                          "say " + languages[0] + ": собака, пёс"}));
    // Asked once per chapter, not per card.
    QCOMPARE(asked, chapter != 0 ? QStringList{} : QStringList{"/lessons/one.qex"});
}

// Before the engine is made, the first card is drawn first and spoken right after; the
// listening drill's question is hidden meanwhile. Once made, a card speaks as it is drawn.
void TestCardSpeech::firstCardIsNotHeldForTheEngine() {
    m_ready = false;
    app().readAloud = 1;
    app().typeAnswers = true;
    app().listeningDrill = true;
    m_w = loadMainWindow();
    InitCardSurface();
    ShowFirstCard();
    QCOMPARE(m_speaker.calls, QStringList());
    QCOMPARE(faceShown(), CardSpeech::listenText());
    QTRY_COMPARE(m_speaker.said(), QStringList{"say ru: кошка"});
    QCOMPARE(faceShown(), CardSpeech::listenText());
    // A card changed before the late speech came is spoken once, the last one only.
    ShowNextCard();
    ShowNextCard();
    QCOMPARE(m_speaker.said().size(), 1);
    QTRY_COMPARE(m_speaker.said().size(), 2);
    QTest::qWait(20);
    QCOMPARE(m_speaker.said(), (QStringList{"say ru: кошка", "say ru: дом"}));
    // Once made, the card speaks as it is drawn.
    m_ready = true;
    ShowNextCard();
    QCOMPARE(m_speaker.said().size(), 3);
}

// Before the engine is made, whatever would speak waits until the card is drawn; what would
// not speak never waits. The face and what a screen reader hears end as they should, also when
// the listening drill's question has no voice after all.
void TestCardSpeech::beforeTheEngineIsMade_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("listening");
    QTest::addColumn<bool>("voice");
    QTest::addColumn<QStringList>("atOnce");
    QTest::addColumn<QStringList>("later");
    QTest::addColumn<bool>("hidden");
    QTest::newRow("never") << 0 << false << true << QStringList{"stop"} << QStringList{"stop"} << false;
    QTest::newRow("the question") << 1 << false << true << QStringList{} << QStringList{"stop", "say ru: кошка"}
                                  << false;
    QTest::newRow("both sides") << 2 << false << true << QStringList{} << QStringList{"stop", "say ru: кошка"}
                                << false;
    QTest::newRow("listening, reading aloud never") << 0 << true << true << QStringList{}
                                                    << QStringList{"stop", "say ru: кошка"} << true;
    QTest::newRow("listening, no voice") << 1 << true << false << QStringList{} << QStringList{"stop"} << false;
}

void TestCardSpeech::beforeTheEngineIsMade() {
    QFETCH(int, mode);
    QFETCH(bool, listening);
    QFETCH(bool, voice);
    QFETCH(QStringList, atOnce);
    QFETCH(QStringList, later);
    QFETCH(bool, hidden);
    if (!voice)
        m_speaker.voiceless.insert(QStringLiteral("ru"));
    m_ready = false;
    app().readAloud = mode;
    app().typeAnswers = listening;
    app().listeningDrill = listening;
    m_w = loadMainWindow();
    InitCardSurface();
    ShowFirstCard();
    QCOMPARE(m_speaker.calls, atOnce);
    QTRY_COMPARE(m_speaker.calls, later);
    const QString face = hidden ? CardSpeech::listenText() : kQuestions[0];
    QCOMPARE(faceShown(), face);
    QCOMPARE(m_w->cardView()->accessibleName(), face);
}

// No engine at all: every card is silent, one quiet line says so, and the keys go on working.
void TestCardSpeech::withoutAnyEngine() {
    cardVoice().speaker = {};
    start(1, true, true);
    QCOMPARE(mainRenderData()->bottomlefttext(), QStringLiteral("No voice for Russian"));
    QCOMPARE(faceShown(), kQuestions[0]);
    QTest::keyClick(m_w->answerBox(), Qt::Key_L, Qt::ControlModifier);
    QTest::keyClick(m_w->answerBox(), Qt::Key_PageDown);
    QCOMPARE(int(curcard), 1);
    QCOMPARE(m_speaker.calls, QStringList());
}

QTEST_MAIN(TestCardSpeech)
#include "tst_cardspeech.moc"
