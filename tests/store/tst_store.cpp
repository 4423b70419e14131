// The record store: its file format byte for byte, its operations, its log lines and its
// behaviour on damaged files.
#include "ansi.h"
#include "casefold.h"
#include "filetext.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "scripttexts.h"
#include "testsupport.h"
#include "westerntexts.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstring>
#include <memory>

namespace {
QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray slotOf(const QByteArray& file, int slot) {
    return file.mid(qsizetype(slot) * 128, 128);
}

QByteArray hex(const char* spaced) {
    return QByteArray::fromHex(QByteArray(spaced).replace(' ', ""));
}

// A slot that starts with `record` and is zero-filled to 128 bytes.
QByteArray padded(const QByteArray& record) {
    return record + QByteArray(128 - record.size(), '\0');
}

QByteArray str16(const QByteArray& s) {
    QByteArray out;
    out.append(char(s.size() & 0xFF)).append(char((s.size() >> 8) & 0xFF));
    return out + s;
}

// A header slot written by hand: comment, format version, count, title, extra.
QByteArray headerSlot(qint16 count, const QByteArray& comment = "c", qint32 version = 4, const QByteArray& extra = "") {
    QByteArray h = str16(comment);
    for (int i = 0; i < 4; ++i)
        h.append(char((quint32(version) >> (8 * i)) & 0xFF));
    h.append(char(count & 0xFF)).append(char((quint16(count) >> 8) & 0xFF));
    h += str16("") + str16(extra);
    return padded(h);
}

// An entry slot written by hand: a numeric entry with the given name and value.
QByteArray entrySlot(const QByteArray& name, qint32 value = 0) {
    QByteArray e = str16(name) + QByteArray(2, '\0') + str16("");
    for (int i = 0; i < 4; ++i)
        e.append(char((quint32(value) >> (8 * i)) & 0xFF));
    e += str16("") + QByteArray(8, '\0');
    return padded(e);
}

QStringList visibleNames(const ivordalite& s) {
    QStringList names;
    for (int i = s.lb(); i <= s.ub(); ++i) {
        QString name, vs, tag;
        bool isstr = false;
        qint32 vl = 0;
        s.ienum(qint16(i), name, isstr, vs, vl, tag);
        names << name;
    }
    return names;
}

// The decoder reading a store from memory, as a mount reads it from a file.
StoreFormat::SlotSource sourceOf(const QByteArray& bytes) {
    return [bytes](qint64 first, qint64 n) { return bytes.mid(first * 128, n * 128); };
}

QByteArray encoded(const QVector<StoreEntry>& entries, const QString& title = QString()) {
    StoreHeader h;
    h.comment = QStringLiteral("c");
    h.formatversion = 4;
    h.count = qint16(entries.size() - 1);
    h.title = title;
    QByteArray out;
    StoreFormat::encode(h, entries, out, nullptr);
    return out;
}

StoreEntry entry(const QString& name, const QString& value, const QString& tag, qint32 number = 0) {
    StoreEntry e;
    e.name = name;
    e.isstring = !value.isEmpty();
    e.valuestring = value;
    e.valuelong = number;
    e.tag = tag;
    return e;
}

const QString kNewComment = QStringLiteral("VORDA Database File; VORDA Lite version");
const QStringList kMountFailed{QStringLiteral("   .. an error was encountered whilst attempting to mount this file/n")};
} // namespace

class TestStore : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        ivordalite::setLogSink([](const QString& text) { LogMessage(text, 3); });
    }
    void init() { QVERIFY(m_dir.isValid()); }

    // --- file format ---------------------------------------------------------------
    void newStoreIsTwoSlots() {
        const QString path = file("new.qex");
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QVERIFY(s.save());
        s.unmount();
        const QByteArray expected =
            padded(hex("27 00") + kNewComment.toLatin1() + hex("04 00 00 00 00 00 00 00 00 00")) +
            padded(QByteArray(20, '\0'));
        QCOMPARE(readAll(path).size(), 256);
        QCOMPARE(readAll(path), expected);
    }

    void entryBytes_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("sdata");
        QTest::addColumn<int>("ldata");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("card Haus/house") << "Haus"
                                         << "house" << 0 << "qre_word"
                                         << hex("04 00 48 61 75 73 FF FF 05 00 68 6F 75 73 65 00 00 00 00 "
                                                "08 00 71 72 65 5F 77 6F 72 64 00 00 00 00 00 00 00 00");
        QTest::newRow("flist_count 4") << "flist_count"
                                       << "" << 4 << ""
                                       << hex("0B 00 66 6C 69 73 74 5F 63 6F 75 6E 74 00 00 00 00 04 00 00 00 "
                                              "00 00 00 00 00 00 00 00 00 00");
        QTest::newRow("negative number") << "alpha_effects"
                                         << "" << -1 << "alpha_transparency"
                                         << hex("0D 00") + "alpha_effects" + hex("00 00 00 00 FF FF FF FF 12 00") +
                                                "alpha_transparency" + QByteArray(8, '\0');
        QTest::newRow("Windows-1252 text")
            << QStringLiteral("M\u00FCnze") << QStringLiteral("5 \u20AC") << 0 << ""
            << hex("05 00 4D FC 6E 7A 65 FF FF 03 00 35 20 80 00 00 00 00 00 00") + QByteArray(8, '\0');
    }
    void entryBytes() {
        QFETCH(QString, key);
        QFETCH(QString, sdata);
        QFETCH(int, ldata);
        QFETCH(QString, tag);
        QFETCH(QByteArray, record);
        const QString path = file("entry.qex");
        QFile::remove(path);
        ivordalite s;
        QVERIFY(s.mount(path, false));
        s.add(key, sdata, ldata, tag);
        QVERIFY(s.save());
        s.unmount();
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.size(), 3 * 128);
        QCOMPARE(slotOf(bytes, 2), padded(record));
        QCOMPARE(bytes.at(0x2D), char(1)); // the header's count

        ivordalite back;
        QVERIFY(back.mount(path, false));
        bool found = false;
        QCOMPARE(back.getstring(key, QStringLiteral("?"), found), sdata);
        QVERIFY(found);
        QCOMPARE(back.getlong(key, 99), sdata.isEmpty() ? ldata : 99);
        QCOMPARE(back.gettag(key), tag);
        QCOMPARE(back.isstring(key), !sdata.isEmpty());
    }

    void ansiConversion_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("umlauts") << QStringLiteral("\u00E4\u00F6\u00FC\u00C4\u00D6\u00DC\u00DF")
                                 << hex("E4 F6 FC C4 D6 DC DF")
                                 << QStringLiteral("\u00E4\u00F6\u00FC\u00C4\u00D6\u00DC\u00DF");
        QTest::newRow("euro and quotes") << QStringLiteral("\u20AC\u201E\u201C\u2013") << hex("80 84 93 96")
                                         << QStringLiteral("\u20AC\u201E\u201C\u2013");
        QTest::newRow("outside the code page")
            << QStringLiteral("a\u65E5\u0142b") << QByteArray("a??b") << QStringLiteral("a??b");
        QTest::newRow("surrogate pair is one character")
            << QStringLiteral("x\U0001F600y") << QByteArray("x?y") << QStringLiteral("x?y");
        QTest::newRow("undefined byte keeps its control")
            << QStringLiteral("\u0081\u009D") << hex("81 9D") << QStringLiteral("\u0081\u009D");
    }
    void ansiConversion() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, readBack);
        QCOMPARE(Ansi::encode(text), bytes);
        QCOMPARE(Ansi::byteLength(text), bytes.size());
        QCOMPARE(Ansi::decode(bytes), readBack);
    }

    // --- text in files: Windows-1252 or UTF-8 with the header's marker -----------------
    void utf8Decoding_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("Cyrillic and an emoji") << hex("D0 AE 20 F0 9F 98 BA") << QStringLiteral("\u042E \U0001F63A");
        QTest::newRow("U+10000, the first of four bytes") << hex("F0 90 80 80") << QStringLiteral("\U00010000");
        QTest::newRow("stray continuation") << hex("61 80 62") << QStringLiteral("a\uFFFDb");
        QTest::newRow("overlong slash") << hex("C0 AF 2F") << QStringLiteral("\uFFFD\uFFFD/");
        QTest::newRow("overlong three bytes") << hex("E0 80 AF") << QStringLiteral("\uFFFD\uFFFD\uFFFD");
        QTest::newRow("encoded surrogate") << hex("ED A0 80 41") << QStringLiteral("\uFFFD\uFFFD\uFFFDA");
        QTest::newRow("above U+10FFFF") << hex("F4 90 80 80") << QString(4, QChar(0xFFFD));
        QTest::newRow("cut by the end") << hex("41 E2 82") << QStringLiteral("A\uFFFD");
        QTest::newRow("lead byte then ASCII") << hex("E2 41") << QStringLiteral("\uFFFDA");
        QTest::newRow("FF and FE") << hex("FF FE") << QStringLiteral("\uFFFD\uFFFD");
    }
    void utf8Decoding() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        // Read from a copy without a terminating zero, so that a read past the end is seen by ASan.
        std::unique_ptr<char[]> exact(new char[size_t(bytes.size())]);
        memcpy(exact.get(), bytes.constData(), size_t(bytes.size()));
        QCOMPARE(FileText::decodeUtf8(exact.get(), bytes.size()), text);
    }

    void utf8Encoding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("umlaut") << QStringLiteral("\u00FC") << hex("C3 BC");
        QTest::newRow("euro") << QStringLiteral("\u20AC") << hex("E2 82 AC");
        QTest::newRow("U+07FF, the last of two bytes") << QStringLiteral("\u07FF") << hex("DF BF");
        QTest::newRow("U+0800, the first of three bytes") << QStringLiteral("\u0800") << hex("E0 A0 80");
        QTest::newRow("emoji") << QStringLiteral("\U0001F408") << hex("F0 9F 90 88");
        QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + "x" << hex("EF BF BD 78");
        QTest::newRow("lone low surrogate") << QString(QChar(0xDC00)) << hex("EF BF BD");
    }
    void utf8Encoding() {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(FileText::encode(text, TextEncoding::Utf8), bytes);
        QCOMPARE(FileText::byteLength(text, TextEncoding::Utf8), bytes.size());
    }

    // Every search folds both sides the same way.
    void caseFolding_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("ASCII capitals, A to Z") << "AZaz@[`{" << "azaz@[`{";
        QTest::newRow("umlauts and sharp s") << QStringLiteral("\u00C4\u00D6\u00DC\u00DF")
                                            << QStringLiteral("\u00E4\u00F6\u00FC\u00DF");
        QTest::newRow("Greek final sigma") << QStringLiteral("\u03A3\u03C2") << QStringLiteral("\u03C3\u03C3");
        QTest::newRow("Deseret, outside the basic plane") << QStringLiteral("\U00010400") << QStringLiteral("\U00010428");
    }
    void caseFolding() {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(foldCase(text), folded);
    }

    void encodingChoice_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("fits");
        QTest::newRow("German and typographic") << westerntexts::cards().at(3).second << true;
        QTest::newRow("undefined byte 0x81") << QStringLiteral("\u0081") << true;
        QTest::newRow("C1 control without a byte") << QStringLiteral("\u0080") << false;
        QTest::newRow("Polish l") << QStringLiteral("\u0142") << false;
        QTest::newRow("emoji") << QStringLiteral("\U0001F408") << false;
    }
    void encodingChoice() {
        QFETCH(QString, text);
        QFETCH(bool, fits);
        QCOMPARE(FileText::fitsWindows1252(text), fits);
        bool measured = true;
        QCOMPARE(FileText::windows1252Length(text, measured), Ansi::byteLength(text));
        QCOMPARE(measured, fits);
        if (fits)
            QCOMPARE(FileText::decode(FileText::encode(text, TextEncoding::Windows1252), TextEncoding::Windows1252),
                     text);
    }

    // A store written before any file could hold UTF-8 comes out of a save byte for byte.
    void windows1252StoreKeepsItsBytes() {
        const QString path = file("sys.qex");
        QFile::remove(path);
        ivordalite s;
        QVERIFY(s.mount(path, false));
        const QStringList paths = westerntexts::chapterPaths();
        for (int i = 0; i < paths.size(); ++i)
            s.add(QStringLiteral("flist_name_") + QString::number(i + 1), paths[i], 0, QString());
        s.add(QStringLiteral("flist_count"), QString(), int(paths.size()), QString());
        s.add(QStringLiteral("theme"), QStringLiteral("Gr\u00FCn"), 0, QStringLiteral("Farbe"));
        QVERIFY(s.save());
        s.unmount();
        QCOMPARE(readAll(path), readAll(QStringLiteral(QUARNEL_TEST_DATA "/western-sys.qex")));
    }

    void scriptsRoundTrip_data() { scripttexts::addRows("name", "value"); }
    void scriptsRoundTrip() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, title);
        const QString path = file("script.qex");
        QFile::remove(path);
        ivordalite s;
        QVERIFY(s.mount(path, false));
        s.setTitle(title);
        s.add(name, value, 0, QStringLiteral("qre_word"));
        QVERIFY(s.save());
        s.unmount();
        const QByteArray bytes = readAll(path);
        // The header ends in the marker, and every text is UTF-8.
        QVERIFY(slotOf(bytes, 0).contains(hex("05 00") + "UTF-8"));
        QVERIFY(slotOf(bytes, 2).contains(str16(name.toUtf8())));
        ivordalite back;
        QVERIFY(back.mount(path, false));
        QCOMPARE(back.encoding(), TextEncoding::Utf8);
        QCOMPARE(back.title(), title);
        QCOMPARE(back.getstring(name, QString()), value);
        QVERIFY(back.header().extra.isEmpty());
    }

    void markerEdgeCases() {
        const QString path = file("marked.qex");
        // A marked store whose texts all fit Windows-1252: read as UTF-8, saved without the marker.
        const QByteArray header = headerSlot(1, "c", 4, "UTF-8");
        writeAll(path, header + padded(QByteArray(20, '\0')) + entrySlot(hex("C3 BC 62")));
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            QCOMPARE(s.encoding(), TextEncoding::Utf8);
            QCOMPARE(visibleNames(s), QStringList{QStringLiteral("\u00FCb")});
            QVERIFY(s.save());
        }
        QCOMPARE(readAll(path), headerSlot(1) + padded(QByteArray(20, '\0')) + entrySlot(hex("FC 62")));
        // Without the marker the same bytes are Windows-1252, as ever.
        writeAll(path, headerSlot(1) + padded(QByteArray(20, '\0')) + entrySlot(hex("C3 BC 9F")));
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            QCOMPARE(visibleNames(s), QStringList{QStringLiteral("\u00C3\u00BC\u0178")});
        }
        // Invalid UTF-8 in a marked file reads as U+FFFD.
        writeAll(path, header + padded(QByteArray(20, '\0')) + entrySlot(hex("ED B0 80 C0 80 61")));
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            QCOMPARE(visibleNames(s), QStringList{QString(5, QChar(0xFFFD)) + "a"});
        }
        // Another `extra` value is kept by a Windows-1252 save.
        const QByteArray other = headerSlot(0, "c", 4, "v2");
        writeAll(path, other + padded(QByteArray(20, '\0')));
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            QCOMPARE(s.header().extra, QStringLiteral("v2"));
            QVERIFY(s.save());
        }
        QCOMPARE(readAll(path), other + padded(QByteArray(20, '\0')));
    }

    // 54 umlauts fit a slot as Windows-1252 (one byte each) but not as UTF-8 (two each): a
    // Cyrillic text elsewhere in the store makes the save fail, and the file stays as it was.
    void recordFitsOnlyAsWindows1252() {
        const QString path = file("fit.qex");
        QFile::remove(path);
        ivordalite s;
        QVERIFY(s.mount(path, false));
        s.add(QStringLiteral("long"), QString(54, QChar(0xFC)), 0, QString());
        QVERIFY(s.fitsAfterAdd(QStringLiteral("other"), QStringLiteral("abc"), QString(), nullptr));
        QVERIFY(s.save());
        const QByteArray before = readAll(path);
        QString why;
        QVERIFY(!s.fitsAfterAdd(QStringLiteral("ru"), QStringLiteral("\u0434\u0430"), QString(), &why));
        QCOMPARE(why, QStringLiteral("the entry 'long' takes 132 bytes in UTF-8; a slot holds 128"));
        s.add(QStringLiteral("ru"), QStringLiteral("\u0434\u0430"), 0, QString());
        QVERIFY(!s.save());
        QCOMPARE(s.errorString(), why);
        QCOMPARE(readAll(path), before);
    }

    // --- mount -----------------------------------------------------------------------
    void mountMissingFileCreatesIt() {
        const QString path = file("missing.qex");
        LogRecorder log;
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QVERIFY(QFileInfo(path).isFile());
        QCOMPARE(QFileInfo(path).size(), 0);
        QCOMPARE(s.comment(), kNewComment);
        QCOMPARE(s.header().formatversion, 4);
        QCOMPARE(s.count(), qint16(0));
        QCOMPARE(s.ub(), qint16(0));
        QCOMPARE(log.lines, (QStringList{QStringLiteral("the specified file doesn't exist, creating new/n"),
                                         QStringLiteral("file created/n"), QStringLiteral("file mounted/n")}));
    }

    void mountZeroLengthFile() {
        const QString path = file("empty.qex");
        writeAll(path, {});
        LogRecorder log;
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QCOMPARE(s.header().formatversion, 0);
        QCOMPARE(s.count(), qint16(0));
        QCOMPARE(s.ub(), qint16(0));
        QCOMPARE(s.comment(), QString());
        QVERIFY(log.lines.isEmpty());
    }

    void mountRefusals() {
        const QString path = file("twice.qex");
        ivordalite s;
        LogRecorder log;
        QVERIFY(!s.mount(QString(), false));
        QVERIFY(log.lines.isEmpty());
        QVERIFY(s.mount(path, false));
        log.lines.clear();
        QVERIFY(!s.mount(path, false));
        QCOMPARE(log.lines,
                 (QStringList{QStringLiteral(" ..this class instance already has a file mounted/n"),
                              QStringLiteral(" ..create a new instance or unmount the current file first/n")}));
        QVERIFY(!s.unmount());
        QVERIFY(s.mount(path, false));
    }

    void headerOnlyMount() {
        const QString path = file("twelve.qex");
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            s.setTitle(QStringLiteral("Kapitel 3"));
            for (int i = 1; i <= 12; ++i)
                s.add(QStringLiteral("k%1").arg(i), QString(), i, QString());
            QVERIFY(s.save());
        }
        ivordalite s;
        QVERIFY(s.mount(path, true));
        QCOMPARE(s.count(), qint16(12));
        QCOMPARE(s.ub(), qint16(0));
        QCOMPARE(s.title(), QStringLiteral("Kapitel 3"));
        bool found = true;
        QCOMPARE(s.getlong(QStringLiteral("k1"), -5, found), -5);
        QVERIFY(!found);
    }

    void mountFailures_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("tail"); // log lines after the first failure line
        const QStringList badLength{QStringLiteral("   .. error number:      59/n"),
                                    QStringLiteral("   .. error description: Bad record length/n")};
        QTest::newRow("negative count") << headerSlot(-1)
                                        << QStringList{
                                               QStringLiteral("   .. error number:      9/n"),
                                               QStringLiteral("   .. error description: Subscript out of range/n")};
        QTest::newRow("comment runs past slot 0") << padded(hex("F0 00") + QByteArray(100, 'x')) << badLength;
        QByteArray titlePast = headerSlot(0, QByteArray(100, 'c'));
        titlePast[2 + 100 + 4 + 2] = char(40); // title length 40 from offset 108
        QTest::newRow("title runs past slot 0") << titlePast << badLength;
        QTest::newRow("huge comment length") << padded(hex("FF FF")) << badLength;
        QByteArray longName = headerSlot(2) + entrySlot("") + entrySlot("a");
        longName.append(padded(hex("7F 00")));
        QTest::newRow("entry name runs past its slot") << longName << badLength;
        QByteArray tagPast = headerSlot(1) + entrySlot("") +
                             padded(str16(QByteArray(100, 'n')) + hex("00 00 00 00 "
                                                                      "00 00 00 00 "
                                                                      "30 00"));
        QTest::newRow("entry tag runs past its slot") << tagPast << badLength;
    }
    void mountFailures() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, tail);
        const QString path = file("bad.qex");
        writeAll(path, bytes);
        LogRecorder log;
        ivordalite s;
        QVERIFY(!s.mount(path, false));
        QCOMPARE(log.lines, kMountFailed + tail);
        QCOMPARE(s.ub(), qint16(0));
        // The instance stays refused until unmounted, and a save can't overwrite the damaged file.
        QVERIFY(!s.mount(path, false));
        QVERIFY(!s.save());
        QCOMPARE(readAll(path), bytes);
    }

    // A mount checks every slot but decodes the entries only when they are asked for: whatever
    // is asked first, the store reads as the decoder reads the same bytes, and refuses what
    // it refuses.
    void mountReadsAsTheDecoder_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no entries") << headerSlot(0) + entrySlot("");
        QTest::newRow("tags repeat")
            << encoded({StoreEntry{}, entry("a", "1", "qre_word"), entry("b", "2", "qre_word"), entry("c", "", "x", 7),
                        entry("d", "4", "\u00DCbung"), entry("e", "5", "\u00DCbung"), entry("f", "6", "qre_word"),
                        entry("g", "7", "are_word"), entry("h", "8", "qre_wore")});
        QTest::newRow("UTF-8") << encoded({StoreEntry{}, entry("\u0434\u043E\u043C", "house", "qre_word"),
                                           entry("Stra\u00DFe", "\u0443\u043B\u0438\u0446\u0430", "qre_word")});
        QByteArray cut = headerSlot(3) + entrySlot("") + entrySlot("one", 1);
        cut.append(entrySlot("two", 2).left(9));
        QTest::newRow("cut inside an entry") << cut;
        QTest::newRow("count beyond the file") << headerSlot(5) + entrySlot("") + entrySlot("one", 1);
        QByteArray bad = headerSlot(3) + entrySlot("") + entrySlot("one", 1) + entrySlot("two", 2);
        bad.append(padded(hex("7F 00")));
        QTest::newRow("last entry runs past its slot") << bad;
        QByteArray badCut = headerSlot(4) + entrySlot("") + entrySlot("one", 1);
        badCut.append(hex("70 00"));
        QTest::newRow("cut entry runs past its slot") << badCut;
        QTest::newRow("header only") << headerSlot(2);
        const QDir corpus(QStringLiteral(QUARNEL_TEST_DATA "/../../fuzz/corpus/mount"));
        for (const QString& name : corpus.entryList(QDir::Files))
            QTest::newRow(qPrintable(QStringLiteral("sample ") + name)) << readAll(corpus.filePath(name));
    }
    void mountReadsAsTheDecoder() {
        QFETCH(QByteArray, bytes);
        StoreHeader h;
        QVector<StoreEntry> expected;
        QString why;
        const int number = StoreFormat::decode(sourceOf(bytes), false, h, expected, why);
        const QString path = file("asdecoder.qex");
        enum First { Enumerate, Lookup, Encoding, Fits, Save, Add };
        for (First first : {Enumerate, Lookup, Encoding, Fits, Save, Add}) {
            writeAll(path, bytes);
            ivordalite s;
            QCOMPARE(s.mount(path, false), number == 0);
            if (number != 0) {
                QCOMPARE(s.errorString(), why);
                QCOMPARE(s.ub(), qint16(0));
                continue;
            }
            QCOMPARE(s.ub(), qint16(expected.size() - 1));
            QVector<StoreEntry> after = expected;
            switch (first) {
            case Enumerate:
                break;
            case Lookup:
                QCOMPARE(s.getlong(expected.last().name, -9), expected.last().isstring ? -9 : expected.last().valuelong);
                break;
            case Encoding:
                QCOMPARE(s.saveEncoding(), StoreFormat::chooseEncoding(h, expected));
                break;
            case Fits: {
                QString none;
                QCOMPARE(s.fitsAfterAdd(QStringLiteral("new"), QStringLiteral("v"), QString(), &none),
                         StoreFormat::checkFit(h, expected + QVector<StoreEntry>{entry("new", "v", "")},
                                               StoreFormat::chooseEncoding(h, expected), nullptr));
                break;
            }
            case Save: {
                StoreHeader written = h;
                written.count = qint16(expected.size() - 1);
                QByteArray out;
                const bool fits = StoreFormat::encode(written, expected, out, nullptr);
                QCOMPARE(s.save(), fits);
                QCOMPARE(readAll(path), fits ? out : bytes);
                break;
            }
            case Add:
                if (expected.size() > 32767)
                    continue;
                s.add(QStringLiteral("added"), QStringLiteral("v"), 0, QStringLiteral("t"));
                after.append(entry("added", "v", "t"));
                break;
            }
            QCOMPARE(s.ub(), qint16(after.size() - 1));
            for (int i = 0; i <= s.ub(); ++i) {
                QString name, value, tag;
                bool isstr = false;
                qint32 number = 0;
                s.ienum(qint16(i), name, isstr, value, number, tag);
                const StoreEntry& e = after[i];
                QVERIFY2(name == e.name && isstr == e.isstring && value == e.valuestring && number == e.valuelong &&
                             tag == e.tag,
                         qPrintable(QStringLiteral("entry %1 after %2").arg(i).arg(int(first))));
            }
        }
    }

    // Every card of a chapter carries the same tag: one copy serves them all, whether the
    // entries are read one by one or all at once.
    void repeatedTagsShareOneCopy() {
        const QString path = file("tags.qex");
        QVector<StoreEntry> entries{StoreEntry{},         entry("a", "1", "qre_word"), entry("b", "2", "qre_word"),
                                    entry("c", "3", "other"), entry("d", "4", "qre_word"), entry("e", "5", "are_word")};
        for (StoreEntry& e : entries)
            e.reserved1 = 5; // the byte after the tag is not zero
        writeAll(path, encoded(entries));
        auto tagOf = [](const ivordalite& s, int i) {
            QString name, value, tag;
            bool isstr;
            qint32 number;
            s.ienum(qint16(i), name, isstr, value, number, tag);
            return tag;
        };
        ivordalite s;
        QVERIFY(s.mount(path, false));
        const QString a = tagOf(s, 1), b = tagOf(s, 2), c = tagOf(s, 3), d = tagOf(s, 4), e = tagOf(s, 5);
        QVERIFY(a.isSharedWith(b));
        QVERIFY(!b.isSharedWith(c));
        QCOMPARE(d, a);
        QCOMPARE(e, QStringLiteral("are_word")); // same length, first letter differs
        QCOMPARE(s.gettag(QStringLiteral("b")), QStringLiteral("qre_word"));
        QCOMPARE(s.gettag(QStringLiteral("e")), QStringLiteral("are_word"));
        QVERIFY(s.gettag(QStringLiteral("a")).isSharedWith(s.gettag(QStringLiteral("b"))));
        QVERIFY(tagOf(s, 1).isSharedWith(tagOf(s, 2)));
    }

    // In UTF-8 a lone byte 80 is no character: it reads as U+FFFD even after a tag U+0080.
    void loneContinuationByteAfterItsCharacter() {
        const QString path = file("c1.qex");
        QByteArray bytes = headerSlot(2, "c", 4, "UTF-8") + entrySlot("");
        bytes.append(padded(str16("a") + QByteArray(2, '\0') + str16("") + QByteArray(4, '\0') + str16("\xC2\x80")));
        bytes.append(padded(str16("b") + QByteArray(2, '\0') + str16("") + QByteArray(4, '\0') + str16("\x80")));
        writeAll(path, bytes);
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QString name, value, tag;
        bool isstr;
        qint32 number;
        s.ienum(1, name, isstr, value, number, tag);
        QCOMPARE(tag, QString(QChar(0x80)));
        s.ienum(2, name, isstr, value, number, tag);
        QCOMPARE(tag, QString(QChar(0xFFFD)));
    }

    void mountDirectoryFails() {
        const QString path = file("adir.qex");
        QVERIFY(QDir().mkpath(path));
        LogRecorder log;
        ivordalite s;
        QVERIFY(!s.mount(path, false));
        QCOMPARE(log.lines.value(0), QStringLiteral("the specified file doesn't exist, creating new/n"));
        QCOMPARE(log.lines.value(1), kMountFailed.first());
        QCOMPARE(log.lines.value(2), QStringLiteral("   .. error number:      75/n"));
        QVERIFY(log.lines.value(3).startsWith(QStringLiteral("   .. error description: Path/File access error")));
        QVERIFY(QFileInfo(path).isDir());
    }

    // Files shorter than their count say: the missing slots read as empty entries.
    void truncatedFileReadsZeros() {
        const QString path = file("short.qex");
        QByteArray bytes = headerSlot(3) + entrySlot("") + entrySlot("one", 1);
        bytes.append(entrySlot("two", 2).left(9)); // name complete, the rest of the slot missing
        writeAll(path, bytes);
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QCOMPARE(s.ub(), qint16(3));
        QCOMPARE(visibleNames(s), (QStringList{"one", "two", ""}));
        QCOMPARE(s.getlong(QStringLiteral("two"), 7), 0);
    }

    // Damaged and random files never crash the reader and never leave a half-filled store.
    void randomBytesNeverCrash() {
        QRandomGenerator rng(20100209);
        const QString path = file("random.qex");
        for (int round = 0; round < 300; ++round) {
            QByteArray bytes(int(rng.bounded(0, 1200)), '\0');
            for (char& c : bytes)
                c = char(rng.bounded(256));
            if (round % 3 == 0 && bytes.size() >= 128) // a plausible header, random entries
                bytes.replace(0, 128, headerSlot(qint16(rng.bounded(-3, 40))));
            writeAll(path, bytes);
            ivordalite s;
            if (s.mount(path, round % 2 == 0)) {
                QVERIFY(s.count() >= 0);
                for (int i = 0; i <= s.ub(); ++i) {
                    QString n, v, t;
                    bool b;
                    qint32 l;
                    s.ienum(qint16(i), n, b, v, l, t);
                    QVERIFY(StoreFormat::kEntryFixed + n.size() + v.size() + t.size() <= 128);
                }
            } else {
                QCOMPARE(s.ub(), qint16(0));
            }
        }
    }

    // --- add and lookups ------------------------------------------------------------
    void typeFollowsEveryAdd() {
        ivordalite s;
        QVERIFY(s.mount(file("type.qex"), false));
        s.add(QStringLiteral("k"), QString(), 7, QStringLiteral("t1"));
        QVERIFY(!s.isstring(QStringLiteral("k")));
        QCOMPARE(s.getlong(QStringLiteral("k"), 0), 7);
        s.add(QStringLiteral("k"), QStringLiteral("x"), 7, QStringLiteral("t2"));
        QCOMPARE(s.count(), qint16(1));
        QCOMPARE(s.ub(), qint16(1));
        QString name, vs, tag;
        bool isstr = false;
        qint32 vl = -1;
        s.ienum(1, name, isstr, vs, vl, tag);
        QCOMPARE(name, QStringLiteral("k"));
        QVERIFY(isstr);
        QCOMPARE(vs, QStringLiteral("x"));
        QCOMPARE(vl, 0);
        QCOMPARE(tag, QStringLiteral("t2"));
        // and back: an empty string makes it numeric again
        s.add(QStringLiteral("k"), QString(), 3, QString());
        s.ienum(1, name, isstr, vs, vl, tag);
        QVERIFY(!isstr);
        QCOMPARE(vs, QString());
        QCOMPARE(vl, 3);
        QCOMPARE(s.count(), qint16(1));
    }

    void lookupsByType_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("getlong");
        QTest::addColumn<QString>("getstring");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("gettag");
        QTest::newRow("string entry") << "s" << -9 << "text" << true << "ts";
        QTest::newRow("numeric entry") << "n" << 42 << "" << true << "tn";
        QTest::newRow("missing key") << "m" << -9 << "dflt" << false << "";
        QTest::newRow("case differs") << "S" << -9 << "dflt" << false << "";
    }
    void lookupsByType() {
        QFETCH(QString, key);
        ivordalite s;
        QVERIFY(s.mount(file("lookup.qex"), false));
        s.add(QStringLiteral("s"), QStringLiteral("text"), 5, QStringLiteral("ts"));
        s.add(QStringLiteral("n"), QString(), 42, QStringLiteral("tn"));
        QFETCH(bool, found);
        bool foundLong = !found, foundString = !found;
        QTEST(int(s.getlong(key, -9, foundLong)), "getlong");
        QTEST(s.getstring(key, QStringLiteral("dflt"), foundString), "getstring");
        QCOMPARE(foundLong, found);
        QCOMPARE(foundString, found);
        QTEST(s.gettag(key), "gettag");
    }

    void keysAreCaseSensitive() {
        const QString path = file("case.qex");
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            s.add(QStringLiteral("Haus"), QStringLiteral("house"), 0, QString());
            s.add(QStringLiteral("haus"), QStringLiteral("home"), 0, QString());
            s.add(QStringLiteral("HAUS"), QString(), 3, QString());
            QCOMPARE(s.count(), qint16(3));
            QVERIFY(s.save());
        }
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QCOMPARE(visibleNames(s), (QStringList{"Haus", "haus", "HAUS"}));
        QCOMPARE(s.getstring(QStringLiteral("haus"), QString()), QStringLiteral("home"));
        QCOMPARE(s.getlong(QStringLiteral("HAUS"), 0), 3);
    }

    void emptyKeyOverwritesHiddenEntry() {
        const QString path = file("hidden.qex");
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            s.add(QStringLiteral("a"), QStringLiteral("1"), 0, QString());
            s.add(QString(), QString(), 0x123456, QStringLiteral("color_metrics"));
            s.add(QStringLiteral(""), QString(), 0x654321, QStringLiteral("color_metrics"));
            QCOMPARE(s.count(), qint16(1));
            QCOMPARE(s.ub(), qint16(1));
            QCOMPARE(visibleNames(s), QStringList{"a"});
            QVERIFY(s.save());
        }
        const QByteArray bytes = readAll(path);
        QCOMPARE(bytes.size(), 3 * 128);
        QCOMPARE(slotOf(bytes, 1),
                 padded(hex("00 00 00 00 00 00 21 43 65 00 0D 00") + "color_metrics" + QByteArray(8, '\0')));
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QCOMPARE(s.count(), qint16(1));
        QCOMPARE(visibleNames(s), QStringList{"a"});
        bool found = false;
        QCOMPARE(s.getlong(QString(), 0, found), 0x654321);
        QVERIFY(found);
    }

    // A file written elsewhere may hold the same name twice: the first one answers and add
    // changes the first one.
    void firstMatchWins() {
        const QString path = file("dupes.qex");
        writeAll(path, headerSlot(3) + entrySlot("") + entrySlot("x", 1) + entrySlot("y", 2) + entrySlot("x", 3));
        ivordalite s;
        QVERIFY(s.mount(path, false));
        QCOMPARE(s.getlong(QStringLiteral("x"), 0), 1);
        s.add(QStringLiteral("x"), QString(), 10, QString());
        QCOMPARE(s.count(), qint16(3));
        QString n, v, t;
        bool b;
        qint32 l1 = 0, l3 = 0;
        s.ienum(1, n, b, v, l1, t);
        s.ienum(3, n, b, v, l3, t);
        QCOMPARE(l1, 10);
        QCOMPARE(l3, 3);
    }

    void ienumOutOfRange_data() {
        QTest::addColumn<int>("id");
        QTest::newRow("negative") << -1;
        QTest::newRow("past ub") << 3;
        QTest::newRow("far past") << 32767;
    }
    void ienumOutOfRange() {
        QFETCH(int, id);
        ivordalite s;
        QVERIFY(s.mount(file("range.qex"), false));
        s.add(QStringLiteral("a"), QStringLiteral("1"), 0, QString());
        s.add(QStringLiteral("b"), QStringLiteral("2"), 0, QString());
        QString n, v, t;
        bool b;
        qint32 l;
        try {
            s.ienum(qint16(id), n, b, v, l, t);
            QFAIL("no error raised");
        } catch (const StoreError& e) {
            QCOMPARE(e.number(), 9);
        }
        s.ienum(0, n, b, v, l, t); // the hidden entry is in range
        QCOMPARE(n, QString());
    }

    void entryLimit() {
        const QString path = file("full.qex");
        ivordalite s;
        QVERIFY(s.mount(path, false));
        for (int i = 0; i < StoreFormat::kMaxEntries; ++i)
            s.add(QString::number(i), QString(), i, QString());
        QCOMPARE(s.count(), qint16(32767));
        QCOMPARE(s.ub(), qint16(32767));
        try {
            s.add(QStringLiteral("one too many"), QString(), 1, QString());
            QFAIL("no error raised");
        } catch (const StoreError& e) {
            QCOMPARE(e.number(), 6);
        }
        QCOMPARE(s.count(), qint16(32767));
        // overwriting an existing key is still fine, and the full store round-trips
        s.add(QStringLiteral("32766"), QStringLiteral("last"), 0, QString());
        QVERIFY(s.save());
        QCOMPARE(QFileInfo(path).size(), qint64(32769) * 128);
        ivordalite back;
        QVERIFY(back.mount(path, false));
        QCOMPARE(back.ub(), qint16(32767));
        QCOMPARE(back.getstring(QStringLiteral("32766"), QString()), QStringLiteral("last"));
        QCOMPARE(back.getlong(QStringLiteral("16000"), 0), 16000);
    }

    // --- save ------------------------------------------------------------------------
    void oversizeRecordRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("title");
        QTest::addColumn<bool>("fits");
        const QString n50(50, u'n');
        QTest::newRow("entry of 128 bytes") << n50 << QString(50, u'v') << QString(8, u't') << "" << true;
        QTest::newRow("entry of 129 bytes") << n50 << QString(51, u'v') << QString(8, u't') << "" << false;
        QTest::newRow("long tag") << "k"
                                  << "" << QString(108, u't') << "" << false;
        QTest::newRow("header of 128 bytes") << "k"
                                             << "v"
                                             << "" << QString(116 - 39, u'T') << true;
        QTest::newRow("header of 129 bytes") << "k"
                                             << "v"
                                             << "" << QString(117 - 39, u'T') << false;
    }
    void oversizeRecordRefused() {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, tag);
        QFETCH(QString, title);
        QFETCH(bool, fits);
        const QString path = file("size.qex");
        QFile::remove(path);
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            s.add(QStringLiteral("before"), QStringLiteral("kept"), 0, QString());
            QVERIFY(s.save());
        }
        const QByteArray before = readAll(path);
        ivordalite s;
        QVERIFY(s.mount(path, false));
        s.setTitle(title);
        s.add(name, value, 0, tag);
        QCOMPARE(s.save(), fits);
        if (fits) {
            ivordalite back;
            QVERIFY(back.mount(path, false));
            QCOMPARE(back.getstring(name, QStringLiteral("?")), value);
            QCOMPARE(back.title(), title);
        } else {
            QCOMPARE(readAll(path), before);
            QVERIFY(!s.errorString().isEmpty());
            // still mounted on its file: a fixed record can be saved afterwards
            s.setTitle(QString());
            s.add(name, QStringLiteral("v"), 0, QString());
            QVERIFY(s.save());
        }
    }

    void readOnlyQuestion_data() {
        QTest::addColumn<MsgResult>("answer");
        QTest::newRow("Yes overwrites") << MsgResult::Yes;
        QTest::newRow("No leaves the file") << MsgResult::No;
    }
    void readOnlyQuestion() {
        QFETCH(MsgResult, answer);
        const QString path = file("ro.qex");
        QFile::remove(path);
        {
            ivordalite s;
            QVERIFY(s.mount(path, false));
            s.add(QStringLiteral("old"), QStringLiteral("1"), 0, QString());
            QVERIFY(s.save());
        }
        const QByteArray before = readAll(path);
        QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        ScriptedPrompter p;
        p.expect(answer, QStringLiteral("Readonly File Detected"));
        ivordalite s;
        QVERIFY(s.mount(path, false));
        s.add(QStringLiteral("new"), QStringLiteral("2"), 0, QString());
        QCOMPARE(s.save(), answer == MsgResult::Yes);
        QVERIFY(p.unexpected.isEmpty());
        QCOMPARE(p.boxes.size(), 1);
        QCOMPARE(p.boxes[0].icon, MsgIcon::Question);
        QCOMPARE(p.boxes[0].buttons, MsgButtons::YesNo);
        QCOMPARE(p.boxes[0].text,
                 QStringLiteral("The specified file is readonly. Do you want to save to this location anyways?"));
        if (answer == MsgResult::Yes) {
            QVERIFY(QFile::permissions(path) & QFileDevice::WriteOwner);
            ivordalite back;
            QVERIFY(back.mount(path, false));
            QCOMPARE(back.getstring(QStringLiteral("new"), QString()), QStringLiteral("2"));
        } else {
            QCOMPARE(readAll(path), before);
            QVERIFY(!(QFile::permissions(path) & QFileDevice::WriteOwner));
            // the entries stay in memory, the path is forgotten: nothing more reaches the file
            QCOMPARE(s.getstring(QStringLiteral("new"), QString()), QStringLiteral("2"));
            QCOMPARE(s.filePath(), QString());
            QVERIFY(!s.save());
            QCOMPARE(p.boxes.size(), 1);
            QCOMPARE(readAll(path), before);
        }
        QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void saveWithoutFileRefused() {
        ivordalite s;
        s.add(QStringLiteral("a"), QStringLiteral("b"), 0, QString());
        QVERIFY(!s.save());
    }

    void saveKeepsStoreMounted() {
        const QString path = file("keep.qex");
        ivordalite s;
        QVERIFY(s.mount(path, false));
        s.add(QStringLiteral("a"), QStringLiteral("1"), 0, QString());
        QVERIFY(s.save());
        QVERIFY(s.isMounted());
        QCOMPARE(s.filePath(), path);
        s.add(QStringLiteral("b"), QStringLiteral("2"), 0, QString());
        QVERIFY(s.save());
        ivordalite back;
        QVERIFY(back.mount(path, false));
        QCOMPARE(visibleNames(back), (QStringList{"a", "b"}));
        QCOMPARE(back.header().formatversion, 4);
    }

    void zeroallKeepsTitle() {
        ivordalite s;
        QVERIFY(s.mount(file("zero.qex"), false));
        s.setTitle(QStringLiteral("T"));
        s.add(QStringLiteral("a"), QStringLiteral("1"), 0, QString());
        s.zeroall();
        QVERIFY(!s.isMounted());
        QCOMPARE(s.ub(), qint16(0));
        QCOMPARE(s.count(), qint16(0));
        QCOMPARE(s.comment(), QString());
        QCOMPARE(s.header().formatversion, 0);
        QCOMPARE(s.title(), QStringLiteral("T"));
        QVERIFY(!s.save());
    }

    // --- fe --------------------------------------------------------------------------
    void fileExistence_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exists");
        QTest::newRow("ordinary file") << "plain.qex" << true;
        QTest::newRow("hidden file") << ".hidden.qex" << false;
        QTest::newRow("directory") << "folder" << false;
        QTest::newRow("missing") << "nothing.qex" << false;
        QTest::newRow("wildcard match") << "pl*.qex" << true;
        QTest::newRow("wildcard no match") << "zz?.qex" << false;
        QTest::newRow("empty") << "" << false;
    }
    void fileExistence() {
        QFETCH(QString, name);
        writeAll(file("plain.qex"), "x");
        writeAll(file(".hidden.qex"), "x");
        QDir().mkpath(file("folder"));
        QTEST(ivordalite::fe(name.isEmpty() ? QString() : file(name)), "exists");
    }

    void versionText() { QCOMPARE(ivordalite::version(), QStringLiteral("VORDA Platform v3.44 of 16Jan2010")); }

private:
    QString file(const QString& name) const { return m_dir.path() + QStringLiteral("/") + name; }
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
