#pragma once
// The cards, decks and review log of a package of the most used flash-card program, read
// from its SQLite collection (see PackageArchive for how it is unpacked). Both schemas are
// read: the older one keeps decks and note types as JSON in the `col` table (`decks`,
// `models`), the newer one in tables of their own (`decks`, whose names separate their
// levels with 0x1F, `notetypes` and `fields`). Notes keep their fields in `notes.flds`,
// separated by 0x1F; `cards` ties a note to a deck, one card per template (or per cloze
// number); `revlog` holds one row per answer: id = time in ms, cid, ease 1..4, time = answer
// ms, type 0 learn, 1 review, 2 relearn, 3 filtered, 4 manual.
//
// One chapter per deck: each note gives one card, its front and back two of its fields
// (HTML reduced to text, media removed and counted). A cloze note gives one card per cloze
// number, "text with [...]" -> the hidden words, or is skipped and counted. A card's review
// log is that of the note's first card (of its cloze card for a cloze), without manual
// entries, entries without a grade, and filtered-deck entries that did not reschedule.
#include "history.h"

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <memory>

namespace package {

struct DeckInfo {
    qint64 id = 0;
    QString title; // "A – B" for the nested deck A::B
    int notes = 0; // notes whose card is in the deck
};

struct NoteTypeInfo {
    qint64 id = 0;
    QString name;
    QStringList fields;
    bool cloze = false;
    int notes = 0;
};

enum class ClozeMode { OneCardPerCloze, Skip };

struct ImportChoice {
    QSet<qint64> decks; // empty: every deck
    int frontField = 0; // 0-based field of each note
    int backField = 1;
    ClozeMode cloze = ClozeMode::OneCardPerCloze;
};

struct ImportedCard {
    QString front;
    QString back;
    QVector<history::ImportedReview> reviews;
};

struct DeckChapter {
    qint64 deckId = 0;
    QString title;
    QVector<ImportedCard> cards;
};

// What was left out or changed, for one message.
struct ImportCounts {
    qint64 emptyFronts = 0;
    qint64 duplicateFronts = 0;
    qint64 sounds = 0;
    qint64 images = 0;
    qint64 clozeSkipped = 0;   // cloze notes skipped, or without a cloze in their field
    qint64 reviews = 0;        // reviews brought along
    qint64 reviewsSkipped = 0; // manual, ungraded or not rescheduling entries
};

struct ImportResult {
    QString error;
    QVector<DeckChapter> chapters; // in deck order, decks without cards left out
    ImportCounts counts;
    bool ok() const { return error.isEmpty(); }
};

class Collection {
public:
    Collection();
    ~Collection();
    Collection(const Collection&) = delete;
    Collection& operator=(const Collection&) = delete;

    // Unpacks and opens the package; false with error() when it can't be read.
    bool open(const QString& packagePath);
    bool openData(const QByteArray& packageBytes);
    QString error() const { return m_error; }

    const QVector<DeckInfo>& decks() const { return m_decks; }
    const QVector<NoteTypeInfo>& noteTypes() const { return m_types; }
    // A name for each field position, from the note types that have it (most used first):
    // "Front", "Back / Meaning" ...
    QStringList fieldNames() const;
    int noteCount() const { return m_noteCount; }

    ImportResult read(const ImportChoice& choice) const;

private:
    bool fail(const QString& message);
    bool load();
    bool readNoteTypes();
    bool readDecks();

    struct Db;
    std::unique_ptr<Db> m_db;
    QString m_error;
    QVector<DeckInfo> m_decks;
    QVector<NoteTypeInfo> m_types;
    int m_noteCount = 0;
    bool m_hasRevlog = false;
    bool m_newSchema = false;
};

// "A::B" (older schema) or "A\x1fB" (newer) as a title: "A – B".
QString deckTitle(const QString& name);

// The cards of a cloze text: for each cloze number, in order, the text with that number's
// gaps shown as "[...]" (or "[hint]") and the others filled in, and the hidden words joined
// by ", ". Empty when the text holds no cloze.
struct ClozeCard {
    int number = 0;
    QString front;
    QString back;
};
QVector<ClozeCard> clozeCards(const QString& text);

// One message for all that was left out or changed; empty when nothing was.
QString droppedMessage(const ImportCounts& counts);

} // namespace package
