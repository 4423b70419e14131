// The text of other flash-card programs' fields and plain-text exports: HTML reduced to a
// card's line, and the settings lines at the top of an export read as settings, never cards.
#include "htmltext.h"
#include "wordlistreader.h"

#include <QBuffer>
#include <QTest>

using namespace wordlist;

namespace {
WordTable readBytes(const QByteArray& bytes, const ReadOptions& options = {}) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return WordListReader::read(b, options);
}

QStringList described(const WordTable& t) {
    QStringList out;
    for (const WordRow& r : t.rows)
        out << QStringLiteral("%1|%2|%3").arg(r.line).arg(r.front, r.back);
    return out;
}
} // namespace

class TestFlashText : public QObject {
    Q_OBJECT
private slots:
    void html_data() {
        QTest::addColumn<QString>("html");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("sounds");
        QTest::addColumn<int>("images");
        QTest::newRow("plain") << "Haus" << "Haus" << 0 << 0;
        QTest::newRow("tags dropped") << "<b>das</b> <i>Haus</i>" << "das Haus" << 0 << 0;
        QTest::newRow("br between words") << "one<br>two<br/>three<BR />four" << "one two three four" << 0 << 0;
        QTest::newRow("div and p") << "<div>one</div><div>two</div><p>three</p>" << "one two three" << 0 << 0;
        QTest::newRow("list items") << "<ul><li>a</li><li>b</li></ul>" << "a b" << 0 << 0;
        QTest::newRow("a link, its name one letter") << "<a href=\"x\">see</a> also" << "see also" << 0 << 0;
        QTest::newRow("inline tag joins") << "Ha<span style=\"x\">us</span>" << "Haus" << 0 << 0;
        QTest::newRow("runs of space folded") << "  a \t\n b  <br> <br>  c " << "a b c" << 0 << 0;
        QTest::newRow("named entities") << "&lt;a&gt; &amp; &quot;q&quot; &apos;" << "<a> & \"q\" '" << 0 << 0;
        QTest::newRow("nbsp is a space") << "a&nbsp;&nbsp;b" << "a b" << 0 << 0;
        QTest::newRow("letters") << "M&auml;dchen &Eacute;t&eacute; &szlig;" << "M\u00e4dchen \u00c9t\u00e9 \u00df"
                                 << 0 << 0;
        QTest::newRow("decimal") << "&#72;&#228;" << "H\u00e4" << 0 << 0;
        QTest::newRow("hex either case") << "&#x48;&#X e4;&#xE4;" << "H&#X e4;\u00e4" << 0 << 0;
        QTest::newRow("outside the plane") << "&#x1F600;" << QString::fromUcs4(U"\U0001F600", 1) << 0 << 0;
        QTest::newRow("too large") << "&#x110000;|&#99999999999;" << "\uFFFD|\uFFFD" << 0 << 0;
        QTest::newRow("a line break by reference") << "a&#10;&#x0D;&#9;b&#x2028;c&#160;" << "a b c" << 0 << 0;
        QTest::newRow("surrogate and zero") << "&#xD800;&#0;" << "\uFFFD\uFFFD" << 0 << 0;
        QTest::newRow("unknown name stays") << "&bogus; &amp" << "&bogus; &amp" << 0 << 0;
        QTest::newRow("ampersand alone") << "salt & pepper" << "salt & pepper" << 0 << 0;
        QTest::newRow("less-than in text") << "a < b, 3<4" << "a < b, 3<4" << 0 << 0;
        QTest::newRow("tag never closed") << "a <b c" << "a <b c" << 0 << 0;
        QTest::newRow("quoted > in attribute") << "<span title=\"a>b\">x</span>" << "x" << 0 << 0;
        QTest::newRow("comment") << "a<!-- <b>hidden</b> -->b" << "ab" << 0 << 0;
        QTest::newRow("comment never closed") << "a<!-- rest" << "a" << 0 << 0;
        QTest::newRow("script and style") << "a<style>p{}</style>b<script>x<y</script>c" << "abc" << 0 << 0;
        QTest::newRow("sound") << "Haus[sound:haus.mp3]" << "Haus" << 1 << 0;
        QTest::newRow("two sounds, spaced") << "[sound:a.mp3] x [sound:b.ogg]" << "x" << 2 << 0;
        QTest::newRow("sound never closed") << "x [sound:a.mp3" << "x [sound:a.mp3" << 0 << 0;
        QTest::newRow("image") << "<img src=\"haus.jpg\">Haus<IMG src='b.png'/>" << "Haus" << 0 << 2;
        QTest::newRow("image and sound") << "<div><img src=a.png></div>[sound:a.mp3]" << "" << 1 << 1;
        QTest::newRow("empty") << "" << "" << 0 << 0;
    }
    void html() {
        QFETCH(QString, html);
        const HtmlText t = htmlToText(html);
        QTEST(t.text, "text");
        QTEST(t.sounds, "sounds");
        QTEST(t.images, "images");
    }

    void mediaOnlyKeepsMarkup() {
        const HtmlText t = withoutMedia(u"<b>a</b> &amp; [sound:x.mp3]");
        QCOMPARE(t.text, QStringLiteral("<b>a</b> &amp;"));
        QCOMPARE(t.sounds, 1);
    }

    void exportList_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<char>("delimiter");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<qint64>("sounds");
        QTest::addColumn<qint64>("images");
        QTest::newRow("separator and html")
            << QByteArray("#separator:tab\n#html:true\n<b>Haus</b>\thouse<br>home\nBaum\ttree[sound:t.mp3]\n") << '\t'
            << QStringList{"3|Haus|house home", "4|Baum|tree"} << qint64(1) << qint64(0);
        QTest::newRow("html false keeps markup")
            << QByteArray("#separator:semicolon\n#html:false\n<b>a</b>;b\n") << ';' << QStringList{"3|<b>a</b>|b"}
            << qint64(0) << qint64(0);
        QTest::newRow("Tab in capitals, CR LF") << QByteArray("#separator:Tab\r\n#html:true\r\na\tb\r\n") << '\t'
                                                << QStringList{"3|a|b"} << qint64(0) << qint64(0);
        QTest::newRow("pipe") << QByteArray("#separator:pipe\na|b, c\n") << '|' << QStringList{"2|a|b, c"}
                              << qint64(0) << qint64(0);
        QTest::newRow("space") << QByteArray("#separator:space\nHaus house\n") << ' ' << QStringList{"2|Haus|house"}
                               << qint64(0) << qint64(0);
        QTest::newRow("comma") << QByteArray("#separator:comma\na,b\n") << ',' << QStringList{"2|a|b"} << qint64(0)
                               << qint64(0);
        // Column names in the settings: the first row is a card, however it looks.
        QTest::newRow("columns: first row is a card")
            << QByteArray("#separator:tab\n#columns:Front\tBack\nFront\tBack\nword\tWort\n") << '\t'
            << QStringList{"3|Front|Back", "4|word|Wort"} << qint64(0) << qint64(0);
        QTest::newRow("guid and notetype columns come first")
            << QByteArray("#separator:tab\n#html:true\n#guid column:1\n#notetype column:2\n#deck column:3\n"
                          "#tags column:6\nq1\tBasic\tDeck\tHaus\thouse\tnoun\n")
            << '\t' << QStringList{"7|Haus|house"} << qint64(0) << qint64(0);
        QTest::newRow("tags column between")
            << QByteArray("#separator:tab\n#tags column:2\nHaus\tnoun\thouse\n") << '\t'
            << QStringList{"3|Haus|house"} << qint64(0) << qint64(0);
        QTest::newRow("deck and notetype lines")
            << QByteArray("#separator:tab\n#deck:Spanish::Verbs\n#notetype:Basic\nir\tto go\n") << '\t'
            << QStringList{"4|ir|to go"} << qint64(0) << qint64(0);
        QTest::newRow("images counted across rows")
            << QByteArray("#separator:tab\n#html:true\n<img src=a.png>a\tb\nc\t<img src=\"d.png\"><img src=e.png>d\n")
            << '\t' << QStringList{"3|a|b", "4|c|d"} << qint64(0) << qint64(3);
        // A '#' line that is no setting is a card, and so is all that follows it.
        QTest::newRow("hash card") << QByteArray("#1,first\n#separator:tab,x\n") << ','
                                   << QStringList{"1|#1|first", "2|#separator:tab|x"} << qint64(0) << qint64(0);
        QTest::newRow("settings only at the top")
            << QByteArray("a\tb\n#html:true\tx\n") << '\t' << QStringList{"1|a|b", "2|#html:true|x"} << qint64(0)
            << qint64(0);
        QTest::newRow("unknown separator detects")
            << QByteArray("#separator:weird\na;b\nc;d\n") << ';' << QStringList{"2|a|b", "3|c|d"} << qint64(0)
            << qint64(0);
        QTest::newRow("settings and no rows") << QByteArray("#separator:tab\n#html:true") << '\t' << QStringList{}
                                               << qint64(0) << qint64(0);
    }
    void exportList() {
        QFETCH(QByteArray, input);
        const WordTable t = readBytes(input);
        QVERIFY2(t.ok(), qPrintable(t.error));
        QTEST(t.delimiter, "delimiter");
        QTEST(described(t), "rows");
        QTEST(t.soundsRemoved, "sounds");
        QTEST(t.imagesRemoved, "images");
        QVERIFY(!t.header);
    }

    void exportListSettings() {
        const WordTable t = readBytes("#separator:tab\n#html:true\n#columns:Front\tBack\tTags\n#tags column:3\n"
                                      "#deck:Spanish\n#notetype:Basic (and reversed card)\n<b>a</b>\tb\tx\n");
        QVERIFY(t.ok());
        QCOMPARE(t.exportHeader.lines, 6);
        QVERIFY(t.exportHeader.html);
        QCOMPARE(t.exportHeader.columnNames('\t'), QStringList({"Front", "Back", "Tags"}));
        QCOMPARE(t.exportHeader.tagsColumn, 2);
        QCOMPARE(t.exportHeader.deck, QStringLiteral("Spanish"));
        QCOMPARE(t.exportHeader.notetype, QStringLiteral("Basic (and reversed card)"));
        // The preview shows the text a card will hold.
        QCOMPARE(t.sample.value(0), QStringList({"a", "b", "x"}));
    }

    // Columns the user chose win over the ones the settings suggest, and so does a delimiter.
    void chosenColumnsWin() {
        ReadOptions o;
        o.frontColumn = 2;
        o.backColumn = 0;
        const WordTable t = readBytes("#separator:tab\n#guid column:1\ng\tHaus\thouse\n", o);
        QCOMPARE(described(t), QStringList{"3|house|g"});
        ReadOptions d;
        d.delimiter = ',';
        const WordTable u = readBytes("#separator:tab\na\tb,c\n", d);
        QCOMPARE(described(u), QStringList{"2|a\tb|c"});
    }
};

QTEST_GUILESS_MAIN(TestFlashText)
#include "tst_flashtext.moc"
