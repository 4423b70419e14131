// libFuzzer target for the package reader: the zip, the plain or zstd-compressed SQLite
// collection in it, its decks, notes and review log. Besides "no crash, no leak, no unbounded
// allocation" it checks what the reader promises: a refused package has one message and no
// decks; an accepted one gives chapters whose cards have a front, no front twice in a deck,
// one-line texts without spaces around them, and reviews graded 1 to 4 in time order.
// The collection is unpacked to a temporary file: run with TMPDIR on a memory file system
// (fuzz/run.sh sets /dev/shm), so every input stays in memory.
#include "collection.h"

#include <QCoreApplication>

#include <zip.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "package: %s\n", what);
    std::abort();
}

// The bytes as the one member of a stored zip, so that the fuzzer reaches the collection
// itself past the zip's checksums.
QByteArray storedZip(const QByteArray& member, const char* name) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(out);
    zip_t* z = zip_open_from_source(out, ZIP_TRUNCATE, &error);
    zip_source_t* in = zip_source_buffer(z, member.constData(), zip_uint64_t(member.size()), 0);
    const zip_int64_t index = zip_file_add(z, name, in, 0);
    zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_STORE, 0);
    zip_close(z);
    QByteArray bytes;
    zip_stat_t st;
    if (zip_source_open(out) == 0) {
        if (zip_source_stat(out, &st) == 0) {
            bytes.resize(qsizetype(st.size));
            bytes.resize(qsizetype(std::max<zip_int64_t>(0, zip_source_read(out, bytes.data(), st.size))));
        }
        zip_source_close(out);
    }
    zip_source_free(out);
    zip_error_fini(&error);
    return bytes;
}

bool oneLineTrimmed(const QString& t) {
    return !t.contains(u'\n') && !t.contains(u'\r') && !t.startsWith(u' ') && !t.endsWith(u' ') &&
           !t.contains(QStringLiteral("  "));
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Qt SQL finds its SQLite driver through the application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // The first byte picks the fields, what becomes of cloze notes and what the rest is: the
    // package, or the collection itself (SQLite, or zstd-compressed SQLite) put in a zip here.
    const uint8_t pick = data[0];
    package::ImportChoice choice;
    choice.frontField = pick & 3;
    choice.backField = (pick >> 2) & 3;
    choice.cloze = (pick & 16) ? package::ClozeMode::Skip : package::ClozeMode::OneCardPerCloze;
    QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if ((pick >> 6) == 1)
        bytes = storedZip(bytes, "collection.anki2");
    else if ((pick >> 6) == 2)
        bytes = storedZip(bytes, "collection.anki21b");
    package::Collection c;
    if (!c.openData(bytes)) {
        if (c.error().isEmpty() || !c.decks().isEmpty())
            fail("a refused package without a message, or with decks");
        return 0;
    }
    const package::ImportResult r = c.read(choice);
    if (!r.ok()) {
        if (!r.chapters.isEmpty())
            fail("a refused collection gave chapters");
        return 0;
    }
    for (const package::DeckChapter& chapter : r.chapters) {
        if (chapter.cards.isEmpty())
            fail("a chapter without cards");
        QSet<QString> fronts;
        for (const package::ImportedCard& card : chapter.cards) {
            if (card.front.isEmpty() || !oneLineTrimmed(card.front) || !oneLineTrimmed(card.back))
                fail("an empty front, or a text with a line break or spaces around it");
            if (fronts.contains(card.front))
                fail("a front twice in one deck");
            fronts.insert(card.front);
            qint64 last = std::numeric_limits<qint64>::min();
            for (const history::ImportedReview& review : card.reviews) {
                if (int(review.grade) < 1 || int(review.grade) > 4 || review.time < last)
                    fail("a review without a grade of 1 to 4, or out of time order");
                last = review.time;
            }
        }
    }
    return 0;
}
