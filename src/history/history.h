#pragma once
// The learner's review history across every chapter, kept in an SQLite file of its own
// (never in a chapter, sys.qex or a progress file). The review log is the truth: one row
// per grade given. Each card's scheduling state is a cache of that log which rebuild()
// recomputes from the log alone, so logs from two machines can be merged row by row.
//
// A card is known by its chapter and its question; the answer is not part of it, so an
// edited answer keeps the card's history. A chapter is known by its file path, and a
// chapter whose file has moved is found again by its title and questions (see
// ChapterIdentity).
//
// When the file cannot be used (corrupt, locked by another program, in a read-only folder,
// written by a newer version) open() says why in one sentence and every later write is
// refused: studying goes on without history and the file is left exactly as it was.
#include "chapteridentity.h"
#include "fsrs.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <optional>
#include <utility>

class QIODevice;
class QSqlDatabase;
class QSqlError;

namespace history {

enum class OpenStatus {
    Ok,
    NotOpen,      // open() not called yet, or close() called
    CannotOpen,   // the folder or file could not be created or opened
    ReadOnly,     // the file or its folder may not be written
    Locked,       // another program holds the file
    Corrupt,      // not a database, or a damaged one
    NewerVersion, // written by a newer version of the program
};

struct OpenResult {
    OpenStatus status = OpenStatus::NotOpen;
    QString message; // empty when status is Ok
    bool ok() const { return status == OpenStatus::Ok; }
};

// The scheduling choices of Preferences.
struct Settings {
    double desiredRetention = 0.90; // kept within fsrs::kMinRetention .. fsrs::kMaxRetention
    bool fuzz = true;
    int maximumInterval = fsrs::kMaxIntervalDays; // days
    fsrs::Parameters parameters() const;
};

// Where a card of the due deck comes from and why it is there.
struct DueCard {
    int chapter = 0; // index into the chapters passed to dueDeck()
    QString question;
    bool isNew = false; // never reviewed
    qint64 due = 0;     // UTC ms; 0 when new
    fsrs::State state = fsrs::State::New;
    // The rest of the card's state (for the grade buttons' intervals) comes from
    // History::card() when the card is shown: the deck stays small and quick to build.
};

struct ChapterCounts {
    int due = 0;    // reviewed cards due before the next study day begins
    int fresh = 0;  // new cards taken into today's deck
    int unseen = 0; // cards never reviewed, whether taken today or not
};

struct DueDeck {
    QVector<DueCard> cards; // due cards, most overdue first, then new cards in chapter order
    QVector<ChapterCounts> perChapter; // one per chapter passed in, same order
    int dueTotal = 0;
    int freshTotal = 0;
    int newIntroducedToday = 0; // new cards first reviewed in this study day before the call
};

// A review brought in from another program's log, and the log of one card.
struct ImportedReview {
    qint64 time = 0; // UTC ms
    fsrs::Grade grade = fsrs::Grade::Good;
    qint64 answerMs = 0;
};
struct ImportedCardLog {
    QString question;
    QVector<ImportedReview> reviews;
};

class History {
public:
    static constexpr int kSchemaVersion = 2;
    static constexpr int kDefaultDayStartHour = 4;
    static constexpr int kDefaultNewCardsPerDay = 20;

    History();
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // "Orvandel/qr2/history.sqlite" in the user's data folder (QStandardPaths::
    // GenericDataLocation), which is the study program's AppDataLocation: the editor, under
    // names of its own, finds the same file. Empty when the system names no data folder.
    static QString defaultPath();

    // Opens (creating it and its folder when missing) and brings an older schema up to date.
    OpenResult open(const QString& path);
    void close();
    const OpenResult& status() const { return m_status; }
    bool isOpen() const { return m_status.ok(); }
    // The message of the last failed operation (open, record, rename, rebuild, export).
    QString lastError() const { return m_lastError; }

    // The parameters record() and rebuild() schedule with; Preferences sets them.
    void setSettings(const Settings& settings);
    const Settings& settings() const { return m_settings; }

    // Logs one review and updates the card's cached state in one transaction. `chapter`
    // lists the chapter as it is now (its path, title and questions) so a moved chapter is
    // recognised. Returns the card's new state, or nothing when the history is not open or
    // the write failed (see lastError()). `nowUtcMs` is the time of the grade.
    std::optional<fsrs::Card> record(const Chapter& chapter, const QString& question, fsrs::Grade grade,
                                     qint64 answerMs, const QString& source, qint64 nowUtcMs);

    // The cached state of a card: a new card when it has never been reviewed.
    fsrs::Card card(const QString& chapterPath, const QString& question) const;
    // The review log of a card, oldest first.
    std::vector<fsrs::Review> reviews(const QString& chapterPath, const QString& question) const;

    // The editor renamed a card's front: its history follows. When the new question already
    // has a history of its own the two logs are merged and the card is replayed. False when
    // nothing was moved (no such chapter or card) or the write failed.
    bool renameQuestion(const QString& chapterPath, const QString& oldQuestion, const QString& newQuestion);

    // The languages (codes such as "ru" or "en-GB") the chapter's front and back are read
    // aloud in, when the learner chose them; nothing when they are to be guessed from the
    // cards. A moved chapter keeps them.
    std::optional<std::pair<QString, QString>> chapterLanguages(const Chapter& chapter);
    // Empty front and back forget the choice. False when the history is not open or the
    // write failed (see lastError()).
    bool setChapterLanguages(const Chapter& chapter, const QString& front, const QString& back);

    // What to study now. `now` is in the learner's time zone; the study day begins at
    // `dayStartHour`. Due cards (due before the next study day begins) come most overdue
    // first; then cards never reviewed, in chapter order, up to `newCardsPerDay` less the new
    // cards already first reviewed in this study day. A chapter found under a new path is
    // moved there (when the history is writable). Without a usable history every card is new.
    DueDeck dueDeck(const QVector<Chapter>& chapters, const QDateTime& now,
                    int dayStartHour = kDefaultDayStartHour, int newCardsPerDay = kDefaultNewCardsPerDay);

    // Adds the reviews of another program's log to the cards of `chapter` under `source`, in
    // one transaction, and gives each card touched the state that replaying its whole log
    // gives. A review whose card already has one at the same time is passed over, so the same
    // log imported twice is added once. `added` gets the number of reviews added.
    bool importReviews(const Chapter& chapter, const QVector<ImportedCardLog>& logs,
                       const QString& source = QStringLiteral("import"), qint64* added = nullptr);

    // Recomputes every card's cached state from the review log with the settings in force.
    bool rebuild();

    // UTF-8 CSV, a header row and one row per review: chapter title, chapter file,
    // question, time (ISO 8601 UTC), grade, seconds taken, and after the review the card's
    // stability, difficulty and next due time (ISO 8601 UTC).
    bool exportCsv(QIODevice& out) const;

    // Counts, for summaries and tests.
    qint64 reviewCount() const;
    qint64 cardCount() const;

private:
    bool fail(const QString& message) const;
    OpenResult openAt(const QString& path);
    OpenResult refuse(OpenStatus status, const QString& message);
    bool migrate(int fromVersion);
    std::optional<qint64> chapterIdFor(const Chapter& chapter, bool mayWrite);
    std::optional<qint64> knownChapterId(const QString& path) const;
    std::optional<qint64> chapterIdOrNew(const Chapter& chapter, QSqlError* error);
    bool writeCard(qint64 cardId, const fsrs::Card& card, qint64 firstReview);
    bool replayCard(qint64 cardId);
    QSqlDatabase db() const;

    QString m_connection;
    OpenResult m_status;
    Settings m_settings;
    fsrs::Scheduler m_scheduler;
    mutable QString m_lastError;
};

// The message open() gives for each status, with the file's path.
QString openMessage(OpenStatus status, const QString& path, const QString& detail = {});

} // namespace history
