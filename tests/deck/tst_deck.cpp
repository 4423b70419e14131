// The deck: loading chapter files into it, emptying it, and its trouble flags.
#include "appstate.h"
#include "deck.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "testsupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {
using Cards = QList<QPair<QString, QString>>;

Cards numbered(int n, const QString& prefix) {
    Cards cards;
    cards.reserve(n);
    for (int i = 0; i < n; ++i)
        cards.append({prefix + QString::number(i), QStringLiteral("a") + QString::number(i)});
    return cards;
}

qint64 bytesOf(const Card& c) {
    return 2 * (c.question.size() + c.answer.size() + c.tag.size());
}

bool sameCard(const Card& a, const Card& b) {
    return a.question == b.question && a.answer == b.answer && a.tag == b.tag && a.reserved == b.reserved &&
           a.trouble == b.trouble && a.timesviewed == b.timesviewed && a.chaptertitle == b.chaptertitle;
}

bool sameDeck(const QVector<Card>& a, const QVector<Card>& b) {
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i)
        if (!sameCard(a[i], b[i]))
            return false;
    return true;
}

bool isEmptySpare(const Card& c) {
    return sameCard(c, Card{});
}

// The markers as replaced one after another, each over the whole text: what the one-pass
// conversion must give for every text.
const char* const kMarkerOrder[][2] = {{"\u00FC", "asc(252)"}, {"\u00F6", "asc(246)"}, {"\u00E4", "asc(228)"},
                                       {"\u00DF", "asc(223)"}, {"\u00DC", "asc(220)"}, {"\u00D6", "asc(214)"},
                                       {"\u00C4", "asc(196)"}};
QString decodedByReplacing(QString text) {
    for (const auto& m : kMarkerOrder)
        text.replace(QLatin1String(m[1]), QString::fromUtf8(m[0]));
    return text;
}
QString encodedByReplacing(QString text) {
    for (const auto& m : kMarkerOrder)
        text.replace(QString::fromUtf8(m[0]), QLatin1String(m[1]));
    return text;
}
} // namespace

class TestDeck : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        ivordalite::setLogSink([](const QString& text) { LogMessage(text, 3); });
    }
    void init() {
        AppState::reset();
        FlushDeck(true);
        troubledefault = true;
        curcard = 0;
        m_mainShown = 0;
        app().hooks.showMainWindow = [this] { ++m_mainShown; };
    }

    void loadOrderAndSpare() {
        ScriptedPrompter p;
        LogRecorder log;
        curcard = 1;
        const QString a = writeChapter(file("a.qex"), "A", {{"Haus", "house"}, {"Baum", "tree"}, {"Tisch", "table"}});
        log.lines.clear();
        LoadChapterFile(a, QStringLiteral("Lektion A"));
        QCOMPARE(deckUpper(), qint16(3));
        QCOMPARE(deck[0].question, QStringLiteral("Haus"));
        QCOMPARE(deck[1].question, QStringLiteral("Baum"));
        QCOMPARE(deck[2].question, QStringLiteral("Tisch"));
        QCOMPARE(deck[2].answer, QStringLiteral("table"));
        QCOMPARE(deck[2].tag, QStringLiteral("qre_word"));
        QCOMPARE(deck[2].chaptertitle, QStringLiteral("Lektion A"));
        QCOMPARE(deck[2].trouble, qint16(-1));
        QVERIFY(isEmptySpare(deck[3]));
        QCOMPARE(log.lines,
                 QStringList{"file loaded; using " + QString::number(2 * (4 + 5 + 8 + 4 + 4 + 8 + 5 + 5 + 8)) +
                             " bytes of memory/n"});
        log.lines.clear();

        const QString b = writeChapter(file("b.qex"), "B", {{"rot", "red"}, {"blau", "blue"}});
        log.lines.clear();
        LoadChapterFile(b, QStringLiteral("b.qex"));
        QCOMPARE(deckUpper(), qint16(5));
        QCOMPARE(deck[2].question, QStringLiteral("Tisch"));
        QCOMPARE(deck[3].question, QStringLiteral("rot"));
        QCOMPARE(deck[3].chaptertitle, QStringLiteral("b.qex"));
        QCOMPARE(deck[4].answer, QStringLiteral("blue"));
        QVERIFY(isEmptySpare(deck[5]));
        // the total covers the second file only
        QCOMPARE(log.lines, QStringList{"file loaded; using " + QString::number(2 * (3 + 3 + 8 + 4 + 4 + 8)) +
                                        " bytes of memory/n"});
        QCOMPARE(curcard, qint16(1));
        QCOMPARE(m_mainShown, 2);
        QVERIFY(p.boxes.isEmpty());
    }

    void refusedFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::newRow("no entries") << "empty"
                                    << "Can't load file"
                                    << "' can't be loaded!";
        QTest::newRow("one entry") << "one"
                                   << "Can't load file"
                                   << "' can't be loaded!";
        QTest::newRow("file has disappeared") << "missing"
                                              << "Can't load file"
                                              << "' can't be loaded!";
        QTest::newRow("damaged file") << "damaged"
                                      << "Can't mount file"
                                      << "' couldn't be mounted!";
    }
    void refusedFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, title);
        QFETCH(QString, text);
        LoadChapterFile(writeChapter(file("two.qex"), "two", {{"x", "1"}, {"y", "2"}}), "two");
        const QVector<Card> before = deck;
        const QString path = file(kind + ".qex");
        QFile::remove(path);
        if (kind == "empty")
            writeChapter(path, "empty", {});
        else if (kind == "one")
            writeChapter(path, "one", {{"allein", "alone"}});
        else if (kind == "damaged") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray::fromHex("ffff"));
        }
        ScriptedPrompter p;
        p.expect(MsgResult::Ok, title);
        LogRecorder log;
        QCOMPARE(LoadChapterFile(path, "t"), false);
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxes[0].icon, MsgIcon::Exclamation);
        QCOMPARE(p.boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(p.boxes[0].text, "The file '" + path + text);
        QVERIFY(sameDeck(deck, before));
        QVERIFY(!log.lines.contains(QRegularExpression("^file loaded")));
        if (kind == "missing") {
            // the store creates the missing file when it mounts it
            QVERIFY(QFileInfo(path).isFile());
            QCOMPARE(QFileInfo(path).size(), 0);
        }
    }

    void markersAndTypes() {
        const QString path = file("markers.qex");
        QFile::remove(path);
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            s.add("Straasc(223)e", "street", 0, "qre_word");
            s.add("ASC(223)x", "in asc(252)ber", 0, "qre_word");
            s.add("Zahl", QString(), 42, "qre_word");
            s.add("anderer", "Tag", 0, "custom");
            QVERIFY(s.save());
        }
        LogRecorder log;
        LoadChapterFile(path, "m");
        QCOMPARE(deckUpper(), qint16(4));
        QCOMPARE(deck[0].question, QStringLiteral("Stra\u00DFe"));
        QCOMPARE(deck[0].question.size(), 6);
        QCOMPARE(bytesOf(deck[0]), 40);
        QCOMPARE(deck[1].question, QStringLiteral("ASC(223)x"));
        QCOMPARE(deck[1].answer, QStringLiteral("in \u00FCber"));
        QCOMPARE(deck[2].answer, QString());
        QCOMPARE(deck[3].tag, QStringLiteral("custom"));
        QCOMPARE(deck[3].answer, QStringLiteral("Tag"));
        const qint64 total = 40 + 2 * (9 + 7 + 8) + 2 * (4 + 0 + 8) + 2 * (7 + 3 + 6);
        QCOMPARE(log.lines, QStringList{"file loaded; using " + QString::number(total) + " bytes of memory/n"});
    }

    void decodeMarkers_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("empty") << "" << "";
        QTest::newRow("no marker") << "Strasse" << "Strasse";
        QTest::newRow("whole text") << "asc(223)" << "\u00DF";
        QTest::newRow("at start") << "asc(220)ber" << "\u00DCber";
        QTest::newRow("at end") << "Stra asc(223)" << "Stra \u00DF";
        QTest::newRow("adjacent") << "asc(196)asc(214)asc(220)asc(228)asc(246)asc(252)asc(223)"
                                  << "\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF";
        QTest::newRow("cut at end") << "Gr asc(252" << "Gr asc(252";
        QTest::newRow("no close") << "asc(252 asc(" << "asc(252 asc(";
        QTest::newRow("upper case") << "ASC(252) Asc(252)" << "ASC(252) Asc(252)";
        QTest::newRow("other code") << "asc(253)asc(195)asc(065)" << "asc(253)asc(195)asc(065)";
        QTest::newRow("four digits") << "asc(2520)" << "asc(2520)";
        QTest::newRow("two digits") << "asc(25)" << "asc(25)";
        QTest::newRow("sign") << "asc(+52)asc(-52)asc( 52)" << "asc(+52)asc(-52)asc( 52)";
        QTest::newRow("full-width digit") << "asc(25\uFF12)" << "asc(25\uFF12)";
        QTest::newRow("not a digit, though 2, 6, '(' would sum to 252") << "asc(26()" << "asc(26()";
        QTest::newRow("nested") << "asc(2asc(252)52)" << "asc(2\u00FC52)";
        QTest::newRow("doubled prefix") << "asasc(246)c(246)" << "as\u00F6c(246)";
        QTest::newRow("malformed then marker") << "asc(99asc(228)" << "asc(99\u00E4";
        QTest::newRow("letter kept") << "\u00FC asc(252)" << "\u00FC \u00FC";
        QTest::newRow("beyond BMP") << "\U0001F600asc(214)\U0001F600" << "\U0001F600\u00D6\U0001F600";
    }
    void decodeMarkers() {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        QCOMPARE(decodedByReplacing(text), decoded);
        QString d = text;
        DecodeSpecialLetters(d);
        QCOMPARE(d, decoded);
        // each letter turns back into its marker
        QString e = decoded;
        EncodeSpecialLetters(e);
        QCOMPARE(e, encodedByReplacing(decoded));
    }

    void textWithoutMarkerStaysShared_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "the street number 12";
        QTest::newRow("malformed marker") << "asc(25) asc(999) ASC(252) asc(252";
    }
    void textWithoutMarkerStaysShared() {
        QFETCH(QString, text);
        const QString copy = text;
        DecodeSpecialLetters(text);
        QVERIFY(text.isSharedWith(copy));
        EncodeSpecialLetters(text);
        QVERIFY(text.isSharedWith(copy));
    }

    void markersAsReplacedOneByOne() {
        // Random texts over the characters that make and break markers, the special letters
        // and their neighbours in the code table.
        const QString alphabet = QStringLiteral("asc()0123456789AS \u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF"
                                                "\u00C3\u00C5\u00DE\u00E0\u00FD\u00FF\u00E9");
        const QStringList pieces{"asc(", "asc(252)", "asc(223)", "asc(196)", "asc(2", "52)"};
        QRandomGenerator rng(20261209);
        for (int round = 0; round < 20000; ++round) {
            QString text;
            const int parts = rng.bounded(12);
            for (int i = 0; i < parts; ++i)
                text += rng.bounded(3) == 0 ? pieces[rng.bounded(int(pieces.size()))]
                                            : QString(alphabet[rng.bounded(int(alphabet.size()))]);
            QString d = text, e = text;
            DecodeSpecialLetters(d);
            EncodeSpecialLetters(e);
            QCOMPARE(d, decodedByReplacing(text));
            QCOMPARE(e, encodedByReplacing(text));
        }
    }

    void troubleFollowsTheRule_data() {
        QTest::addColumn<bool>("rule");
        QTest::newRow("trouble by default") << true;
        QTest::newRow("no trouble by default") << false;
    }
    void troubleFollowsTheRule() {
        QFETCH(bool, rule);
        troubledefault = rule;
        LoadChapterFile(writeChapter(file("t.qex"), "t", numbered(3, "q")), "t");
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(deck[i].trouble, qint16(rule ? -1 : 0));
            QCOMPARE(deck[i].timesviewed, qint16(0));
            QCOMPARE(deck[i].reserved, QString());
        }
        // ResetAllTrouble applies the current rule to every slot, the spare included
        deck[1].trouble = rule ? 0 : -1;
        deck[1].timesviewed = 4;
        troubledefault = !rule;
        ResetAllTrouble();
        for (int i = 0; i <= deckUpper(); ++i)
            QCOMPARE(deck[i].trouble, qint16(rule ? 0 : -1));
        QCOMPARE(deck[1].timesviewed, qint16(4));
    }

    void flushDeck_data() {
        QTest::addColumn<int>("cards");
        QTest::addColumn<bool>("firstuse");
        QTest::addColumn<QStringList>("lines");
        const QString flushed = "All dynamic data flushed/n";
        const QString entering = "Entering FlushToZero mode/n";
        const QString notFlushing = " .. not flushing empty data set/n";
        // cards are "q0"/"a0"/"qre_word" ...: 2 * (2 + 2 + 8) = 24 bytes each
        QTest::newRow("three cards") << 3 << false << QStringList{entering, " .. flushing 48 bytes of data/n", flushed};
        QTest::newRow("two cards") << 2 << false << QStringList{entering, " .. flushing 24 bytes of data/n", flushed};
        QTest::newRow("one card") << 1 << false << QStringList{entering, notFlushing};
        QTest::newRow("empty deck") << 0 << false << QStringList{entering, notFlushing};
        QTest::newRow("first use") << 3 << true
                                   << QStringList{entering, "Initializing data system for first use/n", notFlushing};
    }
    void flushDeck() {
        QFETCH(int, cards);
        QFETCH(bool, firstuse);
        // Cards are put in directly: a chapter file holds at least two.
        deck = QVector<Card>(cards + 1);
        for (int i = 0; i < cards; ++i)
            deck[i] = Card{"q" + QString::number(i), "a" + QString::number(i), "qre_word", {}, -1, 0, "c"};
        curcard = qint16(cards > 0 ? cards - 1 : 0);
        LogRecorder log;
        FlushDeck(firstuse);
        QTEST(log.lines, "lines");
        QCOMPARE(deck.size(), 1);
        QVERIFY(isEmptySpare(deck[0]));
        QCOMPARE(curcard, qint16(cards > 0 ? cards - 1 : 0));
    }

    // The deck holds at most 32767 slots: 32766 cards and the spare.
    void deckLimit() {
        const QString big = writeChapter(file("big.qex"), "big", numbered(32764, "w"));
        const QString two = writeChapter(file("pair.qex"), "pair", {{"x", "1"}, {"y", "2"}});
        ScriptedPrompter p;
        LoadChapterFile(big, "big");
        QCOMPARE(deckUpper(), qint16(32764));
        LoadChapterFile(two, "pair");
        QCOMPARE(deckUpper(), qint16(32766));
        QCOMPARE(deck[32765].question, QStringLiteral("y"));
        QVERIFY(p.boxes.isEmpty());
        const QVector<Card> before = deck;
        p.expect(MsgResult::Ok, "Can't load file");
        LogRecorder log;
        LoadChapterFile(two, "pair");
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(p.boxes.size(), 1);
        QVERIFY(p.boxes[0].text.startsWith("The file '" + two + "' can't be loaded"));
        QVERIFY(p.boxes[0].text.contains("32766"));
        QVERIFY(sameDeck(deck, before));
        QVERIFY(log.lines.isEmpty());
    }

    void fullChapterIntoEmptyDeck() {
        LoadChapterFile(writeChapter(file("full.qex"), "full", numbered(32766, "v")), "full");
        QCOMPARE(deckUpper(), qint16(32766));
        QCOMPARE(deck[32765].question, QStringLiteral("v32765"));
        QVERIFY(isEmptySpare(deck[32766]));
        FlushDeck(false);
        QCOMPARE(deck.size(), 1);
    }

private:
    QString file(const QString& name) const { return m_dir.path() + "/" + name; }
    QTemporaryDir m_dir;
    int m_mainShown = 0;
};

QTEST_GUILESS_MAIN(TestDeck)
#include "tst_deck.moc"
