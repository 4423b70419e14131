// libFuzzer target for the study program's chapter loader. The bytes become a file in memory
// that LoadChapterFile reads twice into the deck. Besides "no crash, no leak, no unbounded
// allocation", it checks what the loader promises: a refused file (with its message box)
// leaves the deck as it was; an accepted one (two cards or more) appends one card per visible entry, with the
// chapter title and the trouble default, keeps the spare slot empty, and never takes the
// deck past its limit.
#include "deck.h"
#include "ivordalite.h"
#include "memoryfile.h"
#include "prompter.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Answers every box with OK and counts them.
class OkPrompter : public Prompter {
public:
    MsgResult ask(MsgIcon, MsgButtons buttons, const QString&, const QString&) override {
        ++boxes;
        return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Yes;
    }
    int boxes = 0;
};

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "chapter loader: %s\n", what);
    std::abort();
}

bool sameCard(const Card& a, const Card& b) {
    return a.question == b.question && a.answer == b.answer && a.tag == b.tag && a.reserved == b.reserved &&
           a.trouble == b.trouble && a.timesviewed == b.timesviewed && a.chaptertitle == b.chaptertitle;
}

bool emptyCard(const Card& c) {
    return sameCard(c, Card());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static OkPrompter prompt;
    setPrompter(&prompt);
    static MemoryFile file;
    if (!file.set(data, size))
        return 0;
    const QString& path = file.path();

    // What a store reader sees in the file: the loader must take exactly its visible entries.
    int visible = -1;
    {
        ivordalite probe;
        if (probe.mount(path, false))
            visible = probe.ub();
    }

    deck = QVector<Card>(1);
    troubledefault = size % 2 == 0;
    const QString title = QStringLiteral("T");
    for (int round = 0; round < 2; ++round) {
        const QVector<Card> before = deck;
        const int boxesBefore = prompt.boxes;
        LoadChapterFile(path, title);
        const bool refused = prompt.boxes != boxesBefore;
        if (prompt.boxes > boxesBefore + 1)
            fail("more than one message box for one file");
        if (deck.size() > kMaxDeckSlots)
            fail("the deck went past its limit");
        // Read through a const view: the deck still shares its cards with `before`, and a
        // writable access would copy all of them.
        const QVector<Card>& now = deck;
        if (now.isEmpty() || !emptyCard(now.constLast()))
            fail("the spare slot is missing or not empty");
        if (refused) {
            if (deck.size() != before.size())
                fail("a refused file changed the deck");
            for (qsizetype i = 0; i < deck.size(); ++i)
                if (!sameCard(now[i], before[i]))
                    fail("a refused file changed a card");
            if (visible > 1 && before.size() + visible <= kMaxDeckSlots)
                fail("a readable chapter within the limit was refused");
            continue;
        }
        // A chapter needs at least two cards.
        if (visible < 2)
            fail("a file that does not mount with two entries or more was accepted");
        if (deck.size() != before.size() + visible)
            fail("the deck did not grow by the chapter's entries");
        for (qsizetype i = 0; i < before.size() - 1; ++i)
            if (!sameCard(now[i], before[i]))
                fail("loading a chapter changed an earlier card");
        for (qsizetype i = before.size() - 1; i < deck.size() - 1; ++i) {
            const Card& c = now[i];
            if (c.chaptertitle != title || c.trouble != (troubledefault ? -1 : 0) || c.timesviewed != 0 ||
                !c.reserved.isEmpty())
                fail("a loaded card lacks its title, trouble default or zero views");
            if (c.question.contains(QLatin1String("asc(252)")) || c.answer.contains(QLatin1String("asc(252)")))
                fail("a special-letter marker was left in a card");
        }
    }
    deck = QVector<Card>(1);
    return 0;
}
