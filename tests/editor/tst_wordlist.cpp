// Word lists on their own: what the reader makes of quoting, delimiters, header rows,
// encodings, ragged and overlong rows and refused input, and what the writer's files read
// back as.
#include "wordlistreader.h"
#include "wordlistwriter.h"
#include "testsupport.h"

#include <QBuffer>
#include <QTemporaryDir>
#include <QTest>

using namespace wordlist;

namespace {
WordTable readBytes(const QByteArray& bytes, const ReadOptions& options = {}) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return WordListReader::read(b, options);
}

// "line|front|back" per row, to compare whole tables at a glance.
QStringList described(const WordTable& t) {
    QStringList out;
    for (const WordRow& r : t.rows)
        out << QStringLiteral("%1|%2|%3").arg(r.line).arg(r.front, r.back);
    return out;
}

QByteArray utf16(const QString& text, bool littleEndian, bool mark = true) {
    QByteArray out = !mark ? QByteArray() : littleEndian ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
    for (const QChar c : text) {
        const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
        out.append(littleEndian ? lo : hi).append(littleEndian ? hi : lo);
    }
    return out;
}
} // namespace

Q_DECLARE_METATYPE(wordlist::Encoding)
Q_DECLARE_METATYPE(wordlist::Charset)

class TestWordList : public QObject {
    Q_OBJECT
private slots:
    void reads_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<char>("delimiter"); // given; 0 detects
        QTest::addColumn<char>("found");
        QTest::addColumn<bool>("header");
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QStringList>("rows");
        const auto U8 = Encoding::Utf8;
        QTest::newRow("plain") << QByteArray("Haus,house\nBaum,tree\n") << char(0) << ',' << false << U8
                               << QStringList{"1|Haus|house", "2|Baum|tree"};
        QTest::newRow("CR LF, last line unended")
            << QByteArray("a,b\r\nc,d") << char(0) << ',' << false << U8 << QStringList{"1|a|b", "2|c|d"};
        QTest::newRow("CR only") << QByteArray("a,b\rc,d\r") << char(0) << ',' << false << U8
                                 << QStringList{"1|a|b", "2|c|d"};
        QTest::newRow("quoted delimiter and quotes")
            << QByteArray("\"Haus, das\",\"the \"\"house\"\"\"\nx,y\n") << char(0) << ',' << false << U8
            << QStringList{"1|Haus, das|the \"house\"", "2|x|y"};
        QTest::newRow("line breaks in quotes become spaces")
            << QByteArray("\"zwei\nZeilen\",two\n\"a\r\nb\",\"c\rd\"\nx,y\n") << char(0) << ',' << false << U8
            << QStringList{"1|zwei Zeilen|two", "3|a b|c d", "6|x|y"};
        QTest::newRow("spaces around texts go")
            << QByteArray("\" a \" ,  b  \n") << char(0) << ',' << false << U8 << QStringList{"1|a|b"};
        QTest::newRow("blank rows skipped")
            << QByteArray("\n\na,b\n   \n,\n\nc,d") << char(0) << ',' << false << U8 << QStringList{"3|a|b", "7|c|d"};
        QTest::newRow("one side empty") << QByteArray(",only back\nonly front,\n") << char(0) << ',' << false << U8
                                        << QStringList{"1||only back", "2|only front|"};
        QTest::newRow("semicolon, commas in texts")
            << QByteArray("Haus, das;house\nBaum;tree, the\nAuto;car\n") << char(0) << ';' << false << U8
            << QStringList{"1|Haus, das|house", "2|Baum|tree, the", "3|Auto|car"};
        QTest::newRow("tab, empty column kept")
            << QByteArray("Haus\thouse, home\nBaum\t\ttree\nAuto\tcar\n") << char(0) << '\t' << false << U8
            << QStringList{"1|Haus|house, home", "2|Baum|", "3|Auto|car"};
        QTest::newRow("given delimiter wins")
            << QByteArray("a;b,c\nd;e,f\n") << ',' << ',' << false << U8 << QStringList{"1|a;b|c", "2|d;e|f"};
        QTest::newRow("ragged rows") << QByteArray("a\nb,c,d\ne,f\n") << char(0) << ',' << false << U8
                                     << QStringList{"1|a|", "2|b|c", "3|e|f"};
        QTest::newRow("header by names") << QByteArray("Front,Back\nHaus,house\n") << char(0) << ',' << true << U8
                                         << QStringList{"2|Haus|house"};
        QTest::newRow("header by languages") << QByteArray("German;English:\nHaus;house\n") << char(0) << ';' << true
                                             << U8 << QStringList{"2|Haus|house"};
        QTest::newRow("header over numbers") << QByteArray("Wort,Lektion\nHaus,1\nBaum,2\n") << char(0) << ',' << true
                                             << U8 << QStringList{"2|Haus|1", "3|Baum|2"};
        QTest::newRow("first row is a card") << QByteArray("Word,smallest unit\nHaus,house\n") << char(0) << ','
                                             << false << U8 << QStringList{"1|Word|smallest unit", "2|Haus|house"};
        QTest::newRow("UTF-8 without mark")
            << QByteArray("\xC3\x84rger,anger\n") << char(0) << ',' << false << U8 << QStringList{"1|\u00C4rger|anger"};
        QTest::newRow("zero-width spaces go")
            << QByteArray("a,b\n\xEF\xBB\xBF,\n\xEF\xBB\xBF x\xEF\xBB\xBF,\xEF\xBB\xBF y\n") << char(0) << ',' << false
            << U8 << QStringList{"1|a|b", "3|x|y"};
        QTest::newRow("UTF-8 with mark") << QByteArray("\xEF\xBB\xBFStra\xC3\x9F"
                                                       "e,street\n")
                                         << char(0) << ',' << false << Encoding::Utf8Bom
                                         << QStringList{"1|Stra\u00DFe|street"};
        QTest::newRow("UTF-16 LE") << utf16(QStringLiteral("\u00C4rger;\u6012\r\n\U0001F600;x\r\n"), true) << char(0)
                                   << ';' << false << Encoding::Utf16LE
                                   << QStringList{"1|\u00C4rger|\u6012", "2|\U0001F600|x"};
        QTest::newRow("UTF-16 BE") << utf16(QStringLiteral("\u00C4rger\tanger\n"), false) << char(0) << '\t' << false
                                   << Encoding::Utf16BE << QStringList{"1|\u00C4rger|anger"};
        QTest::newRow("Windows-1252") << QByteArray("Stra\xDF"
                                                    "e,street\n\x80,euro\n\x81,x\n")
                                      << char(0) << ',' << false << Encoding::Windows1252
                                      << QStringList{"1|Stra\u00DFe|street", "2|\u20AC|euro", "3|\u0081|x"};
        QTest::newRow("valid UTF-8 then one bad byte")
            << QByteArray("\xC3\xA4,a\n\xE4,b\n") << char(0) << ',' << false << Encoding::Windows1252
            << QStringList{"1|\u00C3\u00A4|a", "2|\u00E4|b"};
        // One slip in a UTF-8 file does not make every letter of it Windows-1252.
        QTest::newRow("mostly UTF-8 with one bad byte")
            << QByteArray("Stra\xC3\x9F" "e,street\n\xC3\x84rger,anger\nM\xFCll,waste\n") << char(0) << ',' << false
            << U8 << QStringList{"1|Stra\u00DFe|street", "2|\u00C4rger|anger", "3|M\uFFFDll|waste"};
        QTest::newRow("UTF-8 from C2") << QByteArray("10\xC2\xB0,ten degrees\n") << char(0) << ',' << false << U8
                                       << QStringList{"1|10\u00B0|ten degrees"};
        QTest::newRow("encoded surrogate is not UTF-8")
            << QByteArray("\xED\xA0\x80,x\n") << char(0) << ',' << false << Encoding::Windows1252
            << QStringList{"1|\u00ED\u00A0\u20AC|x"};
        QTest::newRow("UTF-16 LE without mark")
            << QByteArray("a\0,\0b\0", 6) << char(0) << ',' << false << Encoding::Utf16LE << QStringList{"1|a|b"};
        QTest::newRow("UTF-16 BE without mark, Cyrillic")
            << utf16(QStringLiteral("\u0434\u043E\u043C;\u0434\u043E\u043C\n\u043A\u043E\u0442;cat\n"), false, false)
            << char(0) << ';' << false << Encoding::Utf16BE
            << QStringList{"1|\u0434\u043E\u043C|\u0434\u043E\u043C", "2|\u043A\u043E\u0442|cat"};
        // Rows of one field say nothing about the delimiter.
        QTest::newRow("one-field rows") << QByteArray("a;b\nc;d\nx\ny\nz") << char(0) << ';' << false << U8
                                        << QStringList{"1|a|b", "2|c|d", "3|x|", "4|y|", "5|z|"};
        // The reader takes 64 KB at a time: a line end and a letter cut by the block boundary.
        QByteArray cut = "a," + QByteArray(65533, 'p') + "\r\nc,d\r\n";
        QTest::newRow("CR LF across blocks")
            << cut << ',' << ',' << false << U8 << QStringList{"1|a|" + QString(65533, u'p'), "2|c|d"};
        QByteArray letter = "a," + QByteArray(65533, 'p') + "\xC3\xA4\nc,d\n";
        QTest::newRow("letter across blocks")
            << letter << ',' << ',' << false << U8 << QStringList{"1|a|" + QString(65533, u'p') + u'\u00E4', "2|c|d"};
        // A quote counts only around a whole field, as spreadsheets read it; after a closing
        // quote the reading once ran on to the end of the file.
        QTest::newRow("quote closing mid-field in a tab list is a letter")
            << QByteArray("das Zitat\t\"Hello\", he said\nx\ty\n") << char(0) << '\t' << false << U8
            << QStringList{"1|das Zitat|\"Hello\", he said", "2|x|y"};
        QTest::newRow("quote closing mid-field, tab given")
            << QByteArray("a\t\"b\"c\td\n\"e\"\t\"f\"\"g\"\n") << '\t' << '\t' << false << U8
            << QStringList{"1|a|\"b\"c", "2|e|f\"g"};
        QTest::newRow("text after a closing quote")
            << QByteArray("a,b\n\"Haus\"x,house\nc,d\n") << char(0) << ',' << false << U8
            << QStringList{"1|a|b", "2|\"Haus\"x|house", "3|c|d"};
        QTest::newRow("text after a closing quote, in a later row")
            << QByteArray("\"a\"x\",b\n\"c\"y,d\n") << char(0) << ',' << false << U8
            << QStringList{"1|\"a\"x\"|b", "2|\"c\"y|d"};
        QTest::newRow("spaces, then text after a closing quote")
            << QByteArray("\"a\"  b,c\n") << ',' << ',' << false << U8 << QStringList{"1|\"a\"  b|c"};
        QTest::newRow("quote inside a plain field") << QByteArray("5'11\" tall,x\n") << ',' << ',' << false << U8
                                                    << QStringList{"1|5'11\" tall|x"};
        QTest::newRow("quoted over a line break, then text")
            << QByteArray("\"zwei\nZeilen\" x,y\nc,d\n") << char(0) << ',' << false << U8
            << QStringList{"1|\"zwei Zeilen\" x|y", "3|c|d"};
        QTest::newRow("tabs around texts of a comma list go")
            << QByteArray("a\t,\tb\t\n") << ',' << ',' << false << U8 << QStringList{"1|a|b"};
        QTest::newRow("tab is no padding in a tab list")
            << QByteArray("\ta\t\n") << '\t' << '\t' << false << U8 << QStringList{"1||a"};
        // A card's word over numbers below it is a card, not column names.
        QTest::newRow("word over numbers is a card") << QByteArray("eins,one\nzwei,2\ndrei,3\n") << char(0) << ','
                                                     << false << U8
                                                     << QStringList{"1|eins|one", "2|zwei|2", "3|drei|3"};
        QTest::newRow("name over numbers beside a name with a colon")
            << QByteArray("Wort:,Seite\nHaus,1\nBaum,2\n") << char(0) << ',' << true << U8
            << QStringList{"2|Haus|1", "3|Baum|2"};
        QTest::newRow("name over one number is a card")
            << QByteArray("Wort,Lektion\nHaus,1\n") << char(0) << ',' << false << U8
            << QStringList{"1|Wort|Lektion", "2|Haus|1"};
    }
    void reads() {
        QFETCH(QByteArray, input);
        QFETCH(char, delimiter);
        QFETCH(char, found);
        QFETCH(bool, header);
        QFETCH(Encoding, encoding);
        QFETCH(QStringList, rows);
        ReadOptions o;
        o.delimiter = delimiter;
        // Rows longer than a card are kept whole only up to a limit; these cases stay below it.
        o.maxRows = 100;
        const WordTable t = readBytes(input, o);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QCOMPARE(t.delimiter, found);
        QCOMPARE(t.header, header);
        QCOMPARE(t.encoding, encoding);
        QStringList got = described(t);
        // Long texts are cut at the kept length.
        for (QString& r : rows)
            if (r.size() > kMaxKeptBytes)
                r = r.left(r.indexOf(u'|', 2) + 1 + kMaxKeptBytes);
        QCOMPARE(got, rows);
        QCOMPARE(t.dataRows, qint64(rows.size()));
    }

    void refuses_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("line");
        QTest::newRow("NUL byte") << QByteArray("a,b\nc\0,d\n", 9) << "a NUL byte on line 2" << qint64(2);
        // NULs in both halves of the units: not UTF-16.
        QTest::newRow("NULs in both halves") << QByteArray("a\0,\0\0b\n", 7) << "NUL byte on line 1" << qint64(1);
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char(i % 7 + 1);
        QTest::newRow("binary") << binary << "binary data" << qint64(0);
        QByteArray fewControls = QByteArray(980, 'a');
        for (int i = 0; i < 20; ++i)
            fewControls[i * 49] = '\x01';
        fewControls += QByteArray(20, 'b');
        QTest::newRow("2 in 100 bytes control characters") << fewControls << "binary data" << qint64(0);
        QTest::newRow("unclosed quote") << QByteArray("a,b\n\"open,c\nd,e\n") << "opens on line 2 is never closed"
                                        << qint64(2);
        QTest::newRow("quote open after a quote closing mid-field")
            << QByteArray("\"a\"x,b\n\"c,d\n") << "the quote that opens on line 2 is never closed" << qint64(2);
        QTest::newRow("space after a closing quote") << QByteArray("x,y\n\"a\" ,\"b\n")
                                                     << "the quote that opens on line 2 is never closed" << qint64(2);
        QTest::newRow("unclosed quote over 1 MB")
            << "x,y\n\"" + QByteArray(3 << 20, 'x') << "opens on line 2 is never closed" << qint64(2);
        QTest::newRow("line over 1 MB") << "x,y\n" + QByteArray(3 << 20, 'x') << "line 2 holds a text longer than 1 MB"
                                        << qint64(2);
    }
    void refuses() {
        QFETCH(QByteArray, input);
        QFETCH(QString, error);
        QFETCH(qint64, line);
        const WordTable t = readBytes(input);
        QVERIFY(!t.ok());
        QVERIFY2(t.error.contains(error), qPrintable(t.error));
        QCOMPARE(t.errorLine, line);
        QVERIFY(t.rows.isEmpty() && t.sample.isEmpty());
    }

    // The bound on one text: 1 MB is read (cut to what a card holds), a byte more is refused;
    // a quoted text counts its two quotes.
    void textBound_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("read");
        QTest::newRow("plain, 1 MB") << QByteArray(kMaxTextBytes, 'x') << true;
        QTest::newRow("plain, a byte more") << QByteArray(kMaxTextBytes + 1, 'x') << false;
        QTest::newRow("quoted, 1 MB with its quotes") << "\"" + QByteArray(kMaxTextBytes - 2, 'x') + "\"" << true;
        QTest::newRow("quoted, a byte more") << "\"" + QByteArray(kMaxTextBytes - 1, 'x') + "\"" << false;
    }
    void textBound() {
        QFETCH(QByteArray, text);
        QFETCH(bool, read);
        const WordTable t = readBytes("a," + text + "\nb,c\n");
        QCOMPARE(t.ok(), read);
        if (read)
            QCOMPARE(described(t).value(1), QStringLiteral("2|b|c"));
        else
            QCOMPARE(t.error, QStringLiteral("line 1 holds a text longer than 1 MB"));
    }

    // The note about a row taken as the column names names its line, and is empty without one.
    void headerNote_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("note");
        QTest::newRow("first line") << QByteArray("Front,Back\na,b\n") << "line 1 taken as the column names";
        QTest::newRow("after blank lines") << QByteArray("\n\nFront,Back\na,b\n") << "line 3 taken as the column names";
        QTest::newRow("none") << QByteArray("a,b\nc,d\n") << QString();
    }
    void headerNote() {
        QFETCH(QByteArray, input);
        QFETCH(QString, note);
        QCOMPARE(WordListReader::headerNote(readBytes(input)), note);
    }

    // What a text may hold before it is marked as cut: kMaxKeptBytes exactly.
    void keptBound_data() {
        QTest::addColumn<int>("bytes");
        QTest::addColumn<bool>("cut");
        QTest::newRow("at the bound") << kMaxKeptBytes << false;
        QTest::newRow("a byte more") << kMaxKeptBytes + 1 << true;
    }
    void keptBound() {
        QFETCH(int, bytes);
        QFETCH(bool, cut);
        const WordTable t = readBytes("a," + QByteArray(bytes, 'b') + "\n");
        QCOMPARE(t.rows.value(0).tooLong, cut);
        QCOMPARE(t.rows.value(0).back.size(), kMaxKeptBytes);
    }

    // A text longer than a card keeps only its start and says so; the rest of the row and
    // the rows after it are unaffected.
    void longTextIsMarked() {
        const WordTable t = readBytes("Haus," + QByteArray(200000, 'h') + "\nBaum,tree\n");
        QVERIFY(t.ok());
        QCOMPARE(t.rows.size(), 2);
        QVERIFY(t.rows[0].tooLong);
        QCOMPARE(t.rows[0].front, QStringLiteral("Haus"));
        QCOMPARE(t.rows[0].back.size(), kMaxKeptBytes);
        QVERIFY(!t.rows[1].tooLong);
    }

    // More rows than a chapter holds: the first are kept, all are counted, and the sample
    // shows the first rows with every column.
    void manyRowsAreCounted() {
        QByteArray big;
        big += "Word,Translation,Note\n";
        for (int i = 0; i < 200000; ++i)
            big += "w" + QByteArray::number(i) + ",t" + QByteArray::number(i) + ",n\n";
        ReadOptions o;
        o.maxRows = 32767;
        o.frontColumn = 1;
        o.backColumn = 0;
        const WordTable t = readBytes(big, o);
        QVERIFY(t.ok());
        QVERIFY(t.header);
        QCOMPARE(t.dataRows, qint64(200000));
        QCOMPARE(t.rows.size(), 32767);
        QCOMPARE(described(t).last(), QStringLiteral("32768|t32766|w32766"));
        QCOMPARE(t.columns, 3);
        QCOMPARE(t.sample.size(), o.sampleRows);
        QCOMPARE(t.sample.first(), (QStringList{"Word", "Translation", "Note"}));
        QCOMPARE(t.sampleLines.at(1), qint64(2));
    }

    // What the writer writes reads back to the same rows, in both formats.
    void roundTrip_data() {
        QTest::addColumn<int>("format");
        QTest::newRow("csv") << int(Format::Csv);
        QTest::newRow("tsv") << int(Format::Tsv);
    }
    void roundTrip() {
        QFETCH(int, format);
        const QVector<TextPair> rows = {
            {"Haus, das", "the \"house\""},      {"Tab\there", "semi;colon"},
            {"\u00C4rger \u6012", "\U0001F600"}, {"Nacht", ""},
            {"\"quoted\"", "'single'"},          {"=1+1", "-x"},
        };
        QTemporaryDir dir;
        const QString path = dir.filePath(format == int(Format::Csv) ? "w.csv" : "w.tsv");
        QString error;
        QVERIFY(WordListWriter::writeFile(path, rows, Format(format), error));
        const WordTable t = WordListReader::readFile(path);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QCOMPARE(t.delimiter, format == int(Format::Csv) ? ',' : '\t');
        QVERIFY(t.header);
        QVector<TextPair> back;
        for (const WordRow& r : t.rows)
            back.append({r.front, r.back});
        QCOMPARE(back, rows);
    }

    // Our own export read again gives every card, whatever the first one says: the first
    // card's words once looked like column names and were dropped without a word.
    void exportKeepsFirstCard_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<QVector<TextPair>>("rows");
        const QVector<TextPair> numbers = {{"eins", "one"}, {"zwei", "2"}, {"drei", "3"}, {"vier", "4"}};
        for (const int f : {int(Format::Csv), int(Format::Tsv)}) {
            const char* name = f == int(Format::Csv) ? "csv" : "tsv";
            QTest::addRow("Wort, word, %s", name) << f << QVector<TextPair>{{"Wort", "word"}, {"Haus", "house"}};
            QTest::addRow("Deutsch, German, %s", name) << f << QVector<TextPair>{{"Deutsch", "German"}, {"ja", "yes"}};
            QTest::addRow("word over numbers, %s", name) << f << numbers;
            QTest::addRow("names only, %s", name) << f << QVector<TextPair>{{"Front", "Back"}, {"Back", "Front"}};
        }
    }
    void exportKeepsFirstCard() {
        QFETCH(int, format);
        QFETCH(QVector<TextPair>, rows);
        for (int pass = 0; pass < 2; ++pass) {
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            QString error;
            QVERIFY(WordListWriter::write(out, rows, Format(format), error));
            const WordTable t = readBytes(out.data());
            QVERIFY2(t.ok(), qPrintable(t.error));
            QVector<TextPair> back;
            for (const WordRow& r : t.rows)
                back.append({r.front, r.back});
            QCOMPARE(back, rows);
            QVERIFY(t.header);
            // What came back, written again, is the same.
            rows = back;
        }
    }

    // The limit is on different fronts: rows that repeat a kept front are kept past it (up to
    // a bound on rows), and a front left out counts once however often it comes.
    void limitCountsFronts_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("maxRows");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<qint64>("leftOut");
        QTest::addColumn<qint64>("notRead");
        QTest::addColumn<qint64>("firstNotRead");
        QTest::newRow("repeat past the limit") << QByteArray("a,1\nb,1\nc,1\nd,1\na,2\n") << 3
                                               << QStringList{"1|a|1", "2|b|1", "3|c|1", "5|a|2"} << qint64(1)
                                               << qint64(0) << qint64(0);
        QTest::newRow("front left out twice counts once")
            << QByteArray("a,1\nb,1\nc,1\nd,1\nd,2\ne,1\nb,2\n") << 3
            << QStringList{"1|a|1", "2|b|1", "3|c|1", "7|b|2"} << qint64(2) << qint64(0) << qint64(0);
        QTest::newRow("header is no front") << QByteArray("Front,Back\na,1\nb,1\nc,1\nd,1\nc,2\n") << 3
                                            << QStringList{"2|a|1", "3|b|1", "4|c|1", "6|c|2"} << qint64(1)
                                            << qint64(0) << qint64(0);
        QTest::newRow("exactly the limit") << QByteArray("a,1\nb,1\nc,1\nc,2\n") << 3
                                           << QStringList{"1|a|1", "2|b|1", "3|c|1", "4|c|2"} << qint64(0)
                                           << qint64(0) << qint64(0);
        QByteArray same;
        for (int i = 1; i <= 10; ++i)
            same += "a," + QByteArray::number(i) + "\n";
        QStringList eight;
        for (int i = 1; i <= 8; ++i)
            eight << QStringLiteral("%1|a|%1").arg(i);
        QTest::newRow("bound on rows") << same << 1 << eight << qint64(0) << qint64(2) << qint64(9);
        QTest::newRow("empty fronts count to the bound")
            << QByteArray(",1\n,2\n,3\n,4\n,5\n,6\n,7\n,8\n,9\nz,1\n") << 1
            << QStringList{"1||1", "2||2", "3||3", "4||4", "5||5", "6||6", "7||7", "8||8", "10|z|1"} << qint64(0)
            << qint64(1) << qint64(9);
    }
    void limitCountsFronts() {
        QFETCH(QByteArray, input);
        QFETCH(int, maxRows);
        QFETCH(QStringList, rows);
        QFETCH(qint64, leftOut);
        QFETCH(qint64, notRead);
        QFETCH(qint64, firstNotRead);
        ReadOptions o;
        o.maxRows = maxRows;
        o.header = input.startsWith("Front") ? Header::Yes : Header::No;
        const WordTable t = readBytes(input, o);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QCOMPARE(described(t), rows);
        QCOMPARE(t.frontsLeftOut, leftOut);
        QCOMPARE(t.rowsNotRead, notRead);
        QCOMPARE(t.firstLineNotRead, firstNotRead);
    }

    // Ill-formed UTF-8 is read as U+FFFD and its lines are named; a file mostly not UTF-8 is
    // Windows-1252 unless UTF-8 is marked or chosen.
    void badUtf8Lines_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<Charset>("charset");
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QString>("note");
        const QByteArray good = "\xC3\xA4,a\r\n\xC3\xB6,b\r\n";
        QTest::newRow("none") << good << Charset::Detect << Encoding::Utf8 << QString();
        QTest::newRow("CR LF lines, cut by the end") << good + "\xC3\xBC,c\r\nx,\xE2\x82" << Charset::Detect
                                                     << Encoding::Utf8
                                                     << "line 4 holds bytes that are not UTF-8 (read as \uFFFD)";
        QTest::newRow("two lines, CR only")
            << QByteArray("\xC3\xA4,a\r\xC3\xB6,b\r\xC3\xBC,\xFF\r\xC3\xA9,e\rx,\xC0\r") << Charset::Detect
            << Encoding::Utf8 << "lines 3 and 5 hold bytes that are not UTF-8 (read as \uFFFD)";
        QTest::newRow("stray continuation byte") << QByteArray("\xC3\xA4\xC3\xB6,\x80\n") << Charset::Detect
                                                 << Encoding::Utf8
                                                 << "line 1 holds bytes that are not UTF-8 (read as \uFFFD)";
        QTest::newRow("five-byte form is not UTF-8")
            << QByteArray("\xC3\xA4,a\n\xF8\x88\x80\x80,b\n") << Charset::Detect << Encoding::Windows1252 << QString();
        QTest::newRow("half bad is Windows-1252")
            << QByteArray("\xC3\xA4,\xE4\n") << Charset::Detect << Encoding::Windows1252 << QString();
        QTest::newRow("marked") << QByteArray("\xEF\xBB\xBF\xE4,a\n") << Charset::Detect << Encoding::Utf8Bom
                                << "line 1 holds bytes that are not UTF-8 (read as \uFFFD)";
        QTest::newRow("chosen") << QByteArray("\xE4,a\n\xF6,b\n") << Charset::Utf8 << Encoding::Utf8
                                << "lines 1 and 2 hold bytes that are not UTF-8 (read as \uFFFD)";
        QByteArray many;
        for (int i = 0; i < 25; ++i)
            many += "\xC3\xA4\xC3\xA4\xC3\xA4,\xFF\n";
        QTest::newRow("more than are named")
            << many << Charset::Detect << Encoding::Utf8
            << "lines 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20 and 5 more hold bytes "
               "that are not UTF-8 (read as \uFFFD)";
    }
    void badUtf8Lines() {
        QFETCH(QByteArray, input);
        QFETCH(Charset, charset);
        QFETCH(Encoding, encoding);
        QFETCH(QString, note);
        ReadOptions o;
        o.charset = charset;
        const WordTable t = readBytes(input, o);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QCOMPARE(t.encoding, encoding);
        QCOMPARE(WordListReader::badUtf8Note(t), note);
    }

    // A chosen encoding wins over what the bytes suggest.
    void chosenCharset_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<Charset>("charset");
        QTest::addColumn<Encoding>("encoding");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("UTF-8 as Windows-1252") << QByteArray("Stra\xC3\x9F" "e,street\n") << Charset::Windows1252
                                               << Encoding::Windows1252 << QStringList{"1|Stra\u00C3\u0178e|street"};
        QTest::newRow("Windows-1252 as UTF-8") << QByteArray("Stra\xDF" "e,street\n") << Charset::Utf8
                                               << Encoding::Utf8 << QStringList{"1|Stra\uFFFDe|street"};
        QTest::newRow("UTF-16 BE without mark")
            << utf16(QStringLiteral("\u00C4rger,anger\n"), false, false) << Charset::Utf16 << Encoding::Utf16BE
            << QStringList{"1|\u00C4rger|anger"};
        QTest::newRow("UTF-16 with mark") << utf16(QStringLiteral("x,y\n"), true) << Charset::Utf16 << Encoding::Utf16LE
                                          << QStringList{"1|x|y"};
    }
    void chosenCharset() {
        QFETCH(QByteArray, input);
        QFETCH(Charset, charset);
        QFETCH(Encoding, encoding);
        QFETCH(QStringList, rows);
        ReadOptions o;
        o.charset = charset;
        const WordTable t = readBytes(input, o);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QCOMPARE(t.encoding, encoding);
        QCOMPARE(described(t), rows);
    }

    void writerLine_data() {
        QTest::addColumn<QString>("front");
        QTest::addColumn<QString>("back");
        QTest::addColumn<int>("format");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("spaces around are quoted, csv") << " a" << "b " << int(Format::Csv)
                                                       << QByteArray("\" a\",\"b \"\r\n");
        QTest::newRow("spaces around are quoted, tsv") << "a " << " b" << int(Format::Tsv)
                                                       << QByteArray("\"a \"\t\" b\"\r\n");
        QTest::newRow("space inside is not") << "a b" << "c" << int(Format::Csv) << QByteArray("a b,c\r\n");
        QTest::newRow("tab quoted in csv") << "a\tb" << "c" << int(Format::Csv) << QByteArray("\"a\tb\",c\r\n");
        QTest::newRow("NUL written as a space")
            << QStringLiteral("a") + QChar(0) + "b" << QString(QChar(0)) << int(Format::Csv)
            << QByteArray("a b,\" \"\r\n");
    }
    void writerLine() {
        QFETCH(QString, front);
        QFETCH(QString, back);
        QFETCH(int, format);
        QFETCH(QByteArray, line);
        QCOMPARE(WordListWriter::line(front, back, Format(format)), line);
    }

    // A short write is repeated; the one that fails gives the system's reason.
    void writerRepeatsShortWrites_data() {
        QTest::addColumn<qint64>("room");
        QTest::newRow("one byte") << qint64(1);
        QTest::newRow("five bytes") << qint64(5);
        QTest::newRow("all but one") << qint64(24);
        QTest::newRow("all") << qint64(25);
    }
    void writerRepeatsShortWrites() {
        QFETCH(qint64, room);
        const QByteArray all = "\xEF\xBB\xBF" "Front,Back\r\na,b\r\nc,d\r\n";
        FailingDevice out(room);
        out.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        QString error;
        QCOMPARE(WordListWriter::write(out, {{"a", "b"}, {"c", "d"}}, Format::Csv, error), room >= all.size());
        QCOMPARE(error, room >= all.size() ? QString() : QStringLiteral("No space left on device"));
        QCOMPARE(out.written, all.left(room));
    }

    void writerBytes() {
        QCOMPARE(WordListWriter::line("a,b", "say \"hi\"", Format::Csv), QByteArray("\"a,b\",\"say \"\"hi\"\"\"\r\n"));
        QCOMPARE(WordListWriter::line("a,b", "c", Format::Tsv), QByteArray("a,b\tc\r\n"));
        QCOMPARE(WordListWriter::line("\u00E4", "", Format::Csv), QByteArray("\xC3\xA4,\r\n"));
        QCOMPARE(WordListWriter::formatForName("x.TSV"), Format::Tsv);
        QCOMPARE(WordListWriter::formatForName("x.txt"), Format::Tsv);
        QCOMPARE(WordListWriter::formatForName("x.csv"), Format::Csv);
        QCOMPARE(WordListWriter::clipboardHtml({{"a<b", "c&d"}}),
                 QStringLiteral("<table><tr><td>a&lt;b</td><td>c&amp;d</td></tr></table>"));
        // A failed write leaves an existing file as it was.
        QTemporaryDir dir;
        QString error;
        QVERIFY(!WordListWriter::writeFile(dir.filePath("no/such/dir/x.csv"), {{"a", "b"}}, Format::Csv, error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWordList)
#include "tst_wordlist.moc"
