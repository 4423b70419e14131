// libFuzzer target for the package reader: the zip, the plain or zstd-compressed SQLite
// collection in it, its decks, notes and review log. Besides "no crash, no leak, no unbounded
// allocation" it checks what the reader promises: a refused package has one message and no
// decks; an accepted one gives chapters whose cards have a front, no front twice in a deck,
// one-line texts without spaces around them, and reviews graded 1 to 4 in time order.
// The collection is unpacked to a temporary file: run with TMPDIR on a memory file system
// (fuzz/run.sh sets /dev/shm), so every input stays in memory.
#include "collection.h"

#include <QCoreApplication>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {
[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "package: %s\n", what);
    std::abort();
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
    // The first byte picks the fields and what becomes of cloze notes, the rest is the package.
    const uint8_t pick = data[0];
    package::ImportChoice choice;
    choice.frontField = pick & 3;
    choice.backField = (pick >> 2) & 3;
    choice.cloze = (pick & 16) ? package::ClozeMode::Skip : package::ClozeMode::OneCardPerCloze;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
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
