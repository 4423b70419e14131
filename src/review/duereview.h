#pragma once
// The review of due cards: a deck of every card of the listed chapters that is due now, most
// overdue first, then new cards up to the day's limit. Each grade is recorded in the program's
// history; a card on a learning step stays in the review until it is learnt for the day.
#include "history.h"

#include <QHash>
#include <QVector>
#include <array>
#include <functional>
#include <optional>

namespace review {

// A chapter file of the chapter list.
struct ChapterFile {
    QString path;
    QString title;
};

// The cards of a chapter file, special letters decoded.
struct ChapterCards {
    history::Chapter chapter; // its path, title and questions
    QStringList answers;      // one per question, same order
    QStringList tags;
};

// Reads a chapter file's cards; nothing when it can't be mounted or holds no cards.
std::optional<ChapterCards> readChapterCards(const ChapterFile& file);

// What "Review Due" would bring now from these chapter files (one that can't be read counts
// nothing), with the day's start and new-card limit of Preferences.
history::DueDeck countDue(const QVector<ChapterFile>& files);

class DueReview {
public:
    // A card on a learning step that comes due this soon is shown early when nothing else
    // is left, rather than ending the review a few minutes before it.
    static constexpr qint64 kLearnAheadMs = 20 * 60 * 1000;

    // Fills the deck with the review's cards and makes the review the active one. `progress`
    // hears of each chapter file read. The number of cards: 0 when nothing is due (the deck
    // is then empty and the review not active).
    int begin(const QVector<ChapterFile>& files, const std::function<void(int done, int total)>& progress = {});
    // The study run goes back to an ordinary one (a new session, a progress file loaded).
    void end();
    bool active() const { return m_active; }

    // The card in deck slot `slot` was graded at `nowUtcMs`, leaving it as `after` (nothing:
    // the grade could not be kept, and the card is done for this review).
    void graded(int slot, fsrs::Grade grade, const std::optional<fsrs::Card>& after, qint64 nowUtcMs);
    // The deck slot to show after `slot`: the next card due now in deck order, else the one on
    // a learning step that comes due first, if within kLearnAheadMs; -1 when the review is
    // done. The cards are known by chapter and question, so a shuffle changes nothing.
    int nextSlot(int slot, qint64 nowUtcMs) const;
    bool done(qint64 nowUtcMs) const { return nextSlot(-1, nowUtcMs) < 0; }

    int dueLeft() const;
    int newLeft() const;
    // For the card's corner: "12 due, 5 new left".
    QString leftText() const;
    // Grades given in this review, Again first.
    const std::array<int, 4>& gradeCounts() const { return m_counts; }
    // Cards of the review's chapters that will be due when the next study day begins.
    int dueTomorrow() const;
    // The round summary's lines for the review.
    QStringList summaryLines() const;

private:
    struct Entry {
        bool fresh = false;   // a new card not graded yet
        bool waiting = true;  // still to be shown in this review
        qint64 due = 0;       // UTC ms; 0 for a card due now
    };
    const Entry* entryOf(int slot) const;
    QHash<QString, Entry> m_entries; // by chapter and question
    QVector<history::Chapter> m_chapters;
    std::array<int, 4> m_counts{};
    bool m_active = false;
};

DueReview& dueReview();

} // namespace review
