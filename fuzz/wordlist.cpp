// libFuzzer target for the word-list reader. Besides "no crash, no leak, no unbounded
// allocation" it checks what the reader promises: a refused input fills nothing else; an
// accepted one gives at most maxRows rows in file order, each with a front or a back,
// one-line texts without spaces around them; and what the writer makes of those rows
// reads back to the same rows (but for rows cut for being too long).
#include "wordlistreader.h"
#include "wordlistwriter.h"

#include <QBuffer>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace wordlist;

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "word list: %s\n", what);
    std::abort();
}

WordTable readBytes(const QByteArray& bytes, const ReadOptions& o) {
    QBuffer b;
    b.setData(bytes);
    b.open(QIODevice::ReadOnly);
    return WordListReader::read(b, o);
}

bool oneLineTrimmed(const QString& t) {
    return !t.contains(u'\n') && !t.contains(u'\r') && !t.startsWith(u' ') && !t.endsWith(u' ');
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the options, the rest is the file.
    const uint8_t pick = data[0];
    ReadOptions o;
    const char delimiters[] = {0, ',', ';', '\t'};
    o.delimiter = delimiters[pick & 3];
    o.header = (pick & 4) ? Header::Detect : Header::No;
    o.frontColumn = (pick >> 3) & 3;
    o.backColumn = (pick >> 5) & 3;
    o.maxRows = 50;
    const QByteArray input(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const WordTable t = readBytes(input, o);
    if (!t.ok()) {
        if (!t.rows.isEmpty() || !t.sample.isEmpty() || t.dataRows != 0)
            fail("a refused input gave rows");
        return 0;
    }
    if (t.rows.size() > o.maxRows || t.dataRows < t.rows.size() || t.columns > kMaxColumns)
        fail("more rows or columns than allowed");
    if (t.sample.size() != t.sampleLines.size() || t.sample.size() > o.sampleRows)
        fail("the sample does not match its lines");
    qint64 line = 0;
    for (const WordRow& r : t.rows) {
        if (r.line <= line)
            fail("rows out of line order");
        line = r.line;
        if (r.front.isEmpty() && r.back.isEmpty())
            fail("an empty row");
        if (!oneLineTrimmed(r.front) || !oneLineTrimmed(r.back))
            fail("a text with a line break or spaces around it");
    }

    QVector<TextPair> pairs;
    for (const WordRow& r : t.rows)
        pairs.append({r.front, r.back});
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    if (!WordListWriter::write(out, pairs, Format::Csv, error))
        fail("writing to memory failed");
    ReadOptions again;
    again.delimiter = ',';
    again.header = Header::No;
    const WordTable back = readBytes(out.data(), again);
    // Texts of control characters may read as binary data; then there is nothing to compare.
    if (!back.ok())
        return 0;
    if (back.rows.size() != t.rows.size())
        fail("written rows read back as a different number");
    for (qsizetype i = 0; i < t.rows.size(); ++i) {
        // A text over kMaxKeptBytes is kept cut at a byte count of the file's encoding, so
        // the same letters cut in UTF-8 keep fewer of them; such a row is never imported.
        if (t.rows[i].tooLong || back.rows[i].tooLong)
            continue;
        if (back.rows[i].front != t.rows[i].front || back.rows[i].back != t.rows[i].back)
            fail("written rows read back different");
    }
    return 0;
}
