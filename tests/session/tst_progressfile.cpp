// Progress files: the byte layout, the save and load commands, and untrusted input.
#include "appstate.h"
#include "deck.h"
#include "progressfile.h"
#include "scripttexts.h"
#include "testsupport.h"
#include "westerntexts.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <sys/stat.h>

namespace {

Card makeCard(const QString& q, const QString& a, qint16 trouble, qint16 views, const QString& title) {
    Card c;
    c.question = q;
    c.answer = a;
    c.tag = QStringLiteral("qre_word");
    c.trouble = trouble;
    c.timesviewed = views;
    c.chaptertitle = title;
    return c;
}

bool sameCard(const Card& a, const Card& b) {
    return a.question == b.question && a.answer == b.answer && a.tag == b.tag && a.reserved == b.reserved &&
           a.trouble == b.trouble && a.timesviewed == b.timesviewed && a.chaptertitle == b.chaptertitle;
}

void compareDecks(const QVector<Card>& actual, const QVector<Card>& expected) {
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i < actual.size(); ++i)
        QVERIFY2(sameCard(actual[i], expected[i]), qPrintable(QStringLiteral("slot %1 differs").arg(i)));
}

QVector<Card> threeCards() {
    return {makeCard(QStringLiteral("Haus"), QStringLiteral("house"), -1, 3, QStringLiteral("Lesson 1")),
            makeCard(QStringLiteral("Baum"), QStringLiteral("tree"), 0, 1, QStringLiteral("Lesson 1")),
            makeCard(QStringLiteral("Hund"), QStringLiteral("dog"), 0, 0, QStringLiteral("Lesson 2")), Card()};
}

QByteArray writeToBytes(const QVector<Card>& d) {
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QString error;
    if (!writeProgress(buf, d, &error))
        qWarning("writeProgress failed: %s", qPrintable(error));
    return buf.data();
}

// Hands out its bytes a few at a time and cannot say how many it holds, like a pipe.
class TrickleDevice : public QIODevice {
public:
    explicit TrickleDevice(const QByteArray& data) : m_data(data) { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override {
        const qint64 n = std::min<qint64>({max, m_data.size() - m_pos, 3});
        if (n <= 0)
            return -1;
        memcpy(out, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

// What reading a progress file gave.
struct Read {
    bool ok = false;
    QString error;
    ProgressData data;
};

Read readFrom(QIODevice& in) {
    Read r;
    r.ok = readProgress(in, r.data, &r.error);
    return r;
}

Read readBytes(const QByteArray& bytes) {
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    return readFrom(in);
}

// The same bytes from a random-access device and from one that hands them out like a pipe.
std::array<Read, 2> readBothWays(const QByteArray& bytes) {
    TrickleDevice pipe(bytes);
    return {readBytes(bytes), readFrom(pipe)};
}

QByteArray fromHex(const char* hex) {
    return QByteArray::fromHex(QByteArray(hex).replace(' ', ""));
}

} // namespace

class TestProgressFile : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesCountAndRecords();
    void writesExampleRecordByteForByte();
    void writesSpareTroubleFlag();
    void encodesGermanLettersInWindows1252();
    void refusesOverlongText();
    void windows1252FileKeepsItsBytes();
    void scriptsRoundTrip_data();
    void scriptsRoundTrip();
    void trailerOnlyWhenNothingFollows_data();
    void trailerOnlyWhenNothingFollows();
    void writeFailureIsReported();

    void readsFromDeviceInPieces();
    void readsTruncatedFileAsEmptyCards();
    void rejectsBadInput_data();
    void rejectsBadInput();
    void cutFileKeepsWholeRecords_data();
    void cutFileKeepsWholeRecords();
    void randomInputNeverCrashes();

    void saveWritesFileAndLogs();
    void saveReplacesExistingFile();
    void saveCancelled();
    void saveFailureLeavesNoFile_data();
    void saveFailureLeavesNoFile();
    void saveRefusesOverlongTextKeepingOldFile();

    void loadReplacesDeck();
    void loadRestoresOrderAfterShuffle();
    void loadChecksExtension_data();
    void loadChecksExtension();
    void loadCancelledOrMissingFile();
    void loadBadFileLeavesDeck_data();
    void loadBadFileLeavesDeck();
    void cutFileLoadsAndTellsUser_data();
    void cutFileLoadsAndTellsUser();
    void fileCutOnBoundaryLoadsSilently_data();
    void fileCutOnBoundaryLoadsSilently();
    void fileWithoutCardsLeavesBlackWindow_data();
    void fileWithoutCardsLeavesBlackWindow();

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    void writeFile(const QString& name, const QByteArray& bytes) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<LogRecorder> m_log;
    QString m_oldCwd;
};

void TestProgressFile::init() {
    AppState::reset();
    FlushDeck(true);
    troubledefault = false;
    curcard = 0;
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    app().homeFolder = m_dir->path();
    m_oldCwd = QDir::currentPath();
    QDir::setCurrent(m_dir->path());
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_log = std::make_unique<LogRecorder>();
}

void TestProgressFile::cleanup() {
    if (m_prompter)
        QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    if (m_dialogs)
        QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(", ")));
    m_log.reset();
    m_prompter.reset();
    m_dialogs.reset();
    QDir::setCurrent(m_oldCwd);
    m_dir.reset();
}

void TestProgressFile::writeFile(const QString& name, const QByteArray& bytes) const {
    QFile f(path(name));
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void TestProgressFile::writesCountAndRecords() {
    const QByteArray bytes = writeToBytes(threeCards());
    // N = 3, then four records; the spare is the last 14 bytes, all zero with trouble default off.
    QCOMPARE(bytes.left(2), fromHex("03 00"));
    QCOMPARE(bytes.right(14), QByteArray(14, '\0'));
    const qsizetype texts = (4 + 5 + 8 + 8) + (4 + 4 + 8 + 8) + (4 + 3 + 8 + 8);
    QCOMPARE(bytes.size(), 2 + 4 * 14 + texts);

    const Read r = readBytes(bytes);
    QVERIFY2(r.ok, qPrintable(r.error));
    QCOMPARE(r.data.n, qint16(3));
    QCOMPARE(r.data.recordsRead, 4);
    compareDecks(r.data.cards, threeCards());
}

void TestProgressFile::writesExampleRecordByteForByte() {
    QVector<Card> d{makeCard(QStringLiteral("Haus"), QStringLiteral("house"), -1, 3, QStringLiteral("Lesson 1")),
                    Card()};
    const QByteArray bytes = writeToBytes(d);
    const QByteArray record = QByteArray::fromHex("0400") + "Haus" + QByteArray::fromHex("0500") + "house" +
                              QByteArray::fromHex("0800") + "qre_word" + fromHex("0000 FFFF 0300 0800") + "Lesson 1";
    QCOMPARE(record.size(), 39);
    QCOMPARE(bytes, fromHex("0100") + record + QByteArray(14, '\0'));
}

void TestProgressFile::writesSpareTroubleFlag() {
    QVector<Card> d(1);
    d[0].trouble = -1; // the trouble flags were last reset with trouble-by-default on
    QCOMPARE(writeToBytes(d), fromHex("0000 0000 0000 0000 0000 FFFF 0000 0000"));
}

void TestProgressFile::encodesGermanLettersInWindows1252() {
    QVector<Card> d{
        makeCard(QStringLiteral("Größe"), QStringLiteral("Äpfel Übel Öl ü ä ö"), 0, 0, QStringLiteral("Straße")),
        Card()};
    const QByteArray bytes = writeToBytes(d);
    QCOMPARE(bytes.mid(2, 7), fromHex("0500 47 72 F6 DF 65"));
    QVERIFY(bytes.contains(fromHex("C4 70 66 65 6C 20 DC 62 65 6C 20 D6 6C 20 FC 20 E4 20 F6")));
    QVERIFY(bytes.contains(fromHex("0600 53 74 72 61 DF 65")));

    const Read r = readBytes(bytes);
    QVERIFY(r.ok);
    compareDecks(r.data.cards, d);
}

// The deck of the file in the test data, written before any file could hold UTF-8.
QVector<Card> westernDeck() {
    QVector<Card> d;
    int i = 0;
    for (const auto& [q, a] : westerntexts::cards()) {
        d.append(makeCard(q, a, qint16((i % 2) ? -1 : 0), qint16(i * 3), westerntexts::chapterTitle()));
        ++i;
    }
    d.append(Card());
    return d;
}

void TestProgressFile::windows1252FileKeepsItsBytes() {
    QFile f(QStringLiteral(QUARNEL_TEST_DATA "/western-progress.qrs"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray before = f.readAll();
    QCOMPARE(writeToBytes(westernDeck()), before);
    const Read r = readBytes(before);
    QVERIFY(r.ok);
    compareDecks(r.data.cards, westernDeck());
}

void TestProgressFile::scriptsRoundTrip_data() {
    scripttexts::addRows();
}

void TestProgressFile::scriptsRoundTrip() {
    QFETCH(QString, question);
    QFETCH(QString, answer);
    QFETCH(QString, title);
    const QVector<Card> d{makeCard(question, answer, -1, 2, title), makeCard("Haus", "house", 0, 1, "Lesson 1"),
                          Card()};
    const QByteArray bytes = writeToBytes(d);
    QVERIFY(bytes.endsWith(QByteArray("\x05\x00UTF-8", 7)));
    QVERIFY(bytes.contains(question.toUtf8()));
    for (const Read& r : readBothWays(bytes)) {
        QVERIFY2(r.ok, qPrintable(r.error));
        compareDecks(r.data.cards, d);
    }
}

// The trailer counts only right after the spare record with nothing behind it; anything else
// leaves the file Windows-1252 (the bytes C3 BC read as two letters).
void TestProgressFile::trailerOnlyWhenNothingFollows_data() {
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<QString>("question");
    const QByteArray trailer("\x05\x00UTF-8", 7);
    QTest::newRow("trailer") << trailer << QStringLiteral("\u00FC");
    QTest::newRow("byte after the trailer") << trailer + "x" << QStringLiteral("\u00C3\u00BC");
    QTest::newRow("other text") << QByteArray("\x05\x00UTF-9", 7) << QStringLiteral("\u00C3\u00BC");
    QTest::newRow("no trailer") << QByteArray() << QStringLiteral("\u00C3\u00BC");
    // The spare record's chapter title is "UTF-8": the file ends in the same 7 bytes, but they
    // are part of the record, so nothing follows it.
    QTest::newRow("last text is UTF-8") << QByteArray("-") << QStringLiteral("\u00C3\u00BC");
}

void TestProgressFile::trailerOnlyWhenNothingFollows() {
    QFETCH(QByteArray, tail);
    QFETCH(QString, question);
    // Count 1: one card "C3 BC" and the empty spare record.
    QByteArray bytes = QByteArray::fromHex("0100"
                                                 "0200C3BC"
                                                 "0000"
                                                 "0000"
                                                 "0000"
                                                 "0000"
                                                 "0000"
                                                 "0000"
                                                 "0000000000000000000000000000") +
                             tail;
    if (tail == "-")
        bytes = bytes.chopped(3) + QByteArray("\x05\x00UTF-8", 7);
    for (const Read& r : readBothWays(bytes)) {
        QVERIFY(r.ok);
        QCOMPARE(r.data.cards.size(), 2);
        QCOMPARE(r.data.cards[0].question, question);
    }
}

void TestProgressFile::refusesOverlongText() {
    QVector<Card> d = threeCards();
    d[1].answer = QString(kMaxProgressText, QLatin1Char('x'));
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    QString error;
    QVERIFY(writeProgress(buf, d, &error)); // exactly the limit fits

    d[1].answer += QLatin1Char('x');
    QBuffer refused;
    refused.open(QIODevice::WriteOnly);
    QVERIFY(!writeProgress(refused, d, &error));
    QVERIFY(refused.data().isEmpty());
    QVERIFY2(error.contains(QLatin1String("answer of card 2")) && error.contains(QLatin1String("65536")),
             qPrintable(error));
}

void TestProgressFile::writeFailureIsReported() {
    FailingDevice dev(10);
    dev.open(QIODevice::WriteOnly);
    QString error;
    QVERIFY(!writeProgress(dev, threeCards(), &error));
    QCOMPARE(error, QStringLiteral("No space left on device"));
}

void TestProgressFile::readsFromDeviceInPieces() {
    // A sequential device returns short reads; a text must not be taken as cut off.
    QVector<Card> d = threeCards();
    d[1].answer = QString(500, QLatin1Char('a'));
    const QByteArray bytes = writeToBytes(d);
    TrickleDevice whole(bytes);
    ProgressData data;
    QString error;
    QVERIFY2(readProgress(whole, data, &error), qPrintable(error));
    compareDecks(data.cards, d);

    // Cut inside the answer of record 2: the first record is whole, the rest reads as empty.
    TrickleDevice cut(bytes.left(2 + 39 + 40));
    QVERIFY2(readProgress(cut, data, &error), qPrintable(error));
    QVERIFY(data.cut);
    QCOMPARE(data.wholeCards, 1);
    QCOMPARE(data.cards.size(), 4);
    QVERIFY(sameCard(data.cards[0], d[0]));
    QCOMPARE(data.cards[1].question, d[1].question);
    QVERIFY(data.cards[1].answer.isEmpty());
}

void TestProgressFile::readsTruncatedFileAsEmptyCards() {
    // N = 3 and only the first record: the file ends at a field boundary.
    const QByteArray full = writeToBytes(threeCards());
    const QByteArray firstRecord = full.left(2 + 39);
    QBuffer in;
    in.setData(firstRecord);
    in.open(QIODevice::ReadOnly);
    ProgressData data;
    QString error;
    QVERIFY2(readProgress(in, data, &error), qPrintable(error));
    QCOMPARE(data.n, qint16(3));
    QCOMPARE(data.recordsRead, 4);
    QVector<Card> expected(4);
    expected[0] = threeCards()[0];
    compareDecks(data.cards, expected);

    // Cut after the trouble flag of the first record: view count and title read as 0 and empty.
    in.close();
    in.setData(full.left(2 + (2 + 4) + (2 + 5) + (2 + 8) + 2 + 2));
    in.open(QIODevice::ReadOnly);
    QVERIFY2(readProgress(in, data, &error), qPrintable(error));
    QCOMPARE(data.cards.size(), 4);
    QCOMPARE(data.cards[0].trouble, qint16(-1));
    QCOMPARE(data.cards[0].timesviewed, qint16(0));
    QVERIFY(data.cards[0].chaptertitle.isEmpty());
}

void TestProgressFile::rejectsBadInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("inError");
    QTest::newRow("negative count") << fromHex("FFFF") << QStringLiteral("card count of -1");
    QTest::newRow("lowest count") << fromHex("0080") << QStringLiteral("card count of -32768");
    QTest::newRow("count past the deck") << fromHex("FF7F") << QStringLiteral("card count of 32767");
}

void TestProgressFile::rejectsBadInput() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, inError);
    const Read r = readBytes(bytes);
    QVERIFY(!r.ok);
    QVERIFY2(r.error.contains(inError), qPrintable(r.error));
    QVERIFY(r.data.cards.isEmpty());
}

// A file that ends inside a field keeps every record before it; the cut field and all after
// it read as empty, and the file is not refused.
void TestProgressFile::cutFileKeepsWholeRecords_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("whole");
    const QByteArray full = writeToBytes(threeCards());
    const int first = 2 + 39, second = first + 38; // where records 2 and 3 begin
    QTest::newRow("one-byte file") << fromHex("03") << 0 << 0;
    QTest::newRow("cut in a tag") << full.left(second + (2 + 4) + (2 + 3) + 2 + 3) << 3 << 2;
    QTest::newRow("last text length past the end") << full.left(full.size() - 14 - 3) << 3 << 2;
    QTest::newRow("question past the end") << fromHex("0100 0A00") + "Haus" << 1 << 0;
    QTest::newRow("huge length, tiny file") << fromHex("0000 FFFF 00") << 0 << 0;
    QTest::newRow("title of the spare past the end")
        << fromHex("0000 0000 0000 0000 0000 0000 0000 0200") + "L" << 0 << 0;
    QTest::newRow("view count cut in half") << fromHex("0000 0000 0000 0000 0000 0000 00") << 0 << 0;
    QTest::newRow("trouble flag cut in half") << full.left(first + 2 + 4 + 2 + 4 + 2 + 8 + 2 + 1) << 3 << 1;
}

void TestProgressFile::cutFileKeepsWholeRecords() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, n);
    QFETCH(int, whole);
    const Read r = readBytes(bytes);
    QVERIFY2(r.ok, qPrintable(r.error));
    const ProgressData& data = r.data;
    QVERIFY(data.cut);
    QCOMPARE(int(data.n), n);
    QCOMPARE(data.wholeCards, whole);
    QCOMPARE(data.cards.size(), n + 1);
    const QVector<Card> cards = threeCards();
    for (int i = 0; i < whole; ++i)
        QVERIFY(sameCard(data.cards[i], cards[i]));
    for (int i = whole + 1; i <= n; ++i)
        QVERIFY(sameCard(data.cards[i], Card()));
    // Writing what was read gives the file's bytes of the whole records again.
    QVector<Card> wholeOnes(data.cards.begin(), data.cards.begin() + whole);
    wholeOnes.append(Card());
    const qsizetype prefix = writeToBytes(wholeOnes).size() - 14;
    const QByteArray back = writeToBytes(data.cards);
    QCOMPARE(back.left(prefix).mid(2), bytes.left(prefix).mid(2));
}

void TestProgressFile::randomInputNeverCrashes() {
    // Whatever a reader accepts must write back to the same bytes (missing fields as zeros).
    QRandomGenerator rng(7);
    int accepted = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(int(rng.bounded(64)), Qt::Uninitialized);
        for (char& b : bytes)
            b = char(rng.bounded(round % 2 ? 256 : 4)); // small values give plausible lengths
        QBuffer in;
        in.setData(bytes);
        in.open(QIODevice::ReadOnly);
        ProgressData data;
        QString error;
        if (!readProgress(in, data, &error)) {
            QVERIFY(!error.isEmpty());
            continue;
        }
        ++accepted;
        QCOMPARE(data.cards.size(), data.n + 1);
        QVERIFY(data.wholeCards >= 0 && data.wholeCards <= data.n);
        const QByteArray back = writeToBytes(data.cards);
        if (data.cut) {
            // What was read of a cut file reads back the same, and is no longer cut.
            const Read again = readBytes(back);
            QVERIFY(again.ok);
            const ProgressData& reread = again.data;
            QVERIFY(!reread.cut);
            QCOMPARE(reread.cards.size(), data.cards.size());
            for (qsizetype i = 0; i < data.cards.size(); ++i)
                QVERIFY(sameCard(reread.cards[i], data.cards[i]));
            continue;
        }
        const qsizetype common = std::min(back.size(), bytes.size());
        QCOMPARE(back.left(common), bytes.left(common));
        QCOMPARE(back.mid(common), QByteArray(back.size() - common, '\0'));
    }
    QVERIFY(accepted > 0);
}

void TestProgressFile::saveWritesFileAndLogs() {
    deck = threeCards();
    QObject owner;
    m_dialogs->answerFile(path(QStringLiteral("run.qrs")));
    SaveProgress(&owner);

    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    const FileDialogRequest& req = m_dialogs->fileRequests.first();
    QVERIFY(req.save);
    QCOMPARE(req.title, QStringLiteral("Save As"));
    QCOMPARE(req.filterParts, QStringList({QStringLiteral("Quarnel Save File"), QStringLiteral("*.qrs")}));
    QCOMPARE(req.filterIndex, 1);
    QCOMPARE(req.defaultExt, QStringLiteral("qrs"));
    QCOMPARE(req.initDir, m_dir->path());
    QCOMPARE(req.flags, uint32_t(0x2 | 0x4)); // overwrite prompt, read-only box hidden
    QCOMPARE(req.owner, &owner);
    QVERIFY(req.fileName.isEmpty());

    QFile f(path(QStringLiteral("run.qrs")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), writeToBytes(threeCards()));
    QCOMPARE(m_log->lines, QStringList({QStringLiteral("Writing progress to disk/n"),
                                        QStringLiteral(" .. wrote 3 nodes to disk/n")}));
    QCOMPARE(m_log->levels, QList<int>({3, 3}));
    compareDecks(deck, threeCards());
}

void TestProgressFile::saveReplacesExistingFile() {
    writeFile(QStringLiteral("run.qrs"), QByteArray(5000, 'z'));
    deck = threeCards();
    m_dialogs->answerFile(path(QStringLiteral("run.qrs")));
    SaveProgress(nullptr);
    QFile f(path(QStringLiteral("run.qrs")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), writeToBytes(threeCards()));
}

void TestProgressFile::saveCancelled() {
    deck = threeCards();
    m_dialogs->cancelFile();
    SaveProgress(nullptr);
    QCOMPARE(m_log->lines, QStringList({QStringLiteral("Writing progress to disk/n")}));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
    QVERIFY(m_prompter->boxes.isEmpty());
}

void TestProgressFile::saveFailureLeavesNoFile_data() {
    QTest::addColumn<QString>("target");
    // Running as root, permissions would not stop a write; a folder that is a file or is
    // missing does for everyone.
    QTest::newRow("folder is a file") << QStringLiteral("plain/run.qrs");
    QTest::newRow("missing folder") << QStringLiteral("nowhere/deeper/run.qrs");
    QTest::newRow("target is a folder") << QStringLiteral("folder.qrs");
}

void TestProgressFile::saveFailureLeavesNoFile() {
    QFETCH(QString, target);
    writeFile(QStringLiteral("plain"), "x");
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder.qrs")));
    const QStringList before = QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    deck = threeCards();
    m_dialogs->answerFile(path(target));
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save progress"));
    SaveProgress(nullptr);

    QCOMPARE(m_prompter->boxes.size(), 1);
    const RecordedBox& box = m_prompter->boxes.first();
    QCOMPARE(box.icon, MsgIcon::Exclamation);
    QVERIFY2(box.text.startsWith(QStringLiteral("The progress file '") + path(target) +
                                 QStringLiteral("' couldn't be written: ")),
             qPrintable(box.text));
    QVERIFY2(box.text.size() > box.text.indexOf(QLatin1String(": ")) + 3, qPrintable(box.text)); // a reason follows
    QVERIFY(!QFileInfo(path(target)).isFile());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
    QVERIFY(!m_log->contains(QStringLiteral(" .. wrote 3 nodes to disk/n")));
    compareDecks(deck, threeCards());
}

void TestProgressFile::saveRefusesOverlongTextKeepingOldFile() {
    writeFile(QStringLiteral("run.qrs"), "old");
    deck = threeCards();
    deck[2].question = QString(70000, QLatin1Char('q'));
    m_dialogs->answerFile(path(QStringLiteral("run.qrs")));
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save progress"));
    SaveProgress(nullptr);
    QVERIFY(m_prompter->boxes.value(0).text.contains(QLatin1String("question of card 3 is 70000 characters")));
    QFile f(path(QStringLiteral("run.qrs")));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), QByteArray("old"));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({QStringLiteral("run.qrs")}));
}

void TestProgressFile::loadReplacesDeck() {
    writeFile(QStringLiteral("run.qrs"), writeToBytes(threeCards()));
    deck = {makeCard(QStringLiteral("alt"), QStringLiteral("old"), 0, 9, QStringLiteral("X")), Card()};
    curcard = 1;
    troubledefault = true; // the rule in force does not touch loaded flags
    QObject owner;
    m_dialogs->answerFile(path(QStringLiteral("run.qrs")));
    QVERIFY(LoadProgress(&owner));

    const FileDialogRequest& req = m_dialogs->fileRequests.value(0);
    QVERIFY(!req.save);
    QCOMPARE(req.title, QStringLiteral("Open File"));
    QCOMPARE(req.filterParts, QStringList({QStringLiteral("Quarnel Save File"), QStringLiteral("*.qrs")}));
    QCOMPARE(req.filterIndex, 1);
    QCOMPARE(req.defaultExt, QStringLiteral("qrs"));
    QCOMPARE(req.initDir, m_dir->path());
    QCOMPARE(req.flags, uint32_t(0x1000)); // file must exist; no multi-select, read-only box shown unticked
    QCOMPARE(req.owner, &owner);

    compareDecks(deck, threeCards());
    QCOMPARE(deckUpper(), qint16(3));
    QCOMPARE(curcard, qint16(1));
    QCOMPARE(m_log->lines.first(), QStringLiteral("Reading saved progress from file/n"));
    QCOMPARE(m_log->lines.last(), QStringLiteral(" .. read 3 of 3 nodes from disk/n"));
    QVERIFY(m_log->indexOf(QStringLiteral("Entering FlushToZero mode/n")) > 0);
}

void TestProgressFile::loadRestoresOrderAfterShuffle() {
    deck = threeCards();
    m_dialogs->answerFile(path(QStringLiteral("run.qrs")));
    SaveProgress(nullptr);

    std::swap(deck[0], deck[2]);
    std::swap(deck[1], deck[2]);
    deck[0].timesviewed = 40;
    deck[1].trouble = -1;

    m_dialogs->answerFile(path(QStringLiteral("run.qrs")));
    QVERIFY(LoadProgress(nullptr));
    compareDecks(deck, threeCards());
}

void TestProgressFile::loadChecksExtension_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("lower case") << QStringLiteral("run.qrs") << true;
    QTest::newRow("two dots") << QStringLiteral("run.old.qrs") << true;
    QTest::newRow("upper case") << QStringLiteral("run.QRS") << false;
    QTest::newRow("mixed case") << QStringLiteral("run.Qrs") << false;
    QTest::newRow("no dot") << QStringLiteral("runqrs") << false;
    QTest::newRow("qrs not last") << QStringLiteral("run.qrs.bak") << false;
    QTest::newRow("trailing dot") << QStringLiteral("run.qrs.") << false;
}

void TestProgressFile::loadChecksExtension() {
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    writeFile(name, writeToBytes(threeCards()));
    const QVector<Card> before{makeCard(QStringLiteral("alt"), QStringLiteral("old"), 0, 9, QStringLiteral("X")),
                               Card()};
    deck = before;
    // A relative name, so that no dot of the temporary folder's path takes part.
    m_dialogs->answerFile(name);
    if (!accepted)
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Incompatible File Detected"));
    QCOMPARE(LoadProgress(nullptr), accepted);
    if (accepted) {
        compareDecks(deck, threeCards());
        QVERIFY(m_prompter->boxes.isEmpty());
    } else {
        compareDecks(deck, before);
        QCOMPARE(m_prompter->boxes.size(), 1);
        QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Information);
        QCOMPARE(m_prompter->boxes[0].buttons, MsgButtons::Ok);
        QCOMPARE(m_prompter->boxes[0].text, QStringLiteral("This program cannot open this type of file"));
        QVERIFY(!m_log->contains(QStringLiteral("Entering FlushToZero mode/n")));
    }
}

void TestProgressFile::loadCancelledOrMissingFile() {
    deck = threeCards();
    m_dialogs->cancelFile();
    QVERIFY(!LoadProgress(nullptr));
    m_dialogs->answerFile(path(QStringLiteral("gone.qrs")));
    QVERIFY(!LoadProgress(nullptr));
    compareDecks(deck, threeCards());
    QVERIFY(m_prompter->boxes.isEmpty());
    QCOMPARE(m_log->lines, QStringList({QStringLiteral("Reading saved progress from file/n"),
                                        QStringLiteral("Reading saved progress from file/n")}));
}

void TestProgressFile::loadBadFileLeavesDeck_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("report");
    QTest::newRow("negative count") << fromHex("FEFF") + QByteArray(14, '\0')
                                    << QStringLiteral("report: The file gives a card count of -2; a deck holds 0 to "
                                                      "32766 cards/n");
    QTest::newRow("count too big") << fromHex("0080") << QString();
}

void TestProgressFile::loadBadFileLeavesDeck() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, report);
    writeFile(QStringLiteral("bad.qrs"), bytes);
    deck = threeCards();
    curcard = 2;
    m_dialogs->answerFile(path(QStringLiteral("bad.qrs")));
    QVERIFY(!LoadProgress(nullptr));

    compareDecks(deck, threeCards());
    QCOMPARE(curcard, qint16(2));
    QVERIFY(m_prompter->boxes.isEmpty());
    QCOMPARE(m_log->lines.size(), 3);
    QCOMPARE(m_log->lines[1], QStringLiteral("Warning: Error reported in modMain.LoadProgress/n"));
    QVERIFY(m_log->lines[2].startsWith(QStringLiteral("report: ")));
    QVERIFY(m_log->lines[2].endsWith(QStringLiteral("/n")));
    QVERIFY(m_log->lines[2].size() > 12);
    if (!report.isEmpty())
        QCOMPARE(m_log->lines[2], report);
}

// "Load Saved" of a file cut inside a record: the deck is replaced, the whole cards are there,
// and the user is told that the file ended early and how many cards came whole.
void TestProgressFile::cutFileLoadsAndTellsUser_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("whole");
    QTest::newRow("question past the end") << fromHex("0200 0400") + "Ha" << 2 << 0;
    QTest::newRow("cut inside a later record") << writeToBytes(threeCards()).chopped(20) << 3 << 2;
    QByteArray noise(300, Qt::Uninitialized);
    QRandomGenerator rng(11);
    for (char& b : noise)
        b = char(rng.bounded(256));
    noise[0] = 0x10; // a plausible count; the first question runs past the end
    noise[1] = 0x00;
    noise[2] = char(0xF0);
    noise[3] = char(0x0F);
    QTest::newRow("random bytes") << noise << 16 << 0;
}

void TestProgressFile::cutFileLoadsAndTellsUser() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, n);
    QFETCH(int, whole);
    writeFile(QStringLiteral("cut.qrs"), bytes);
    deck = {makeCard(QStringLiteral("alt"), QStringLiteral("old"), 0, 9, QStringLiteral("X")), Card()};
    m_dialogs->answerFile(path(QStringLiteral("cut.qrs")));
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Progress File Incomplete"));
    QVERIFY(LoadProgress(nullptr));
    QCOMPARE(int(deckUpper()), n);
    for (int i = 0; i < whole; ++i)
        QVERIFY(sameCard(deck[i], threeCards()[i]));
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    const QString text = m_prompter->boxes[0].text;
    QVERIFY2(text.contains(path(QStringLiteral("cut.qrs"))), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("%1 of its %2 cards").arg(whole).arg(n)), qPrintable(text));
}

// A file that ends on a field or record boundary holds fewer cards than its count says, like
// one cut inside a text: it loads, and the user is told how many cards came whole.
void TestProgressFile::fileCutOnBoundaryLoadsSilently_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("whole");
    QTest::addColumn<QString>("told"); // how the box says where the file ends; empty: no box
    const QByteArray full = writeToBytes(threeCards());
    const int first = 2 + 39, second = first + 38; // where records 2 and 3 begin
    QTest::newRow("after card 2 of 3") << full.left(second) << 2 << QStringLiteral("ends early, after card 2.");
    QTest::newRow("after card 1 of 3") << full.left(first) << 1 << QStringLiteral("ends early, after card 1.");
    QTest::newRow("count only") << full.left(2) << 0 << QStringLiteral("ends early, before its first card.");
    QTest::newRow("after a question") << full.left(first + 2 + 4) << 1 << QStringLiteral("ends early, inside a card.");
    QTest::newRow("before the last chapter title")
        << full.left(second + (2 + 4) + (2 + 3) + (2 + 8) + 2 + 2 + 2) << 2
        << QStringLiteral("ends early, inside a card.");
    // The spare slot holds no card: without it every card is there.
    QTest::newRow("all cards, no spare") << full.left(second + 37) << 3 << QString();
    QTest::newRow("whole file") << full << 3 << QString();
}

void TestProgressFile::fileCutOnBoundaryLoadsSilently() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, whole);
    QFETCH(QString, told);
    writeFile(QStringLiteral("cut.qrs"), bytes);
    deck = {makeCard(QStringLiteral("alt"), QStringLiteral("old"), 0, 9, QStringLiteral("X")), Card()};
    m_dialogs->answerFile(path(QStringLiteral("cut.qrs")));
    if (!told.isEmpty())
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Progress File Incomplete"));
    QVERIFY(LoadProgress(nullptr));
    QCOMPARE(int(deckUpper()), 3);
    for (int i = 0; i < whole; ++i)
        QVERIFY(sameCard(deck[i], threeCards()[i]));
    for (int i = whole + 1; i < 3; ++i)
        QVERIFY(sameCard(deck[i], Card()));
    QCOMPARE(m_prompter->boxes.size(), told.isEmpty() ? 0 : 1);
    if (told.isEmpty())
        return;
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    QCOMPARE(m_prompter->boxes[0].text,
             QStringLiteral("The progress file '%1' %2 %3 of its 3 cards were read whole; the rest are loaded empty.")
                 .arg(path(QStringLiteral("cut.qrs")), told)
                 .arg(whole));
}

// "Load Saved" never leaves a card window without a card: a file too short for its card
// count, one whose count says it holds no card, and anything that is not a regular file (a
// named pipe would block the open for good) are refused with a message; the deck stays.
void TestProgressFile::fileWithoutCardsLeavesBlackWindow_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text"); // %1: the file's path
    const QString tooShort = QStringLiteral("'%1' is not a progress file: it ends before its card count.");
    QTest::newRow("one-byte file") << "file" << fromHex("03") << tooShort;
    QTest::newRow("empty file") << "file" << QByteArray() << tooShort;
    QTest::newRow("no cards, only the spare")
        << "file" << writeToBytes({Card()}) << QStringLiteral("The progress file '%1' holds no cards.");
    QTest::newRow("count 0 cut in the spare")
        << "file" << fromHex("0000 0400") + "Ha" << QStringLiteral("The progress file '%1' holds no cards.");
    QTest::newRow("named pipe") << "pipe" << QByteArray()
                                << QStringLiteral("The progress file can't be loaded: '%1' is a named pipe, not a file.");
    QTest::newRow("folder") << "folder" << QByteArray()
                            << QStringLiteral("The progress file can't be loaded: '%1' is a folder, not a file.");
}

void TestProgressFile::fileWithoutCardsLeavesBlackWindow() {
    QFETCH(QString, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString file = path(QStringLiteral("run.qrs"));
    if (kind == QLatin1String("file"))
        writeFile(QStringLiteral("run.qrs"), bytes);
    else if (kind == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    else
        QVERIFY(QDir().mkpath(file));
    deck = threeCards();
    curcard = 2;
    m_dialogs->answerFile(file);
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't load progress"));
    {
        PipeUnblocker unblock(file);
        QVERIFY(!LoadProgress(nullptr));
        if (kind == QLatin1String("pipe"))
            QCOMPARE(unblock.opened(), 0); // never opened, so it could never have hung
    }
    compareDecks(deck, threeCards());
    QCOMPARE(curcard, qint16(2));
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    QCOMPARE(m_prompter->boxes[0].text, text.arg(file));
}

QTEST_GUILESS_MAIN(TestProgressFile)
#include "tst_progressfile.moc"
