// The statistics export: the table's lines to the character, the file's bytes, the dialog.
#include "appstate.h"
#include "deck.h"
#include "filetext.h"
#include "scripttexts.h"
#include "statistics.h"
#include "testsupport.h"
#include "version.h"
#include "westerntexts.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/resource.h>

namespace {

Card makeCard(const QString& q, const QString& a, qint16 trouble = 0, qint16 views = 0,
              const QString& title = QStringLiteral("Lesson 1")) {
    Card c;
    c.question = q;
    c.answer = a;
    c.tag = QStringLiteral("qre_word");
    c.trouble = trouble;
    c.timesviewed = views;
    c.chaptertitle = title;
    return c;
}

QString sp(int n) {
    return QString(n, QLatin1Char(' '));
}

// The columns after the answer: trouble field and view count, then the chapter.
QString tail(const QString& t, int views, const QString& title) {
    return sp(19 - int(t.size())) + t + sp(17) + QString::number(views) + title;
}

const QString kFixedTail = QStringLiteral(" == TROUBLE? ==  == TIMES VIEWED ==  == CHAPTER == ");

const QDateTime kNoon(QDate(2024, 3, 5), QTime(14, 5, 9));

// The file's bytes as the lines give them: the encoding chosen over whole lines, each line
// encoded whole and ended by CR LF.
QByteArray bytesOfLines(const QStringList& lines) {
    FileText::EncodingChoice choice;
    for (const QString& line : lines)
        choice.add(line);
    QByteArray bytes = choice.encoding() == TextEncoding::Utf8 ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const QString& line : lines)
        bytes += FileText::encode(line, choice.encoding()) + "\r\n";
    return bytes;
}

// The file without its second line, which holds the time of writing.
QByteArray withoutDateLine(QByteArray bytes) {
    const qsizetype from = bytes.indexOf("\r\n") + 2;
    bytes.remove(from, bytes.indexOf("\r\n", from) + 2 - from);
    return bytes;
}

QVector<Card> numberedDeck(int n) {
    QVector<Card> d;
    for (int i = 0; i < n; ++i)
        d.append(makeCard(QStringLiteral("Frage Nummer %1").arg(i), QStringLiteral("question %1").arg(i), qint16(-(i % 2)),
                          qint16(i % 7), QStringLiteral("Kapitel %1").arg(i / 500)));
    d.append(Card());
    return d;
}

} // namespace

class TestStatistics : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void fixedLines();
    void columnWidths_data();
    void columnWidths();
    void troubleCardLine();
    void noLineForSpare();
    void generatedDate_data();
    void generatedDate();

    void writesWindows1252WithCrLf();
    void windows1252FileKeepsItsBytes();
    void scriptsInUtf8_data();
    void scriptsInUtf8();
    void replacesExistingFile();
    void writeFailureReported_data();
    void writeFailureReported();
    void fileAsTheLinesGive_data();
    void fileAsTheLinesGive();
    void writeFailureMidwayKeepsOldFile();
    void exportAsksForFile();
    void exportCancelled();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    QByteArray readFile(const QString& name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<RecordingShell> m_shell;
};

void TestStatistics::init() {
    AppState::reset();
    FlushDeck(true);
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    app().homeFolder = m_dir->path();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_shell = std::make_unique<RecordingShell>();
}

void TestStatistics::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(", ")));
    m_shell.reset();
    m_prompter.reset();
    m_dialogs.reset();
    m_dir.reset();
}

QByteArray TestStatistics::readFile(const QString& name) const {
    QFile f(path(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

void TestStatistics::fixedLines() {
    const QStringList lines =
        statisticsLines({makeCard(QStringLiteral("Haus"), QStringLiteral("house")), Card()}, kNoon);
    QCOMPARE(lines.size(), 7);
    QCOMPARE(lines[0], QStringLiteral("QUARNEL STATISTICS FILE"));
    QVERIFY(lines[1].startsWith(QStringLiteral("Automatically generated on ")));
    QCOMPARE(lines[2], QStringLiteral("Quarnel v.1.15.281 - Orvandel"));
    QCOMPARE(lines[3], QStringLiteral("NOTE: 'Times Viewed' data is for this session only"));
    QCOMPARE(lines[4], QString());
    // Longest question 4 and answer 5: widths 8 and 9, so the headings start their columns.
    QCOMPARE(lines[5], QStringLiteral(" == QUESTION ==  == ANSWER == ") + kFixedTail);
    QCOMPARE(lines[6], sp(4) + QStringLiteral("Haus") + sp(4) + QStringLiteral("house") +
                           tail(QStringLiteral("NO"), 0, QStringLiteral("Lesson 1")));
}

void TestStatistics::columnWidths_data() {
    QTest::addColumn<QStringList>("questions");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<int>("qw");
    QTest::addColumn<int>("aw");
    // A width grows only past its current value, to the text + 4; the order decides.
    QTest::newRow("10 then 12") << QStringList{"aaaaaaaaaa", "bbbbbbbbbbbb"} << QStringList{"x", "y"} << 14 << 5;
    QTest::newRow("12 then 10") << QStringList{"bbbbbbbbbbbb", "aaaaaaaaaa"} << QStringList{"x", "y"} << 16 << 5;
    QTest::newRow("20 then 24") << QStringList{QString(20, 'q'), QString(24, 'r')} << QStringList{"x", "y"} << 24 << 5;
    QTest::newRow("20 then 25") << QStringList{QString(20, 'q'), QString(25, 'r')} << QStringList{"x", "y"} << 29 << 5;
    QTest::newRow("answers 3, 30, 31") << QStringList{"a", "b", "c"}
                                       << QStringList{"abc", QString(30, 'n'), QString(31, 'm')} << 5 << 34;
    QTest::newRow("empty texts") << QStringList{"", ""} << QStringList{"", ""} << 0 << 0;
}

void TestStatistics::columnWidths() {
    QFETCH(QStringList, questions);
    QFETCH(QStringList, answers);
    QFETCH(int, qw);
    QFETCH(int, aw);
    QVector<Card> d;
    for (int i = 0; i < questions.size(); ++i)
        d << makeCard(questions[i], answers[i], 0, qint16(i));
    d << Card();
    const QStringList lines = statisticsLines(d, kNoon);
    QCOMPARE(lines.size(), 6 + questions.size());
    QCOMPARE(lines[5], sp(qw - 16) + QStringLiteral(" == QUESTION == ") + sp(aw - 14) +
                           QStringLiteral(" == ANSWER == ") + kFixedTail);
    for (int i = 0; i < questions.size(); ++i) {
        const QString expected = sp(qw - int(questions[i].size())) + questions[i] + sp(aw - int(answers[i].size())) +
                                 answers[i] + tail(QStringLiteral("NO"), i, QStringLiteral("Lesson 1"));
        QCOMPARE(lines[6 + i], expected);
    }
}

void TestStatistics::troubleCardLine() {
    const QStringList lines =
        statisticsLines({makeCard(QStringLiteral("Haus"), QStringLiteral("house"), -1, 3), Card()}, kNoon);
    const QString expectedEnd = sp(16) + QStringLiteral("YES") + sp(17) + QStringLiteral("3Lesson 1");
    QVERIFY2(lines[6].endsWith(expectedEnd), qPrintable(lines[6]));
    QCOMPARE(lines[6], QStringLiteral("    Haus    house") + expectedEnd);
    const QStringList wide = statisticsLines(
        {makeCard(QString(20, 'q'), QString(20, 'a'), -1, 3),
         makeCard(QStringLiteral("kurz"), QStringLiteral("short"), 0, 12, QStringLiteral("L2")), Card()},
        kNoon);
    // With columns wider than their headings, the trouble and view columns stand under theirs.
    const qsizetype answerEnd = 24 + 24;
    QCOMPARE(wide[5].mid(answerEnd, 36), QStringLiteral(" == TROUBLE? ==  == TIMES VIEWED == "));
    QCOMPARE(wide[6].mid(answerEnd + 16, 3), QStringLiteral("YES"));
    QCOMPARE(wide[6].mid(answerEnd + 36), QStringLiteral("3Lesson 1"));
    QCOMPARE(wide[7].mid(answerEnd + 17, 2), QStringLiteral("NO"));
    QCOMPARE(wide[7].mid(answerEnd + 19), sp(17) + QStringLiteral("12L2"));
}

void TestStatistics::noLineForSpare() {
    QVector<Card> d{makeCard(QStringLiteral("eins"), QStringLiteral("one")),
                    makeCard(QStringLiteral("zwei"), QStringLiteral("two")), Card()};
    d.last().trouble = -1; // a spare with trouble-by-default still has no line
    const QStringList lines = statisticsLines(d, kNoon);
    QCOMPARE(lines.size(), 8);
    QVERIFY(lines[6].contains(QLatin1String("eins")));
    QVERIFY(lines[7].contains(QLatin1String("zwei")));
    QCOMPARE(statisticsLines(QVector<Card>(1), kNoon).size(), 6);
}

void TestStatistics::generatedDate_data() {
    QTest::addColumn<QDateTime>("now");
    QTest::addColumn<QString>("expected");
    QTest::newRow("afternoon") << kNoon << QStringLiteral("5 Mar 2024 14:05:09");
    QTest::newRow("midnight") << QDateTime(QDate(2024, 12, 31), QTime(0, 0)) << QStringLiteral("31 Dec 2024");
    QTest::newRow("a second past") << QDateTime(QDate(2024, 12, 31), QTime(0, 0, 1))
                                   << QStringLiteral("31 Dec 2024 00:00:01");
}

void TestStatistics::generatedDate() {
    QFETCH(QDateTime, now);
    QFETCH(QString, expected);
    if (QLocale::system().name() != QLatin1String("C"))
        QSKIP("the expected texts are those of the C locale the tests pin");
    QCOMPARE(statisticsLines(QVector<Card>(1), now)[1], QStringLiteral("Automatically generated on ") + expected);
}

void TestStatistics::writesWindows1252WithCrLf() {
    deck = {makeCard(QStringLiteral("Größe"), QStringLiteral("size"), -1, 2, QStringLiteral("Übung")), Card()};
    QObject owner;
    QVERIFY(WriteStatistics(path(QStringLiteral("stats.txt")), &owner));
    const QByteArray bytes = readFile(QStringLiteral("stats.txt"));
    QVERIFY(bytes.endsWith("\r\n"));
    QVERIFY(!bytes.endsWith("\r\n\r\n"));
    const QList<QByteArray> lines = bytes.chopped(2).split('\n');
    QCOMPARE(lines.size(), 7);
    for (const QByteArray& l : lines.first(6))
        QVERIFY(l.endsWith('\r'));
    QCOMPARE(lines[4], QByteArray("\r"));
    const QByteArray card = QByteArray(4, ' ') +
                            "Gr\xF6\xDF"
                            "e" +
                            QByteArray(4, ' ') + "size" + QByteArray(16, ' ') + "YES" + QByteArray(17, ' ') +
                            "2\xDC"
                            "bung";
    QCOMPARE(lines[6], card);
    QCOMPARE(m_shell->urls, QStringList({path(QStringLiteral("stats.txt"))}));
    QVERIFY(m_shell->programs.isEmpty());
}

void TestStatistics::windows1252FileKeepsItsBytes() {
    QVector<Card> d;
    int i = 0;
    for (const auto& [q, a] : westerntexts::cards()) {
        d.append(makeCard(q, a, qint16((i % 2) ? -1 : 0), qint16(i * 3), westerntexts::chapterTitle()));
        ++i;
    }
    d.append(Card());
    QFile f(QStringLiteral(QUARNEL_TEST_DATA "/western-statistics.txt"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    // The version line follows the program's version; everything else is as it was.
    QByteArray expected = f.readAll();
    expected.replace("Quarnel v.1.15.281",
                     QStringLiteral("Quarnel v.%1.%2.%3").arg(kAppMajor).arg(kAppMinor).arg(kAppRevision).toLatin1());
    QCOMPARE(statisticsBytes(d, QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9))), expected);
}

void TestStatistics::scriptsInUtf8_data() {
    scripttexts::addRows();
}

// A file with any text outside Windows-1252 is UTF-8 after a byte-order mark, and its
// columns count characters (an emoji is one, though two units in memory).
void TestStatistics::scriptsInUtf8() {
    QFETCH(QString, question);
    QFETCH(QString, answer);
    QFETCH(QString, title);
    const QVector<Card> d{makeCard(question, answer, 0, 1, title), makeCard("Haus", "house"), Card()};
    const QByteArray bytes = statisticsBytes(d, kNoon);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(lines.mid(0, lines.size() - 1), statisticsLines(d, kNoon));
    const int q = int(question.toUcs4().size()), a = int(answer.toUcs4().size());
    QCOMPARE(lines.at(6), sp(4) + question + sp(4) + answer + tail("NO", 1, title));
    QCOMPARE(lines.at(7), sp(q) + "Haus" + sp(a - 1) + "house" + tail("NO", 0, "Lesson 1"));
}

void TestStatistics::replacesExistingFile() {
    {
        QFile f(path(QStringLiteral("stats.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(20000, 'z'));
    }
    deck = {makeCard(QStringLiteral("a"), QStringLiteral("b")), Card()};
    QVERIFY(WriteStatistics(path(QStringLiteral("stats.txt")), nullptr));
    const QByteArray bytes = readFile(QStringLiteral("stats.txt"));
    QVERIFY(bytes.startsWith("QUARNEL STATISTICS FILE\r\n"));
    QVERIFY(!bytes.contains('z'));
    QCOMPARE(bytes.count('\n'), 7);
}

void TestStatistics::writeFailureReported_data() {
    QTest::addColumn<QString>("target");
    QTest::newRow("folder is a file") << QStringLiteral("plain/stats.txt");
    QTest::newRow("missing folder") << QStringLiteral("nowhere/stats.txt");
    QTest::newRow("target is a folder") << QStringLiteral("folder.txt");
}

void TestStatistics::writeFailureReported() {
    QFETCH(QString, target);
    {
        QFile f(path(QStringLiteral("plain")));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.txt")));
    deck = {makeCard(QStringLiteral("a"), QStringLiteral("b")), Card()};
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export cards"));
    QVERIFY(!WriteStatistics(path(target), nullptr));
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    const QString prefix = QStringLiteral("The file '") + path(target) + QStringLiteral("' couldn't be written: ");
    QVERIFY2(m_prompter->boxes[0].text.startsWith(prefix), qPrintable(m_prompter->boxes[0].text));
    QVERIFY(m_prompter->boxes[0].text.size() > prefix.size());
    QVERIFY(!QFileInfo(path(target)).isFile());
    QVERIFY(m_shell->urls.isEmpty());
}

void TestStatistics::fileAsTheLinesGive_data() {
    QTest::addColumn<QVector<Card>>("cards");
    QTest::newRow("Windows-1252, one block") << numberedDeck(10);
    QTest::newRow("Windows-1252, many blocks") << numberedDeck(4000);
    QVector<Card> last = numberedDeck(4000);
    last[3999].answer = QStringLiteral("\u0434\u043E\u043C"); // only the last card needs UTF-8
    QTest::newRow("UTF-8 for the last card") << last;
    QVector<Card> first = numberedDeck(4000);
    first[0].chaptertitle = QStringLiteral("\u0423\u0440\u043E\u043A");
    QTest::newRow("UTF-8 for the first chapter") << first;
    // The widths leave no space between this question and answer, so a high surrogate that
    // ends the question and a low one that starts the answer make one character of the line.
    QTest::newRow("pair across two columns")
        << QVector<Card>{makeCard("abcdef", "wxyz"),
                         makeCard(QStringLiteral("123456789") + QChar(0xD83D), QChar(0xDE00) + QStringLiteral("bcdefgh")),
                         Card()};
}

// What is written is what the lines give, however many blocks it takes.
void TestStatistics::fileAsTheLinesGive() {
    QFETCH(QVector<Card>, cards);
    const QByteArray expected = bytesOfLines(statisticsLines(cards, kNoon));
    QCOMPARE(statisticsBytes(cards, kNoon), expected);
    deck = cards;
    QVERIFY(WriteStatistics(path(QStringLiteral("stats.txt")), nullptr));
    QCOMPARE(withoutDateLine(readFile(QStringLiteral("stats.txt"))), withoutDateLine(expected));
}

// A write that fails after the first blocks (here the file size limit) is reported, and the
// file that was there stays as it was.
void TestStatistics::writeFailureMidwayKeepsOldFile() {
    {
        QFile f(path(QStringLiteral("stats.txt")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("old statistics");
    }
    deck = numberedDeck(4000);
    QVERIFY(statisticsBytes(deck, kNoon).size() > 200000);
    rlimit before{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 150000;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't export cards"));
    const bool written = WriteStatistics(path(QStringLiteral("stats.txt")), nullptr);
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    QVERIFY(!written);
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].text, QStringLiteral("The file '") + path(QStringLiteral("stats.txt")) +
                                            QStringLiteral("' couldn't be written: ") + QString::fromLocal8Bit(strerror(EFBIG)));
    QCOMPARE(readFile(QStringLiteral("stats.txt")), QByteArray("old statistics"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("stats.txt")});
    QVERIFY(m_shell->urls.isEmpty());
}

void TestStatistics::exportAsksForFile() {
    deck = {makeCard(QStringLiteral("a"), QStringLiteral("b")), Card()};
    QObject owner;
    m_dialogs->answerFile(path(QStringLiteral("out.txt")));
    ExportCardsCommand(&owner);
    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    const FileDialogRequest& req = m_dialogs->fileRequests[0];
    QVERIFY(req.save);
    QVERIFY(req.title.isEmpty());
    QVERIFY(req.fileName.isEmpty());
    QCOMPARE(req.filterParts, QStringList({QStringLiteral("*.txt")}));
    QCOMPARE(req.filterIndex, 1);
    QCOMPARE(req.defaultExt, QStringLiteral("txt"));
    QCOMPARE(req.initDir, m_dir->path());
    QCOMPARE(req.flags, uint32_t(0x2 | 0x4));
    QCOMPARE(req.owner, &owner);
    QVERIFY(readFile(QStringLiteral("out.txt")).startsWith("QUARNEL STATISTICS FILE\r\n"));
    QCOMPARE(m_shell->urls, QStringList({path(QStringLiteral("out.txt"))}));
}

void TestStatistics::exportCancelled() {
    deck = {makeCard(QStringLiteral("a"), QStringLiteral("b")), Card()};
    m_dialogs->cancelFile();
    ExportCardsCommand(nullptr);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY(m_shell->urls.isEmpty());
    QVERIFY(m_prompter->boxes.isEmpty());
}

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
