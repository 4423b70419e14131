#include "progressfile.h"

#include "appstate.h"
#include "filetext.h"
#include "gcommondialog.h"
#include "messagelog.h"
#include "prompter.h"

#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSaveFile>
#include <algorithm>
#include <array>

namespace {

const QString kFilter = QStringLiteral("Quarnel Save File|*.qrs");
const QString kExtension = QStringLiteral("qrs");
// Four empty texts, the two numbers and the title's length.
constexpr qint64 kMinRecordBytes = 14;

void setError(QString* error, const QString& text) {
    if (error)
        *error = text;
}

// The names of a record's texts, in file order, for messages.
enum class TextField { Question, Answer, Tag, Reserved, ChapterTitle };

QString fieldName(TextField f) {
    switch (f) {
    case TextField::Question:
        return QStringLiteral("question");
    case TextField::Answer:
        return QStringLiteral("answer");
    case TextField::Tag:
        return QStringLiteral("tag");
    case TextField::Reserved:
        return QStringLiteral("reserved text");
    case TextField::ChapterTitle:
        return QStringLiteral("chapter title");
    }
    return QString();
}

std::array<const QString*, 5> textsOf(const Card& c) {
    return {&c.question, &c.answer, &c.tag, &c.reserved, &c.chaptertitle};
}

void putInt16(QByteArray& buf, quint16 v) {
    buf.append(char(v & 0xFF));
    buf.append(char(v >> 8));
}

void putText(QByteArray& buf, const QString& text, TextEncoding encoding) {
    const qsizetype at = buf.size();
    buf.resize(at + 2 + FileText::byteLength(text, encoding));
    const qsizetype n = FileText::encodeInto(text, encoding, buf.data() + at + 2);
    buf[at] = char(n & 0xFF);
    buf[at + 1] = char((n >> 8) & 0xFF);
}

// After the spare record of a UTF-8 file: a length and "UTF-8", like a text field. A reader
// that stops after the spare record never sees it.
const QByteArray kTrailer = QByteArray("\x05\x00", 2) + QByteArray(FileText::kMarker);

// How the reader decodes texts: as the trailer says, or (when the device can't be read a
// second time) kept as bytes until the end of the file tells.
enum class TextMode { Windows1252, Utf8, Deferred };

// Reads the fields of a progress file one by one, from a buffer that is filled from the
// device in large blocks (a call to the device for every 2-byte field costs more than the
// whole decoding). Once the file has ended, every further field reads as empty or zero. A
// file that ends inside a field is cut: that field and everything after it read as empty,
// and `cut()` tells where. Messages name the field and the record it belongs to; they are
// built only when something is wrong.
class FieldReader {
public:
    FieldReader(QIODevice& in, TextMode mode) : m_in(in), m_mode(mode) {}
    // The bytes of every text read in Deferred mode, in file order.
    QVector<QByteArray>& deferred() { return m_deferred; }
    // True when the rest of the device is exactly the UTF-8 trailer.
    bool trailerFollows() {
        if (m_ended)
            return false;
        if (fill(kTrailer.size() + 1) < 0)
            return false;
        return available() == kTrailer.size() &&
               QByteArray::fromRawData(m_buf.constData() + m_pos, kTrailer.size()) == kTrailer;
    }

    bool ended() const { return m_ended; }
    // The file ended inside a field; the record it ended in (0-based, -1 for the card count).
    bool cut() const { return m_cut; }
    int cutRecord() const { return m_cutRecord; }
    const QString& error() const { return m_error; }
    // The record the next fields belong to (0-based), of `count`; -1 for the card count.
    void setRecord(int slot, int count) {
        m_slot = slot;
        m_count = count;
    }

    bool int16(quint16& v, const char* what) {
        v = 0;
        if (m_ended)
            return true;
        const qint64 got = fill(2);
        if (got < 0)
            return fail(QStringLiteral("Read error at %1: %2").arg(where(what), m_in.errorString()));
        if (got == 0) {
            m_ended = true;
            return true;
        }
        if (got == 1)
            return cutHere();
        const auto* b = reinterpret_cast<const uchar*>(m_buf.constData() + m_pos);
        v = quint16(b[0] | (quint16(b[1]) << 8));
        m_pos += 2;
        return true;
    }

    bool text(QString& s, const char* what) {
        s.clear();
        if (m_mode == TextMode::Deferred)
            m_deferred.append(QByteArray());
        quint16 len = 0;
        if (!int16(len, what))
            return false;
        if (m_ended || len == 0)
            return true;
        // The buffer grows to at most one text (64 KB) beyond a block, whatever the file claims.
        const qint64 got = fill(len);
        if (got < 0)
            return fail(QStringLiteral("Read error at %1: %2").arg(where(what), m_in.errorString()));
        if (got < len)
            return cutHere();
        const char* bytes = m_buf.constData() + m_pos;
        m_pos += len;
        if (m_mode == TextMode::Deferred)
            m_deferred.back() = QByteArray(bytes, len);
        else
            s = FileText::decode(bytes, len, m_mode == TextMode::Utf8 ? TextEncoding::Utf8 : TextEncoding::Windows1252);
        return true;
    }

private:
    static constexpr qint64 kBlock = 64 * 1024;

    qint64 available() const { return m_buf.size() - m_pos; }

    // How much to ask the device for: a file up to a block is read in one piece of its own size,
    // a pipe in blocks that double from 4 KB, so a small file never costs a 64 KB buffer.
    qint64 nextBlock() {
        if (!m_in.isSequential())
            return std::clamp<qint64>(m_in.bytesAvailable(), 16, kBlock);
        const qint64 block = m_streamBlock;
        m_streamBlock = std::min(m_streamBlock * 2, kBlock);
        return block;
    }

    // Makes `want` bytes available in the buffer when the device still holds them; returns
    // how many are available (fewer only at the end of the data), -1 for a read error. A pipe
    // or socket may hand out its data in pieces: it is read until the data ends.
    qint64 fill(qint64 want) {
        if (available() >= want || m_eof)
            return std::min(available(), want);
        if (m_pos > 0) {
            m_buf.remove(0, m_pos);
            m_pos = 0;
        }
        const qint64 target = std::max(want, nextBlock());
        while (m_buf.size() < want && !m_eof) {
            const qsizetype have = m_buf.size();
            m_buf.resize(target);
            const qint64 n = m_in.read(m_buf.data() + have, target - have);
            if (n < 0 && !m_in.atEnd()) {
                m_buf.resize(have);
                return -1;
            }
            m_buf.resize(have + std::max<qint64>(n, 0));
            if (n <= 0)
                m_eof = true;
        }
        return std::min(available(), want);
    }
    QString where(const char* what) const {
        if (m_slot < 0)
            return QString::fromLatin1(what);
        return QStringLiteral("the %1 of record %2 of %3").arg(QLatin1String(what)).arg(m_slot + 1).arg(m_count);
    }
    bool fail(const QString& e) {
        m_error = e;
        return false;
    }
    bool cutHere() {
        m_cut = true;
        m_cutRecord = m_slot;
        m_ended = true;
        m_pos = m_buf.size();
        return true;
    }

    QIODevice& m_in;
    TextMode m_mode;
    QByteArray m_buf;
    qsizetype m_pos = 0;
    qint64 m_streamBlock = 4 * 1024;
    bool m_eof = false;
    QVector<QByteArray> m_deferred;
    bool m_ended = false;
    bool m_cut = false;
    int m_cutRecord = -1;
    int m_slot = -1;
    int m_count = 0;
    QString m_error;
};

} // namespace

bool writeProgress(QIODevice& out, const QVector<Card>& d, QString* error) {
    if (d.isEmpty() || d.size() > kMaxDeckSlots) {
        setError(error, QStringLiteral("A deck of %1 slots can't be saved: a progress file holds 1 to %2 slots")
                            .arg(d.size())
                            .arg(kMaxDeckSlots));
        return false;
    }
    FileText::EncodingChoice choice;
    for (const Card& c : d)
        for (const QString* t : textsOf(c))
            choice.add(*t);
    const TextEncoding encoding = choice.encoding();
    // Every length is checked first, so that a refused deck writes nothing at all.
    for (qsizetype i = 0; i < d.size(); ++i) {
        const auto texts = textsOf(d[i]);
        for (int f = 0; f < 5; ++f) {
            const qsizetype len = FileText::byteLength(*texts[f], encoding);
            if (len > kMaxProgressText) {
                setError(error,
                         encoding == TextEncoding::Utf8
                             ? QStringLiteral("The %1 of card %2 takes %3 bytes in UTF-8; a progress file holds at "
                                              "most %4 bytes per text")
                                   .arg(fieldName(TextField(f)))
                                   .arg(i + 1)
                                   .arg(len)
                                   .arg(kMaxProgressText)
                             : QStringLiteral("The %1 of card %2 is %3 characters long; a progress file holds at "
                                              "most %4 characters per text")
                                   .arg(fieldName(TextField(f)))
                                   .arg(i + 1)
                                   .arg(len)
                                   .arg(kMaxProgressText));
                return false;
            }
        }
    }

    QByteArray buf;
    auto flush = [&]() {
        // A device may take part of a block; only a write that takes nothing is a failure.
        qsizetype done = 0;
        while (done < buf.size()) {
            const qint64 n = out.write(buf.constData() + done, buf.size() - done);
            if (n <= 0) {
                setError(error, out.errorString());
                return false;
            }
            done += n;
        }
        buf.clear();
        return true;
    };
    putInt16(buf, quint16(qint16(d.size() - 1)));
    for (const Card& c : d) {
        putText(buf, c.question, encoding);
        putText(buf, c.answer, encoding);
        putText(buf, c.tag, encoding);
        putText(buf, c.reserved, encoding);
        putInt16(buf, quint16(c.trouble));
        putInt16(buf, quint16(c.timesviewed));
        putText(buf, c.chaptertitle, encoding);
        if (buf.size() >= 64 * 1024 && !flush())
            return false;
    }
    if (encoding == TextEncoding::Utf8)
        buf.append(kTrailer);
    return flush();
}

namespace {
// One pass over the records. `marked` tells whether the UTF-8 trailer follows the spare record.
bool readRecords(QIODevice& in, TextMode mode, ProgressData& out, bool& marked, QString* error) {
    out = ProgressData();
    marked = false;
    FieldReader r(in, mode);
    quint16 raw = 0;
    if (!r.int16(raw, "the card count")) {
        setError(error, r.error());
        return false;
    }
    const qint16 n = qint16(raw);
    if (n < 0 || n > kMaxProgressCount) {
        setError(error, QStringLiteral("The file gives a card count of %1; a deck holds 0 to %2 cards")
                            .arg(n)
                            .arg(kMaxProgressCount));
        return false;
    }

    const int count = n + 1;
    // Cards are added as they are read, so a file that turns out bad never costs more than
    // it holds; a record takes at least 14 bytes.
    QVector<Card> cards;
    const qint64 room = in.isSequential() ? 256 : in.bytesAvailable() / kMinRecordBytes + 1;
    cards.reserve(int(std::min<qint64>(count, room)));
    int whole = 0; // records read to their last field
    for (int slot = 0; slot < count; ++slot) {
        Card& c = cards.emplace_back();
        r.setRecord(slot, count);
        quint16 trouble = 0, views = 0;
        const bool ok = r.text(c.question, "question") && r.text(c.answer, "answer") && r.text(c.tag, "tag") &&
                        r.text(c.reserved, "reserved text") && r.int16(trouble, "trouble flag") &&
                        r.int16(views, "view count") && r.text(c.chaptertitle, "chapter title");
        if (!ok) {
            setError(error, r.error());
            return false;
        }
        c.trouble = qint16(trouble);
        c.timesviewed = qint16(views);
        if (r.ended())
            break;
        ++whole;
    }
    marked = r.trailerFollows();
    const bool cut = r.cut();
    if (mode == TextMode::Deferred) {
        const TextEncoding encoding = marked ? TextEncoding::Utf8 : TextEncoding::Windows1252;
        const QVector<QByteArray>& texts = r.deferred();
        for (qsizetype i = 0; i < cards.size(); ++i) {
            Card& c = cards[i];
            QString* fields[5] = {&c.question, &c.answer, &c.tag, &c.reserved, &c.chaptertitle};
            for (int f = 0; f < 5 && i * 5 + f < texts.size(); ++f)
                *fields[f] = FileText::decode(texts[i * 5 + f], encoding);
        }
    }
    out.n = n;
    out.recordsRead = count;
    out.cards = std::move(cards);
    out.cut = cut;
    out.wholeCards = std::min(whole, int(n)); // the spare is no card
    return true;
}

// The records after the end of a short file are empty cards. Added once the pass that counts
// is known, so that a file read twice builds its full deck once.
bool padded(ProgressData& data) {
    data.cards.resize(data.recordsRead);
    return true;
}
} // namespace

bool readProgress(QIODevice& in, ProgressData& out, QString* error) {
    if (in.isSequential()) {
        bool marked = false;
        return readRecords(in, TextMode::Deferred, out, marked, error) && padded(out);
    }
    // A random-access device shows its last bytes first: a file that ends in the trailer is
    // read as UTF-8. Should the trailer turn out to be part of a text (something else follows
    // the spare record, or the records end before it), the file is read again as it is.
    const qint64 start = in.pos();
    bool guessUtf8 = false;
    if (in.size() - start >= 2 + kTrailer.size() && in.seek(in.size() - kTrailer.size())) {
        guessUtf8 = in.read(kTrailer.size()) == kTrailer;
        if (!in.seek(start)) {
            setError(error, in.errorString());
            return false;
        }
    }
    bool marked = false;
    if (!readRecords(in, guessUtf8 ? TextMode::Utf8 : TextMode::Windows1252, out, marked, error))
        return false;
    if (marked == guessUtf8)
        return padded(out);
    if (!in.seek(start)) {
        setError(error, in.errorString());
        return false;
    }
    return readRecords(in, marked ? TextMode::Utf8 : TextMode::Windows1252, out, marked, error) && padded(out);
}

void SaveProgress(QObject* owner) {
    LogMessage(QStringLiteral("Writing progress to disk/n"));

    GCommonDialog dlg;
    QString fileName, fileTitle, filter = kFilter;
    qint32 filterIndex = 1, flags = 0;
    if (!dlg.VBGetSaveFileName(fileName, fileTitle, true, filter, filterIndex, app().homeFolder,
                               QStringLiteral("Save As"), kExtension, owner, flags))
        return;

    // QSaveFile replaces an existing file only when the new one is complete. Unbuffered, so
    // that a failing write (a full disk) reaches it before commit(), which does not notice a
    // failure in its own final flush.
    QSaveFile file(fileName);
    QString error;
    bool ok = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!ok)
        error = file.errorString();
    if (ok && !writeProgress(file, deck, &error))
        ok = false;
    if (ok && !file.commit()) {
        ok = false;
        error = file.errorString();
    }
    if (!ok) {
        file.cancelWriting();
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't save progress"),
                       QStringLiteral("The progress file '") + fileName + QStringLiteral("' couldn't be written: ") +
                           error);
        return;
    }
    LogMessage(QStringLiteral(" .. wrote ") + QString::number(deckUpper()) + QStringLiteral(" nodes to disk/n"));
}

bool LoadProgress(QObject* owner) {
    LogMessage(QStringLiteral("Reading saved progress from file/n"));

    GCommonDialog dlg;
    QString fileName, fileTitle, filter = kFilter;
    qint32 filterIndex = 1, flags = 0;
    bool readOnly = false;
    if (!dlg.VBGetOpenFileName(fileName, fileTitle, true, false, readOnly, false, filter, filterIndex, app().homeFolder,
                               QStringLiteral("Open File"), kExtension, owner, flags))
        return false;
    if (!QFileInfo::exists(fileName))
        return false;

    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot >= 0 ? fileName.mid(dot + 1) : fileName;
    if (extension != kExtension) {
        prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Incompatible File Detected"),
                       QStringLiteral("This program cannot open this type of file"));
        return false;
    }

    // The whole file is read and checked before the deck is touched.
    ProgressData data;
    QString error;
    QFile file(fileName);
    bool ok = file.open(QIODevice::ReadOnly);
    if (!ok)
        error = file.errorString();
    if (ok)
        ok = readProgress(file, data, &error);
    file.close();
    if (!ok) {
        LogMessage(QStringLiteral("Warning: Error reported in modMain.LoadProgress/n"));
        LogMessage(QStringLiteral("report: ") + error + QStringLiteral("/n"));
        return false;
    }

    FlushDeck(false);
    deck = std::move(data.cards);
    LogMessage(QStringLiteral(" .. read ") + QString::number(data.recordsRead - 1) + QStringLiteral(" of ") +
               QString::number(data.n) + QStringLiteral(" nodes from disk/n"));
    if (data.cut)
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Progress File Incomplete"),
                       QStringLiteral("The progress file '%1' ends early, inside a card. %2 of its %3 cards were "
                                      "read whole; the rest are loaded empty.")
                           .arg(fileName)
                           .arg(data.wholeCards)
                           .arg(data.n));
    return true;
}
