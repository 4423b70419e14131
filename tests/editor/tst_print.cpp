// A chapter on paper: the page breaks of the word list, where cut-out cards sit on the front
// and the mirrored back of a sheet, and the text of the PDF files qredit --pdf writes, read
// back with pdftotext (poppler-utils) where it is installed.
#include "chapterfile.h"
#include "commandline.h"
#include "printlayout.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

using qredit::CardRow;

namespace {
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

// The text of pages [first, last] of a PDF file, laid out as on the page. Arabic comes out in
// the shapes drawn (presentation forms) between direction marks: folded back to letters.
QString pdfText(const QString& path, int first, int last) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"),
            {"-layout", "-f", QString::number(first), "-l", QString::number(last), path, "-"});
    p.waitForFinished(30000);
    QString text = QString::fromUtf8(p.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
    for (const char16_t mark : {u'\u202A', u'\u202B', u'\u202C', u'\u202D', u'\u202E'})
        text.remove(QChar(mark));
    return text;
}
} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void listPages_data() {
        QTest::addColumn<QVector<int>>("heights");
        QTest::addColumn<int>("firstRoom");
        QTest::addColumn<int>("room");
        QTest::addColumn<QStringList>("pages"); // "first+count"
        QTest::newRow("no rows") << QVector<int>() << 30 << 50 << QStringList{"0+0"};
        QTest::newRow("all on the first") << QVector<int>{10, 10, 10} << 30 << 50 << QStringList{"0+3"};
        QTest::newRow("one over the first") << QVector<int>{10, 10, 10} << 29 << 50 << QStringList{"0+2", "2+1"};
        QTest::newRow("first page smaller") << QVector<int>(7, 10) << 20 << 40 << QStringList{"0+2", "2+4", "6+1"};
        QTest::newRow("row taller than a page")
            << QVector<int>{10, 80, 10} << 50 << 50 << QStringList{"0+1", "1+1", "2+1"};
        QTest::newRow("tall row first") << QVector<int>{80, 10} << 50 << 50 << QStringList{"0+1", "1+1"};
        QTest::newRow("an empty row fits a full page") << QVector<int>{10, 0} << 10 << 10 << QStringList{"0+2"};
    }
    void listPages() {
        QFETCH(QVector<int>, heights);
        QFETCH(int, firstRoom);
        QFETCH(int, room);
        QFETCH(QStringList, pages);
        QStringList got;
        for (const qredit::ListPage& p : qredit::listPages(heights, firstRoom, room))
            got << QStringLiteral("%1+%2").arg(p.first).arg(p.count);
        QCOMPARE(got, pages);
    }

    // Each back sits behind its front: on the back page a card's column is mirrored.
    void cardPages_data() {
        QTest::addColumn<int>("cards");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("pages"); // "F|B: card@column,row ..."
        QTest::newRow("none") << 0 << 3 << 5 << QStringList();
        QTest::newRow("a row and one more")
            << 4 << 3 << 1 << QStringList{"F 0@0,0 1@1,0 2@2,0", "B 0@2,0 1@1,0 2@0,0", "F 3@0,0", "B 3@2,0"};
        QTest::newRow("two by two") << 4 << 2 << 2
                                    << QStringList{"F 0@0,0 1@1,0 2@0,1 3@1,1", "B 0@1,0 1@0,0 2@1,1 3@0,1"};
        QTest::newRow("one column") << 3 << 1 << 2
                                    << QStringList{"F 0@0,0 1@0,1", "B 0@0,0 1@0,1", "F 2@0,0", "B 2@0,0"};
    }
    void cardPages() {
        QFETCH(int, cards);
        QFETCH(int, columns);
        QFETCH(int, rows);
        QFETCH(QStringList, pages);
        QStringList got;
        for (const qredit::CardPage& p : qredit::cardPages(cards, columns, rows)) {
            QString line = p.backs ? QStringLiteral("B") : QStringLiteral("F");
            for (const qredit::CardCell& c : p.cells)
                line += QStringLiteral(" %1@%2,%3").arg(c.card).arg(c.column).arg(c.row);
            got << line;
        }
        QCOMPARE(got, pages);
    }

    void init() {
        m_dir.reset(new QTemporaryDir);
        QDir::setCurrent(m_dir->path());
    }

    // The word list: the title, every text in any script, the page numbers.
    void pdfList() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVector<CardRow> rows = {{"Haus", "house"},
                                 {QStringLiteral("\u0434\u043E\u043C"), QStringLiteral("\u05D1\u05D9\u05EA")},
                                 {QStringLiteral("\u5BB6"), QStringLiteral("\u0628\u064A\u062A")}};
        for (int i = 0; i < 80; ++i)
            rows.append({QStringLiteral("Wort%1").arg(i), QStringLiteral("word%1").arg(i)});
        QString error, said;
        QVERIFY(qredit::saveChapter("c.qex", rows, QStringLiteral("Lektion \u0395\u03BD\u03B1"), error));
        QCOMPARE(convert({"--pdf", "c.qex", "--output", "c.pdf"}, said), 0);
        QCOMPARE(said, QString());
        const QString first = pdfText("c.pdf", 1, 1);
        QVERIFY2(first.contains(QStringLiteral("Lektion \u0395\u03BD\u03B1")), qPrintable(first));
        for (const QString& t :
             {QStringLiteral("house"), QStringLiteral("\u0434\u043E\u043C"), QStringLiteral("\u05D1\u05D9\u05EA"),
              QStringLiteral("\u5BB6"), QStringLiteral("\u0628\u064A\u062A")})
            QVERIFY2(first.contains(t), qPrintable(t));
        const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Page 1 of (\\d+)")).match(first);
        QVERIFY2(m.hasMatch(), qPrintable(first));
        const int pages = m.captured(1).toInt();
        QVERIFY(pages >= 2);
        const QString last = pdfText("c.pdf", pages, pages);
        QVERIFY(last.contains(QStringLiteral("Wort79")) && last.contains(QStringLiteral("Page %1 of %1").arg(pages)));
        QVERIFY(!last.contains(QStringLiteral("Lektion")));
        // Every row once, in order, over the pages.
        const QString all = pdfText("c.pdf", 1, pages);
        qsizetype at = 0;
        for (int i = 0; i < 80; ++i) {
            const qsizetype next = all.indexOf(QRegularExpression(QStringLiteral("\\bWort%1\\b").arg(i)), at);
            QVERIFY2(next > at, qPrintable(QString::number(i)));
            at = next;
        }
    }

    // Cut-out cards: fronts on the odd page, their backs on the even page, mirrored.
    void pdfCards() {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVector<CardRow> rows;
        for (int i = 0; i < 16; ++i)
            rows.append(
                {QStringLiteral("F%1x").arg(i, 2, 10, QChar(u'0')), QStringLiteral("B%1x").arg(i, 2, 10, QChar(u'0'))});
        QString error, said;
        QVERIFY(qredit::saveChapter("c.qex", rows, "T", error));
        QCOMPARE(convert({"--pdf", "c.qex", "--output", "c.pdf", "--cards"}, said), 0);
        const QString fronts = pdfText("c.pdf", 1, 1), backs = pdfText("c.pdf", 2, 2);
        QVERIFY(fronts.contains("F00x") && fronts.contains("F14x") && !fronts.contains("B00x") &&
                !fronts.contains("F15x"));
        QVERIFY(backs.contains("B00x") && backs.contains("B14x") && !backs.contains("F00x"));
        // The first row reads F00 F01 F02 on the front and B02 B01 B00 on the back.
        QVERIFY(fronts.indexOf("F00x") < fronts.indexOf("F02x"));
        QVERIFY2(backs.indexOf("B02x") < backs.indexOf("B00x"), qPrintable(backs));
        QVERIFY(pdfText("c.pdf", 3, 3).contains("F15x"));
        QVERIFY(pdfText("c.pdf", 4, 4).contains("B15x"));
    }

    void pdfRefusals_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("not a pdf") << QStringList{"--pdf", "c.qex", "--output", "c.csv"}
                                   << "the output's name must end in .pdf";
        QTest::newRow("cards without pdf")
            << QStringList{"--export", "c.qex", "--output", "c.csv", "--cards"} << "--cards belongs to --pdf";
        QTest::newRow("not a chapter") << QStringList{"--pdf", "w.csv", "--output", "c.pdf"}
                                       << "w.csv is not a chapter file";
        QTest::newRow("two things") << QStringList{"--pdf", "c.qex", "--export", "c.qex", "--output", "c.pdf"}
                                    << "give one of --import, --export and --pdf";
        QTest::newRow("title") << QStringList{"--pdf", "c.qex", "--output", "c.pdf", "--title", "x"}
                               << "--title belongs to --import";
    }
    void pdfRefusals() {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        QString error, text;
        QVERIFY(qredit::saveChapter("c.qex", {{"a", "b"}}, "T", error));
        QFile w("w.csv");
        QVERIFY(w.open(QIODevice::WriteOnly) && w.write("a,b\n") == 4);
        w.close();
        QCOMPARE(convert(args, text), 1);
        QVERIFY2(text.contains(said), qPrintable(text));
        QVERIFY(!QFile::exists("c.pdf") && !QFile::exists("c.csv"));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestPrint)
#include "tst_print.moc"
