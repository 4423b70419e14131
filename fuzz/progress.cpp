// libFuzzer target for the progress-file reader, in memory. Besides "no crash, no leak, no
// unbounded allocation", it checks what the reader promises: an accepted file writes back to a
// file that reads the same, and to the same bytes (missing fields as zeros, bytes after the
// last record dropped) unless UTF-8 was ill-formed; a file cut inside a field reads back the
// same once written; a sequential device gives the same answer as a random-access one.
#include "filetext.h"
#include "progressfile.h"

#include <QBuffer>
#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

// A device that cannot say how much it holds, like a pipe.
class SequentialReader : public QIODevice {
public:
    explicit SequentialReader(const QByteArray& data) : m_data(data) { open(QIODevice::ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override {
        // Hand out at most 7 bytes per call, so that short reads are taken in pieces.
        const qint64 n = std::min<qint64>({max, m_data.size() - m_pos, 7});
        if (n <= 0)
            return m_pos >= m_data.size() ? -1 : 0;
        memcpy(out, m_data.constData() + m_pos, size_t(n));
        m_pos += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray m_data;
    qint64 m_pos = 0;
};

bool sameCards(const QVector<Card>& a, const QVector<Card>& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        const Card& x = a[i];
        const Card& y = b[i];
        if (x.question != y.question || x.answer != y.answer || x.tag != y.tag || x.reserved != y.reserved ||
            x.trouble != y.trouble || x.timesviewed != y.timesviewed || x.chaptertitle != y.chaptertitle)
            return false;
    }
    return true;
}

[[noreturn]] void fail(const char* what) {
    fprintf(stderr, "progress reader: %s\n", what);
    abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    ProgressData got;
    QString error;
    const bool ok = readProgress(in, got, &error);

    SequentialReader seq(bytes);
    ProgressData gotSeq;
    QString errorSeq;
    const bool okSeq = readProgress(seq, gotSeq, &errorSeq);
    if (ok != okSeq)
        fail("sequential and random-access devices disagree");

    if (!ok) {
        if (error.isEmpty())
            fail("refused without a reason");
        if (!got.cards.isEmpty())
            fail("refused but left cards behind");
        return 0;
    }
    if (got.n < 0 || got.n > kMaxProgressCount)
        fail("accepted a count out of range");
    if (got.cards.size() != got.n + 1 || got.recordsRead != got.n + 1)
        fail("deck size does not match the count");
    if (got.n != gotSeq.n || !sameCards(got.cards, gotSeq.cards) || got.cut != gotSeq.cut ||
        got.wholeCards != gotSeq.wholeCards)
        fail("sequential read differs");
    if (got.wholeCards < 0 || got.wholeCards > got.n)
        fail("more whole cards than the count");

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString writeError;
    if (!writeProgress(out, got.cards, &writeError))
        fail("an accepted deck cannot be written back");
    const QByteArray back = out.data();
    if (got.cut) {
        // The cut field and all after it read as empty: what was read reads back the same.
        QBuffer again;
        again.setData(back);
        again.open(QIODevice::ReadOnly);
        ProgressData reread;
        QString rereadError;
        if (!readProgress(again, reread, &rereadError) || reread.cut || !sameCards(reread.cards, got.cards))
            fail("a cut file does not read back the same");
        return 0;
    }

    // What was written reads back as the same deck.
    QBuffer again;
    again.setData(back);
    again.open(QIODevice::ReadOnly);
    ProgressData gotAgain;
    if (!readProgress(again, gotAgain, &error) || !sameCards(gotAgain.cards, got.cards))
        fail("a written deck reads back differently");

    // Byte for byte: an 8-bit file as ever (missing fields written as zeros, bytes after the
    // last record dropped), and a UTF-8 file (which ends in its trailer) exactly, unless an
    // ill-formed sequence was read as U+FFFD or a marked file turned out to need no UTF-8.
    bool needsUtf8 = false;
    for (const Card& c : got.cards)
        for (const QString* t : {&c.question, &c.answer, &c.tag, &c.reserved, &c.chaptertitle}) {
            if (t->contains(QChar(0xFFFD)))
                return 0;
            needsUtf8 = needsUtf8 || !FileText::fitsWindows1252(*t);
        }
    // A text outside Windows-1252 was read from a UTF-8 file, which is complete and ends in its
    // trailer: it comes back as it was.
    if (needsUtf8) {
        if (back != bytes)
            fail("a UTF-8 file written back differently");
        return 0;
    }
    // A marked file whose texts all fit Windows-1252 is written unmarked (and a file whose last
    // text is "UTF-8" looks the same at its end); the read-back above covers both.
    if (bytes.endsWith(QByteArray("\x05\x00UTF-8", 7)))
        return 0;
    const qsizetype common = std::min(back.size(), bytes.size());
    if (memcmp(back.constData(), bytes.constData(), size_t(common)) != 0)
        fail("written back differently");
    for (qsizetype i = common; i < back.size(); ++i)
        if (back[i] != 0)
            fail("missing fields did not read as empty and zero");
    return 0;
}
