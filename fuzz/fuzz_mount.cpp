// Reads arbitrary bytes as a record store, in memory, with the same decoder that mount uses.
// Beyond "no crash, no sanitizer report", every store that reads must hold records that fit
// their slots in its encoding, and must read back the same after an encode: a marked (UTF-8)
// store whose texts all fit Windows-1252 comes back unmarked with the same texts, and any
// other store keeps its encoding.
#include "ivordalite.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "fuzz_mount: %s\n", what);
        std::abort();
    }
}

bool sameEntries(const QVector<StoreEntry>& a, const QVector<StoreEntry>& b) {
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].isstring != b[i].isstring || a[i].valuestring != b[i].valuestring ||
            a[i].valuelong != b[i].valuelong || a[i].tag != b[i].tag || a[i].reserved1 != b[i].reserved1 ||
            a[i].reserved2 != b[i].reserved2)
            return false;
    return true;
}

StoreFormat::SlotSource sourceOf(const QByteArray& bytes) {
    return [&bytes](qint64 first, qint64 n) {
        const qint64 from = first * StoreFormat::kSlot;
        if (from >= bytes.size())
            return QByteArray();
        return bytes.mid(from, n * StoreFormat::kSlot);
    };
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));

    StoreHeader header;
    QVector<StoreEntry> none;
    QString description;
    const int headerOnly = StoreFormat::decode(sourceOf(input), true, header, none, description);
    check(none.isEmpty(), "a header-only read gave entries");

    StoreHeader h;
    QVector<StoreEntry> entries;
    const int number = StoreFormat::decode(sourceOf(input), false, h, entries, description);
    // The entries can only add a failure of their own ("Bad record length").
    check(headerOnly != 0 ? number == headerOnly : (number == 0 || number == 59),
          "header-only and full reads disagree on the header");
    if (number != 0) {
        check(entries.isEmpty(), "a failed read kept entries");
        check(!description.isEmpty(), "a failed read without a description");
        return 0;
    }
    check(h.count >= 0 && entries.size() == h.count + 1, "count and entries disagree");
    check(h.extra != QLatin1String("UTF-8"), "the marker was kept as the extra value");
    // Windows-1252 reads one character per byte. UTF-8 reads at most one unit per byte (an
    // ill-formed byte becomes U+FFFD, which takes 3 bytes when written again).
    const bool marked = h.encoding == TextEncoding::Utf8;
    for (const StoreEntry& e : entries)
        check(marked ? StoreFormat::kEntryFixed + e.name.size() + e.valuestring.size() + e.tag.size() <=
                           StoreFormat::kSlot
                     : StoreFormat::entrySize(e, h.encoding) <= StoreFormat::kSlot,
              "a read entry does not fit its slot");
    check(marked ? StoreFormat::kHeaderFixed + FileText::kMarkerSize + h.comment.size() + h.title.size() <=
                       StoreFormat::kSlot
                 : StoreFormat::headerSize(h, h.encoding) <= StoreFormat::kSlot,
          "the read header does not fit its slot");

    // Written back in the encoding its texts need, and read again.
    QByteArray out;
    QString error;
    if (!StoreFormat::encode(h, entries, out, &error)) {
        // Only a marked store's texts can grow: U+FFFD takes 3 bytes as UTF-8, 1 as "?".
        check(h.encoding == TextEncoding::Utf8, "an unmarked store cannot be written back");
        return 0;
    }
    check(out.size() == (entries.size() + 1) * StoreFormat::kSlot, "the written store has the wrong size");
    const TextEncoding chosen = StoreFormat::chooseEncoding(h, entries);
    check(h.encoding == TextEncoding::Utf8 || chosen == TextEncoding::Windows1252, "an unmarked store became UTF-8");
    StoreHeader h2;
    QVector<StoreEntry> back;
    check(StoreFormat::decode(sourceOf(out), false, h2, back, description) == 0, "a written store does not read");
    check(h2.encoding == chosen, "the written marker does not match the chosen encoding");
    check(sameEntries(entries, back), "entries changed through encode and read");
    check(h2.comment == h.comment && h2.title == h.title && h2.extra == h.extra &&
              h2.formatversion == h.formatversion && h2.count == h.count,
          "the header changed through encode and read");
    return 0;
}
