// The language guesser, the text a card face is spoken as, and when cards are read aloud.
#include "languageguess.h"
#include "readaloud.h"
#include "spokentext.h"

#include <QSet>
#include <QtTest>

using namespace speech;

namespace {

// Records every call, in order: "stop", "say <language>: <text>".
class RecordingSpeaker : public Speaker {
public:
    void say(const QString& text, const QString& language) override {
        calls << QStringLiteral("say %1: %2").arg(language, text);
    }
    void stop() override { calls << QStringLiteral("stop"); }
    bool available(const QString& language, QString* whyNot) const override {
        if (voiceless.contains(language)) {
            if (whyNot)
                *whyNot = QStringLiteral("no voice for ") + language;
            return false;
        }
        return true;
    }
    QStringList calls;
    QSet<QString> voiceless;
};

} // namespace

class TestSpeech : public QObject {
    Q_OBJECT
private slots:
    void guessLanguage_data();
    void guessLanguage();
    void guessNorwegianFollowsTheLocale();
    void spokenText_data();
    void spokenText();
    void readAloudByMode_data();
    void readAloudByMode();
    void quickCardChangesNeverQueue();
    void readAloudKeyInEveryState_data();
    void readAloudKeyInEveryState();
    void listeningDrillHidesTheSpokenQuestion();
    void missingVoiceIsToldOncePerLanguage();
    void emptyFaceSaysNothing();
};

void TestSpeech::guessLanguage_data() {
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("fallback");
    QTest::addColumn<QString>("expected");

    // Scripts.
    QTest::newRow("cyrillic") << QStringList{u"собака"_qs, u"кошка"_qs} << "en_GB" << "ru";
    QTest::newRow("cyrillic ukrainian") << QStringList{u"їжак"_qs, u"кіт"_qs} << "en_GB" << "uk";
    QTest::newRow("cyrillic serbian") << QStringList{u"љубав"_qs} << "en_GB" << "sr";
    QTest::newRow("hangul") << QStringList{u"사과"_qs, u"학교"_qs} << "en_GB" << "ko";
    QTest::newRow("han with kana") << QStringList{u"学校"_qs, u"たべる"_qs} << "en_GB" << "ja";
    QTest::newRow("kana only") << QStringList{u"カメラ"_qs} << "en_GB" << "ja";
    QTest::newRow("han without kana") << QStringList{u"学校"_qs, u"苹果"_qs} << "en_GB" << "zh";
    QTest::newRow("arabic") << QStringList{u"كتاب"_qs} << "en_GB" << "ar";
    QTest::newRow("persian") << QStringList{u"چای"_qs} << "en_GB" << "fa";
    QTest::newRow("hebrew") << QStringList{u"ספר"_qs} << "en_GB" << "he";
    QTest::newRow("greek") << QStringList{u"βιβλίο"_qs} << "en_GB" << "el";
    QTest::newRow("devanagari") << QStringList{u"किताब"_qs} << "en_GB" << "hi";
    QTest::newRow("thai") << QStringList{u"หนังสือ"_qs} << "en_GB" << "th";
    QTest::newRow("armenian") << QStringList{u"գիրք"_qs} << "en_GB" << "hy";
    QTest::newRow("georgian") << QStringList{u"წიგნი"_qs} << "en_GB" << "ka";
    // Majority: texts vote, a tie goes to the script with more letters.
    QTest::newRow("majority of texts") << QStringList{u"собака"_qs, u"кошка"_qs, u"Haus"_qs} << "en_GB" << "ru";
    QTest::newRow("one long latin text is one vote")
        << QStringList{u"дом"_qs, u"кот"_qs, u"a very long English example sentence"_qs} << "en_GB" << "ru";
    QTest::newRow("tie goes to more letters") << QStringList{u"дом"_qs, u"Hausaufgabe"_qs} << "de_DE" << "de";
    QTest::newRow("full tie goes to the script met first") << QStringList{u"дом"_qs, u"cat"_qs} << "en_GB" << "ru";
    QTest::newRow("a text votes by its own majority")
        << QStringList{u"собака (dog)"_qs} << "en_GB" << "ru";
    QTest::newRow("latin majority within a text") << QStringList{u"a big dog (кот)"_qs} << "en_GB" << "en";
    QTest::newRow("digits and punctuation are no letters") << QStringList{u"123 ?!"_qs, u"кот"_qs} << "en_GB"
                                                           << "ru";
    QTest::newRow("nothing to go by") << QStringList{u"123"_qs, QString()} << "fr_FR" << "fr";
    QTest::newRow("no texts") << QStringList{} << "es_ES" << "es";
    QTest::newRow("C locale falls back to English") << QStringList{u"Haus"_qs} << "C" << "en";

    // Latin script.
    QTest::newRow("german sharp s") << QStringList{u"Straße"_qs} << "en_GB" << "de";
    QTest::newRow("german umlaut") << QStringList{u"Mädchen"_qs} << "en_GB" << "de";
    QTest::newRow("german umlaut as marker") << QStringList{u"Masc(228)dchen"_qs} << "en_GB" << "de";
    QTest::newRow("german upper-case umlaut") << QStringList{u"ÜBER"_qs} << "en_GB" << "de";
    QTest::newRow("german without umlaut") << QStringList{u"Haus"_qs, u"Hund"_qs} << "en_GB" << "en";
    QTest::newRow("german without umlaut, french user") << QStringList{u"Haus"_qs} << "fr_FR" << "fr";
    QTest::newRow("spanish ñ") << QStringList{u"niño"_qs} << "en_GB" << "es";
    QTest::newRow("spanish ¿") << QStringList{u"¿Qué?"_qs} << "en_GB" << "es";
    QTest::newRow("spanish ¡") << QStringList{u"¡hola!"_qs} << "en_GB" << "es";
    QTest::newRow("danish ø") << QStringList{u"smørrebrød"_qs} << "en_GB" << "da";
    QTest::newRow("danish æ") << QStringList{u"æble"_qs} << "en_GB" << "da";
    QTest::newRow("danish å") << QStringList{u"på"_qs} << "en_GB" << "da";
    QTest::newRow("swedish å ä ö") << QStringList{u"får"_qs, u"än"_qs, u"ö"_qs} << "en_GB" << "sv";
    QTest::newRow("portuguese ã") << QStringList{u"pão"_qs} << "en_GB" << "pt";
    QTest::newRow("portuguese õ") << QStringList{u"lições"_qs} << "en_GB" << "pt";
    QTest::newRow("portuguese ç alone") << QStringList{u"cabeça"_qs} << "en_GB" << "pt";
    QTest::newRow("polish ł") << QStringList{u"łóżko"_qs} << "en_GB" << "pl";
    QTest::newRow("polish ą ę") << QStringList{u"są"_qs, u"idę"_qs} << "en_GB" << "pl";
    QTest::newRow("polish ś ź ż ń") << QStringList{u"koń"_qs} << "en_GB" << "pl";
    QTest::newRow("french è") << QStringList{u"père"_qs} << "en_GB" << "fr";
    QTest::newRow("french ù") << QStringList{u"où"_qs} << "en_GB" << "fr";
    QTest::newRow("french é twice") << QStringList{u"été"_qs} << "en_GB" << "fr";
    QTest::newRow("french ç with è") << QStringList{u"ça"_qs, u"très"_qs} << "en_GB" << "fr";
    QTest::newRow("café alone is too weak") << QStringList{u"café"_qs} << "en_GB" << "en";
    QTest::newRow("hungarian ő") << QStringList{u"erő"_qs} << "en_GB" << "hu";
    QTest::newRow("hungarian ű") << QStringList{u"fű"_qs} << "en_GB" << "hu";
    QTest::newRow("czech ř") << QStringList{u"řeka"_qs} << "en_GB" << "cs";
    QTest::newRow("czech ů") << QStringList{u"dům"_qs} << "en_GB" << "cs";
    QTest::newRow("czech č") << QStringList{u"čaj"_qs} << "en_GB" << "cs";
    QTest::newRow("turkish ğ") << QStringList{u"dağ"_qs} << "en_GB" << "tr";
    QTest::newRow("turkish ı") << QStringList{u"kız"_qs} << "en_GB" << "tr";
    QTest::newRow("turkish dotted capital I") << QStringList{u"İstanbul"_qs} << "en_GB" << "tr";
    QTest::newRow("turkish ü with ş beats german") << QStringList{u"üşümek"_qs} << "en_GB" << "tr";
    QTest::newRow("romanian ă") << QStringList{u"mă"_qs} << "en_GB" << "ro";
    QTest::newRow("italian ò") << QStringList{u"però"_qs} << "en_GB" << "it";
    QTest::newRow("icelandic þ") << QStringList{u"þú"_qs} << "en_GB" << "is";
    QTest::newRow("decomposed accents count") << QStringList{u"nin\u0303o"_qs} << "en_GB" << "es";
    // Mixed and ambiguous.
    QTest::newRow("german beats a lone french é") << QStringList{u"Café"_qs, u"Straße"_qs} << "en_GB" << "de";
    QTest::newRow("tie goes to the earlier language") << QStringList{u"Straße"_qs, u"niño"_qs} << "en_GB" << "de";
    QTest::newRow("more signs win") << QStringList{u"Straße"_qs, u"niño"_qs, u"señor"_qs} << "en_GB" << "es";
    QTest::newRow("each occurrence counts") << QStringList{u"é"_qs, u"é"_qs} << "en_GB" << "fr";
    QTest::newRow("latin signs in a cyrillic side do not matter")
        << QStringList{u"дом"_qs, u"кот"_qs, u"Straße"_qs} << "en_GB" << "ru";
    QTest::newRow("an unmarked asc( is text") << QStringList{u"asc(999)"_qs} << "en_GB" << "en";
}

void TestSpeech::guessLanguage() {
    QFETCH(QStringList, texts);
    QFETCH(QString, fallback);
    QFETCH(QString, expected);
    QCOMPARE(speech::guessLanguage(texts, QLocale(fallback)), expected);
}

void TestSpeech::guessNorwegianFollowsTheLocale() {
    QCOMPARE(speech::guessLanguage({u"smør"_qs}, QLocale(QLocale::NorwegianBokmal, QLocale::Norway)), u"nb"_qs);
    QCOMPARE(speech::guessLanguage({u"smør"_qs}, QLocale(QLocale::NorwegianNynorsk, QLocale::Norway)), u"nn"_qs);
    QCOMPARE(speech::guessLanguage({u"smør"_qs}, QLocale(QLocale::Danish, QLocale::Denmark)), u"da"_qs);
}

void TestSpeech::spokenText_data() {
    QTest::addColumn<QString>("face");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain word") << u"Haus"_qs << u"Haus"_qs;
    QTest::newRow("plain phrase") << u"das Haus ist groß."_qs << u"das Haus ist groß."_qs;
    QTest::newRow("special letters") << u"Masc(228)dchen, Fasc(252)asc(223)e"_qs << u"Mädchen, Füße"_qs;
    QTest::newRow("slashes") << u"der/die/das"_qs << u"der, die, das"_qs;
    QTest::newRow("slash with spaces") << u"gehen / laufen"_qs << u"gehen, laufen"_qs;
    QTest::newRow("semicolon") << u"to go; to walk"_qs << u"to go, to walk"_qs;
    QTest::newRow("comma stays one pause") << u"big, large"_qs << u"big, large"_qs;
    QTest::newRow("doubled separators") << u"a,, b ;/ c"_qs << u"a, b, c"_qs;
    QTest::newRow("full-width separators") << u"书，本；册、卷"_qs << u"书, 本, 册, 卷"_qs;
    QTest::newRow("bracket first") << u"(to) go"_qs << u"to, go"_qs;
    QTest::newRow("bracket last") << u"gehen (ging, gegangen)"_qs << u"gehen, ging, gegangen"_qs;
    QTest::newRow("bracket in the middle") << u"sich [etwas] merken"_qs << u"sich, etwas, merken"_qs;
    QTest::newRow("bracket inside a word") << u"Lehrer(in)"_qs << u"Lehrer, in"_qs;
    QTest::newRow("curly and full-width brackets") << u"{a} b （c）"_qs << u"a, b, c"_qs;
    QTest::newRow("empty brackets") << u"Haus ()"_qs << u"Haus"_qs;
    QTest::newRow("only separators") << u" / ; () "_qs << QString();
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("surrounding and repeated spaces") << u"  der   Hund  "_qs << u"der Hund"_qs;
    QTest::newRow("decimal comma") << u"1,5 kg"_qs << u"1,5 kg"_qs;
    QTest::newRow("fraction") << u"3/4"_qs << u"3/4"_qs;
    QTest::newRow("slash after a digit before a letter") << u"2/a"_qs << u"2, a"_qs;
    QTest::newRow("slash after a letter before a digit") << u"a/1"_qs << u"a, 1"_qs;
    QTest::newRow("comma at the end after a digit") << u"1,"_qs << u"1"_qs;
    QTest::newRow("slash at the start before a digit") << u"/1"_qs << u"1"_qs;
    QTest::newRow("question mark stays") << u"¿Qué tal?"_qs << u"¿Qué tal?"_qs;
}

void TestSpeech::spokenText() {
    QFETCH(QString, face);
    QFETCH(QString, expected);
    QCOMPARE(speech::spokenText(face), expected);
}

void TestSpeech::readAloudByMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("never") << int(ReadAloudMode::Never) << QStringList{u"stop"_qs, u"stop"_qs};
    QTest::newRow("question") << int(ReadAloudMode::Question)
                              << QStringList{u"stop"_qs, u"say ru: кот"_qs, u"stop"_qs};
    QTest::newRow("both sides") << int(ReadAloudMode::BothSides)
                                << QStringList{u"stop"_qs, u"say ru: кот"_qs, u"stop"_qs, u"say en: cat, tomcat"_qs};
}

void TestSpeech::readAloudByMode() {
    QFETCH(int, mode);
    QFETCH(QStringList, expected);
    RecordingSpeaker speaker;
    ReadAloud reader(speaker);
    reader.setLanguages(u"ru"_qs, u"en"_qs);
    reader.setMode(ReadAloudMode(mode));
    reader.cardPresented(u"кот"_qs, Side::Front);
    reader.cardTurned(u"cat/tomcat"_qs, Side::Back);
    QCOMPARE(speaker.calls, expected);
    QVERIFY(!reader.questionHidden());
}

void TestSpeech::quickCardChangesNeverQueue() {
    RecordingSpeaker speaker;
    ReadAloud reader(speaker);
    reader.setLanguages(u"de"_qs, u"en"_qs);
    reader.setMode(ReadAloudMode::BothSides);
    // Back to front: the question is the back, spoken in the back's language.
    reader.cardPresented(u"dog"_qs, Side::Back);
    reader.cardPresented(u"der Hund"_qs, Side::Front);
    reader.cardTurned(u"dog"_qs, Side::Back);
    reader.cardPresented(u"die Katze"_qs, Side::Front);
    reader.stop();
    QCOMPARE(speaker.calls, (QStringList{u"stop"_qs, u"say en: dog"_qs, u"stop"_qs, u"say de: der Hund"_qs,
                                         u"stop"_qs, u"say en: dog"_qs, u"stop"_qs, u"say de: die Katze"_qs,
                                         u"stop"_qs}));
}

void TestSpeech::readAloudKeyInEveryState_data() {
    QTest::addColumn<QString>("events"); // p = present, t = turn, s = stop, k = the key
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("before any card") << u"k"_qs << QStringList{u"stop"_qs};
    QTest::newRow("question shown") << u"pk"_qs << QStringList{u"stop"_qs, u"stop"_qs, u"say fr: le chien"_qs};
    QTest::newRow("answer shown") << u"ptk"_qs
                                  << QStringList{u"stop"_qs, u"stop"_qs, u"stop"_qs, u"say da: hund"_qs};
    QTest::newRow("twice") << u"pkk"_qs
                           << QStringList{u"stop"_qs, u"stop"_qs, u"say fr: le chien"_qs, u"stop"_qs,
                                          u"say fr: le chien"_qs};
    QTest::newRow("after stop") << u"psk"_qs << QStringList{u"stop"_qs, u"stop"_qs, u"stop"_qs};
    QTest::newRow("next card after the answer")
        << u"ptpk"_qs << QStringList{u"stop"_qs, u"stop"_qs, u"stop"_qs, u"stop"_qs, u"say fr: le chien"_qs};
}

void TestSpeech::readAloudKeyInEveryState() {
    QFETCH(QString, events);
    QFETCH(QStringList, expected);
    RecordingSpeaker speaker;
    ReadAloud reader(speaker);
    reader.setLanguages(u"fr"_qs, u"da"_qs);
    reader.setMode(ReadAloudMode::Never); // the key speaks whatever the mode
    for (const QChar e : events) {
        if (e == u'p')
            reader.cardPresented(u"le chien"_qs, Side::Front);
        else if (e == u't')
            reader.cardTurned(u"hund"_qs, Side::Back);
        else if (e == u's')
            reader.stop();
        else
            reader.readAloudPressed();
    }
    QCOMPARE(speaker.calls, expected);
}

void TestSpeech::listeningDrillHidesTheSpokenQuestion() {
    RecordingSpeaker speaker;
    speaker.voiceless = {u"th"_qs};
    QStringList lines;
    ReadAloud reader(speaker, [&](const QString& line, const QString&) { lines << line; });
    reader.setMode(ReadAloudMode::Never); // the drill speaks all the same
    reader.setListeningDrill(true);

    reader.setLanguages(u"ru"_qs, u"en"_qs);
    reader.cardPresented(u"кот"_qs, Side::Front);
    QVERIFY(reader.questionHidden());
    QCOMPARE(speaker.calls, (QStringList{u"stop"_qs, u"say ru: кот"_qs}));
    reader.readAloudPressed(); // hear it again: still hidden
    QVERIFY(reader.questionHidden());
    reader.stop();
    QVERIFY(!reader.questionHidden());
    reader.cardPresented(u"кот"_qs, Side::Front);
    QCOMPARE(speaker.calls.last(), u"say ru: кот"_qs);
    reader.cardTurned(u"cat"_qs, Side::Back);
    QVERIFY(!reader.questionHidden());
    QCOMPARE(speaker.calls.last(), u"stop"_qs); // the answer is not spoken in Never

    // Without a voice the question shows: the learner could not hear it.
    reader.setLanguages(u"th"_qs, u"en"_qs);
    reader.cardPresented(u"แมว"_qs, Side::Front);
    QVERIFY(!reader.questionHidden());
    QCOMPARE(lines, QStringList{u"No voice for Thai"_qs});
    // A question with nothing to say is not hidden either.
    reader.setLanguages(u"ru"_qs, u"en"_qs);
    reader.cardPresented(u"()"_qs, Side::Front);
    QVERIFY(!reader.questionHidden());

    reader.setListeningDrill(false);
    reader.cardPresented(u"кот"_qs, Side::Front);
    QVERIFY(!reader.questionHidden());
    QCOMPARE(speaker.calls.last(), u"stop"_qs);
}

void TestSpeech::missingVoiceIsToldOncePerLanguage() {
    RecordingSpeaker speaker;
    speaker.voiceless = {u"th"_qs, u"xx"_qs};
    QStringList lines;
    QStringList reasons;
    ReadAloud reader(speaker, [&](const QString& line, const QString& whyNot) {
        lines << line;
        reasons << whyNot;
    });
    reader.setMode(ReadAloudMode::BothSides);
    reader.setLanguages(u"th"_qs, u"en"_qs);
    for (int i = 0; i < 3; ++i) {
        reader.cardPresented(u"แมว"_qs, Side::Front);
        reader.cardTurned(u"cat"_qs, Side::Back);
    }
    reader.readAloudPressed(); // the answer: English has a voice
    reader.setLanguages(u"xx"_qs, u"th"_qs);
    reader.cardPresented(u"abc"_qs, Side::Front);
    reader.cardTurned(u"แมว"_qs, Side::Back);
    QCOMPARE(lines, (QStringList{u"No voice for Thai"_qs, u"No voice for xx"_qs}));
    QCOMPARE(reasons, (QStringList{u"no voice for th"_qs, u"no voice for xx"_qs}));
    QCOMPARE(speaker.calls.filter(u"say"_qs),
             (QStringList{u"say en: cat"_qs, u"say en: cat"_qs, u"say en: cat"_qs, u"say en: cat"_qs}));
    QCOMPARE(speaker.calls.count(u"stop"_qs), 9); // silence first, voice or none
}

void TestSpeech::emptyFaceSaysNothing() {
    RecordingSpeaker speaker;
    speaker.voiceless = {u"th"_qs};
    int reports = 0;
    ReadAloud reader(speaker, [&](const QString&, const QString&) { ++reports; });
    reader.setMode(ReadAloudMode::BothSides);
    reader.setLanguages(u"th"_qs, u"th"_qs);
    reader.cardPresented(QString(), Side::Front);
    reader.cardTurned(u" / "_qs, Side::Back);
    QCOMPARE(speaker.calls, (QStringList{u"stop"_qs, u"stop"_qs}));
    QCOMPARE(reports, 0); // nothing to say is no missing voice
}

QTEST_GUILESS_MAIN(TestSpeech)
#include "tst_speech.moc"
