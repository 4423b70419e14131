// KVTML files: what the reader makes of identifiers, entries and (nested) lessons, what it
// refuses (entities, depth, size, cut-short and foreign files) with one message, what the
// writer's files read back as, and the command line's conversions in both directions.
#include "chapterfile.h"
#include "commandline.h"
#include "history.h"
#include "kvtml.h"
#include "kvtmlimport.h"

#include <QBuffer>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using qredit::CardRow;

namespace {
// A KVTML 2 file with three identifiers, the given entries and lessons.
QByteArray file(const QString& entries, const QString& lessons = {}, const QString& head = {}) {
    return (QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n") + head +
            QStringLiteral("<kvtml version=\"2.0\">\n"
                           " <information><title>Tiere</title></information>\n"
                           " <identifiers>\n"
                           "  <identifier id=\"0\"><name>Deutsch</name><locale>de</locale></identifier>\n"
                           "  <identifier id=\"1\"><name>English</name><locale>en</locale></identifier>\n"
                           "  <identifier id=\"2\"><name>Fran\u00E7ais</name><locale>fr</locale></identifier>\n"
                           " </identifiers>\n"
                           " <entries>\n") +
            entries + QStringLiteral(" </entries>\n") +
            (lessons.isEmpty() ? QString() : QStringLiteral(" <lessons>") + lessons + QStringLiteral("</lessons>\n")) +
            QStringLiteral("</kvtml>\n"))
        .toUtf8();
}

// One entry: texts by identifier id, "0=Hund;1=dog".
QString entry(int id, const QString& texts) {
    QString out = QStringLiteral("  <entry id=\"%1\">").arg(id);
    for (const QString& t : texts.split(QRegularExpression(QStringLiteral(";(?=\\d=)")), Qt::SkipEmptyParts)) {
        const qsizetype eq = t.indexOf(u'=');
        out += QStringLiteral("<translation id=\"%1\"><text>%2</text><grade><currentgrade>3</currentgrade></grade>"
                              "</translation>")
                   .arg(t.left(eq), t.mid(eq + 1));
    }
    return out + QStringLiteral("</entry>\n");
}

const QString kAnimals = entry(0, "0=Hund;1=dog;2=chien") + entry(1, "0=Katze;1=cat;2=chat") +
                         entry(2, "0=Maus;1=mouse;2=souris") + entry(3, "0=Vogel;1=bird");

kvtml::Document readBytes(const QByteArray& bytes) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return kvtml::Reader::read(b);
}

QStringList described(const wordlist::WordTable& t) {
    QStringList out;
    for (const wordlist::WordRow& r : t.rows)
        out << r.front + u'|' + r.back;
    return out;
}

int convert(const QStringList& args, QString& said) {
    FILE* err = std::tmpfile();
    const int status = qredit::runConversion(QStringList{"qredit"} + args, err);
    std::rewind(err);
    QByteArray text;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, err)) > 0;)
        text.append(buf, qsizetype(n));
    std::fclose(err);
    said = QString::fromUtf8(text);
    return status;
}

QString chapter(const QString& path) {
    QVector<CardRow> rows;
    QString title, error;
    if (qredit::loadChapter(path, rows, title, error) != qredit::LoadResult::Loaded)
        return QStringLiteral("not loaded: ") + error;
    QStringList out{title};
    for (const CardRow& r : rows)
        out << r.question + u'|' + r.answer;
    return out.join(u'\n');
}
} // namespace

class TestKvtml : public QObject {
    Q_OBJECT
private slots:
    // The cards a choice of identifiers and lessons gives, in file order.
    void cards_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("front");
        QTest::addColumn<QString>("back");
        QTest::addColumn<QList<int>>("lessons"); // empty: the default (everything)
        QTest::addColumn<QStringList>("rows");
        const QString lessons = "<container><name>Haus</name><entry id=\"0\"/><entry id=\"1\"/><entry id=\"0\"/>"
                                "<container><name>Garten</name><entry id=\"3\"/></container></container>"
                                "<container><name>Feld</name><entry id=\"2\"/></container>";
        QTest::newRow("first two identifiers")
            << file(kAnimals) << ""
            << "" << QList<int>() << QStringList{"Hund|dog", "Katze|cat", "Maus|mouse", "Vogel|bird"};
        QTest::newRow("identifiers chosen")
            << file(kAnimals) << "2"
            << "0" << QList<int>() << QStringList{"chien|Hund", "chat|Katze", "souris|Maus", "|Vogel"};
        QTest::newRow("missing translations")
            << file(entry(0, "0=Hund") + entry(1, "1=cat") + entry(2, "2=souris")) << ""
            << "" << QList<int>() << QStringList{"Hund|", "|cat"};
        QTest::newRow("every lesson") << file(kAnimals, lessons) << ""
                                      << "" << QList<int>()
                                      << QStringList{"Hund|dog", "Katze|cat", "Maus|mouse", "Vogel|bird"};
        QTest::newRow("one lesson, named twice") << file(kAnimals, lessons) << ""
                                                 << "" << QList<int>{0} << QStringList{"Hund|dog", "Katze|cat"};
        QTest::newRow("nested lesson alone") << file(kAnimals, lessons) << ""
                                             << "" << QList<int>{1} << QStringList{"Vogel|bird"};
        QTest::newRow("two lessons in file order") << file(kAnimals, lessons) << ""
                                                   << "" << QList<int>{2, 1} << QStringList{"Maus|mouse", "Vogel|bird"};
        QTest::newRow("a lesson leaves out the entries of none")
            << file(kAnimals, "<container><name>A</name><entry id=\"1\"/><entry id=\"9\"/></container>") << ""
            << "" << QList<int>{0} << QStringList{"Katze|cat"};
        QTest::newRow("line breaks and markup in texts")
            << file(entry(0, "0=Stra&#223;e &amp;\n Weg;1=&lt;road&gt; \"x\"")) << ""
            << "" << QList<int>() << QStringList{"Stra\u00DFe & Weg|<road> \"x\""};
        // The KDE trainers name their DTD; it is not fetched, and the file reads as without it.
        QTest::newRow("outside DTD named")
            << file(kAnimals, {}, "<!DOCTYPE kvtml PUBLIC \"kvtml2.dtd\" \"kvtml2.dtd\">\n") << ""
            << "" << QList<int>() << QStringList{"Hund|dog", "Katze|cat", "Maus|mouse", "Vogel|bird"};
    }
    void cards() {
        QFETCH(QByteArray, input);
        QFETCH(QString, front);
        QFETCH(QString, back);
        QFETCH(QList<int>, lessons);
        QFETCH(QStringList, rows);
        const kvtml::Document doc = readBytes(input);
        QVERIFY2(doc.ok(), qPrintable(doc.error));
        qredit::KvtmlChoice choice = qredit::defaultKvtmlChoice(doc);
        if (!front.isEmpty()) {
            choice.frontId = front;
            choice.backId = back;
        }
        if (!lessons.isEmpty()) {
            choice.lessons = lessons;
            choice.entriesInNoLesson = false;
        }
        QCOMPARE(described(qredit::kvtmlTable(doc, choice)), rows);
    }

    void lessonsAreRead() {
        const kvtml::Document doc = readBytes(
            file(kAnimals, "<container><name>Haus</name><entry id=\"0\"/><container><name>Garten</name>"
                           "<container><name>Beet</name><entry id=\"3\"/></container></container></container>"));
        QVERIFY(doc.ok());
        QCOMPARE(doc.title, QStringLiteral("Tiere"));
        QCOMPARE(doc.lessons.size(), 3);
        QCOMPARE(doc.lessons[2].path, (QStringList{"Haus", "Garten", "Beet"}));
        QCOMPARE(doc.lessons[2].depth, 2);
        QCOMPARE(doc.entriesInNoLesson, qint64(2));
        QCOMPARE(qredit::lessonTitle(doc.lessons[2]), QStringLiteral("Haus \u2013 Garten \u2013 Beet"));
        QCOMPARE(doc.identifiers.value(2).locale, QStringLiteral("fr"));
        QCOMPARE(doc.entries.value(1).line, qint64(11));
        // Elements the reader does not know, in places it knows, are passed over.
        QByteArray other = file(kAnimals);
        other.replace("<identifiers>\n", "<identifiers><comment>x</comment>\n")
            .replace("<entries>\n", "<entries><identifier id=\"9\"/>\n");
        const kvtml::Document withOther = readBytes(other);
        QVERIFY(withOther.ok());
        QCOMPARE(withOther.identifiers.size(), 3);
        QCOMPARE(withOther.entries.size(), 4);
    }

    // The line a refusal names: none for the size, the element's for the depth.
    void refusalLines() {
        QCOMPARE(readBytes(QByteArray(kvtml::kMaxKvtmlBytes + 1, ' ')).errorLine, qint64(0));
        QByteArray deep = file(entry(0, "0=a;1=b"));
        deep.replace("</entries>", "\n" + QByteArray("<x>").repeated(63) + QByteArray("</x>").repeated(63) + "</entries>");
        QCOMPARE(readBytes(deep).errorLine, qint64(12));
    }

    // Bad input: one message each, nothing read, nothing expanded or fetched.
    void refuses_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("error");
        QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE kvtml [\n <!ENTITY lol \"lol\">\n";
        for (int i = 1; i < 10; ++i)
            laughs += QStringLiteral(" <!ENTITY lol%1 \"%2\">\n")
                          .arg(i)
                          .arg(QStringLiteral("&lol%1;").arg(i == 1 ? QString() : QString::number(i - 1)).repeated(10))
                          .toUtf8();
        laughs += "]>\n<kvtml version=\"2.0\"><entries><entry id=\"0\"><translation id=\"0\"><text>&lol9;</text>"
                  "</translation></entry></entries></kvtml>\n";
        QTest::newRow("billion laughs") << laughs << "declares entities (<!ENTITY ...>), which a vocabulary file";
        QTest::newRow("one harmless entity")
            << file(kAnimals, {}, "<!DOCTYPE kvtml [<!ENTITY a \"b\">]>\n") << "declares entities";
        QTest::newRow("outside entity") << file(kAnimals, {},
                                                "<!DOCTYPE kvtml [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>\n")
                                        << "declares entities";
        QTest::newRow("outside DTD and an entity it would declare")
            << file(entry(0, "0=&xxe;;1=x"), {}, "<!DOCTYPE kvtml SYSTEM \"evil.dtd\">\n") << "xxe";
        QByteArray deep = file(entry(0, "0=a;1=b"));
        // <kvtml>, <entries> and 62 elements inside are 64 levels; one more is too deep.
        QTest::newRow("too deep") << deep.replace("</entries>", QByteArray("<x>").repeated(63) +
                                                                    QByteArray("</x>").repeated(63) + "</entries>")
                                  << "nest deeper than 64 levels";
        QTest::newRow("too big") << QByteArray(kvtml::kMaxKvtmlBytes + 1, ' ') << "larger than 64 MB";
        QTest::newRow("cut short") << file(kAnimals).left(400)
                                   << "before its elements are closed (the file is cut short)";
        QTest::newRow("not KVTML") << QByteArray("<html><body/></html>")
                                   << "no KVTML file (its first element is <html>";
        QTest::newRow("KVTML 1") << QByteArray("<kvtml encoding=\"UTF-8\"><e><o>a</o></e></kvtml>")
                                 << "KVTML version 1; only version 2 is read";
        QTest::newRow("a word list") << QByteArray("Haus,house\nBaum,tree\n") << "not well-formed XML";
        QTest::newRow("empty") << QByteArray() << "empty, or no XML";
        QTest::newRow("binary") << QByteArray("\x00\x01\xFF\xFE<kvtml", 10) << "XML";
    }
    void refuses() {
        QFETCH(QByteArray, input);
        QFETCH(QString, error);
        const kvtml::Document doc = readBytes(input);
        QVERIFY(!doc.ok());
        QVERIFY2(doc.error.contains(error), qPrintable(doc.error));
        QVERIFY(doc.entries.isEmpty() && doc.identifiers.isEmpty() && doc.lessons.isEmpty());
    }

    // 64 levels are read; the bound is on the 65th.
    void depthBoundary() {
        QByteArray deep = file(entry(0, "0=a;1=b"));
        deep.replace("</entries>", QByteArray("<x>").repeated(62) + QByteArray("</x>").repeated(62) + "</entries>");
        const kvtml::Document doc = readBytes(deep);
        QVERIFY2(doc.ok(), qPrintable(doc.error));
        QCOMPARE(doc.entries.size(), 1);
    }

    // What the writer writes reads back to the same document: texts with markup characters and
    // any script, identifiers, nested lessons.
    void writerRoundTrip() {
        kvtml::Document doc;
        doc.title = QStringLiteral("<T> & \"t\"");
        doc.identifiers = {{"0", "Deutsch", "de"}, {"1", "\u0420\u0443\u0441\u0441\u043A\u0438\u0439", "ru"}};
        const QStringList texts = {"a & b", "<tag>", "\u0434\u043E\u043C", "\U0001F600", "  spaced  ", "x]]>y"};
        for (int i = 0; i < texts.size(); ++i) {
            kvtml::Entry e;
            e.id = QString::number(i);
            e.texts.insert("0", texts[i]);
            if (i % 2 == 0)
                e.texts.insert("1", texts[texts.size() - 1 - i]);
            doc.entries.append(e);
        }
        doc.lessons = {{"A", {"A"}, 0, {0, 1}},
                       {"B", {"A", "B"}, 1, {2}},
                       {"C", {"A", "B", "C"}, 2, {3}},
                       {"D", {"D"}, 0, {4, 5}}};
        const kvtml::Document back = readBytes(kvtml::Writer::toBytes(doc));
        QVERIFY2(back.ok(), qPrintable(back.error));
        QCOMPARE(back.title, doc.title);
        QCOMPARE(back.identifiers.size(), 2);
        QCOMPARE(back.identifiers[1].name, doc.identifiers[1].name);
        QCOMPARE(back.identifiers[1].locale, QStringLiteral("ru"));
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(back.entries[i].texts, doc.entries[i].texts);
        QCOMPARE(back.lessons.size(), 4);
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(back.lessons[i].path, doc.lessons[i].path);
            QCOMPARE(back.lessons[i].entries, doc.lessons[i].entries);
        }
    }

    void init() {
        m_dir.reset(new QTemporaryDir);
        QDir::setCurrent(m_dir->path());
    }

    // The command line: a KVTML file becomes a chapter (or one per lesson) and a chapter a
    // KVTML file; problems are named and nothing is written.
    void conversions_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("chapters"); // "file: title\nfront|back..."
        const QStringList imp = {"--import", "in.kvtml", "--output", "out.qex"};
        const QString lessons = "<container><name>Haus</name><entry id=\"0\"/><entry id=\"1\"/>"
                                "<container><name>Garten</name><entry id=\"3\"/></container></container>"
                                "<container><name>Haus</name><entry id=\"2\"/></container>"
                                "<container><name>leer</name></container>";
        QTest::newRow("whole file") << file(kAnimals, lessons) << imp << 0 << ""
                                    << QStringList{"out.qex: Tiere\nHund|dog\nKatze|cat\nMaus|mouse\nVogel|bird"};
        QTest::newRow("identifiers and title")
            << file(kAnimals) << imp + QStringList{"--front", "1", "--back", "2", "--title", "F"} << 0
            << "in.kvtml: 1 card with an empty back"
            << QStringList{"out.qex: F\ndog|chien\ncat|chat\nmouse|souris\nbird|"};
        QTest::newRow("split lessons") << file(kAnimals + entry(4, "0=Fisch;1=fish"), lessons)
                                       << QStringList{"--import", "in.kvtml", "--split-lessons", "."} << 0
                                       << "in.kvtml: 1 entry in no lesson left out"
                                       << QStringList{"Haus.qex: Haus\nHund|dog\nKatze|cat",
                                                      "Haus \u2013 Garten.qex: Haus \u2013 Garten\nVogel|bird",
                                                      "Haus (2).qex: Haus\nMaus|mouse"};
        QTest::newRow("limit") << file(kAnimals) << imp + QStringList{"--limit", "3"} << 0
                               << "in.kvtml: the first 3 cards taken, 1 left out"
                               << QStringList{"out.qex: Tiere\nHund|dog\nKatze|cat\nMaus|mouse"};
        QTest::newRow("no such identifier") << file(kAnimals) << imp + QStringList{"--front", "7"} << 1
                                            << "--front takes the id of one of the file's identifiers (0 Deutsch, 1 "
                                               "English, 2 Fran\u00E7ais), not '7'"
                                            << QStringList();
        QTest::newRow("same identifier") << file(kAnimals) << imp + QStringList{"--front", "1", "--back", "1"} << 1
                                         << "--front and --back name the same identifier" << QStringList();
        QTest::newRow("delimiter") << file(kAnimals) << imp + QStringList{"--delimiter", ","} << 1
                                   << "--delimiter belongs to word lists, not KVTML files" << QStringList();
        QTest::newRow("split a word list")
            << QByteArray("a,b\n") << QStringList{"--import", "in.csv", "--split-lessons", "."} << 1
            << "--split-lessons belongs to the import of a KVTML file" << QStringList();
        QTest::newRow("split without lessons")
            << file(kAnimals) << QStringList{"--import", "in.kvtml", "--split-lessons", "."} << 1
            << "in.kvtml has no lessons to split" << QStringList();
        QTest::newRow("missing front") << file(kAnimals + entry(4, "1=fish")) << imp << 1
                                       << "in.kvtml, line 14: the front is empty" << QStringList();
        QTest::newRow("entities") << file(kAnimals, {}, "<!DOCTYPE kvtml [<!ENTITY a \"b\">]>\n") << imp << 1
                                  << "in.kvtml can't be imported: it declares entities" << QStringList();
    }
    void conversions() {
        QFETCH(QByteArray, input);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(QStringList, chapters);
        QFile f(args.value(1));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(input) == input.size());
        f.close();
        QString text;
        QCOMPARE(convert(args, text), status);
        if (said.isEmpty())
            QCOMPARE(text, QString());
        else
            QVERIFY2(text.contains(said), qPrintable(text));
        QStringList written = QDir(".").entryList({"*.qex"}, QDir::Files, QDir::Name);
        QCOMPARE(written.size(), chapters.size());
        for (const QString& c : chapters) {
            const QString name = c.section(u':', 0, 0);
            QCOMPARE(chapter(name), c.section(u':', 1).mid(1));
        }
    }

    // KVTML -> chapter -> KVTML keeps every text of the chosen languages, and their names'
    // locales become the chapter's languages in the review history.
    void roundTripAndLanguages() {
        const QString texts = entry(0, "0=Stra&#223;e &amp; Weg;1=road") +
                              entry(1, "0=\u0434\u043E\u043C;1=&lt;house&gt;") +
                              entry(2, "0=\u00E9t\u00E9 \U0001F600;1=");
        QFile f("in.kvtml");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file(texts));
        f.close();
        QString said;
        QCOMPARE(convert({"--import", "in.kvtml", "--output", "c.qex"}, said), 0);
        QCOMPARE(convert({"--export", "c.qex", "--output", "back.kvtml"}, said), 0);
        const kvtml::Document in = kvtml::Reader::readFile("in.kvtml");
        const kvtml::Document back = kvtml::Reader::readFile("back.kvtml");
        QVERIFY2(back.ok(), qPrintable(back.error));
        QCOMPARE(back.title, in.title);
        QCOMPARE(back.entries.size(), in.entries.size());
        for (int i = 0; i < in.entries.size(); ++i) {
            QCOMPARE(back.entries[i].texts.value("0"), in.entries[i].texts.value("0"));
            QCOMPARE(back.entries[i].texts.value("1"), in.entries[i].texts.value("1"));
        }
        QCOMPARE(back.lessons.size(), 1);
        QCOMPARE(back.lessons[0].name, QStringLiteral("Tiere"));
        QCOMPARE(back.lessons[0].entries.size(), 3);

        history::History h;
        QVERIFY(h.open(history::History::defaultPath()).ok());
        const auto languages = h.chapterLanguages(history::Chapter{QFileInfo("c.qex").absoluteFilePath(), "Tiere", {}});
        QVERIFY(languages.has_value());
        QCOMPARE(languages->first, QStringLiteral("de"));
        QCOMPARE(languages->second, QStringLiteral("en"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestKvtml)
#include "tst_kvtml.moc"
