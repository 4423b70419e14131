#pragma once
// The deck of the study run: every card of the loaded chapters in one array. A deck of n
// cards has n + 1 slots; slot n is an empty spare, so the upper index is the card count.
#include "lettermarkers.h"

#include <QString>
#include <QVector>
#include <functional>

class ivordalite;

struct Card {
    QString question;
    QString answer;
    QString tag;
    QString reserved;
    qint16 trouble = 0; // -1 true, 0 false
    qint16 timesviewed = 0;
    QString chaptertitle;
    // The chapter file the card was loaded from, as an index into deckChapters; -1 when not
    // known (a card of a progress file). Kept in memory only; no file holds it.
    qint16 chapter = -1;
};

// A chapter file whose cards are in the deck.
struct DeckChapter {
    QString path;
    QString title;
};

// The deck never holds more than this many slots (indices are 16-bit).
constexpr int kMaxDeckSlots = 32767;

extern QVector<Card> deck;
extern qint16 curcard;
// The trouble-by-default rule in force in this run.
extern bool troubledefault;
// The chapter files loaded into this deck, in the order they were loaded.
extern QVector<DeckChapter> deckChapters;

// The upper index of the deck: the number of cards.
inline qint16 deckUpper() { return qint16(deck.size() - 1); }

// Calls `each(question, answer, tag)` for every card of a mounted chapter store, in file
// order, with the special letters decoded.
void ForEachChapterCard(const ivordalite& store,
                        const std::function<void(QString& question, QString& answer, QString& tag)>& each);
bool LoadChapterFile(const QString& path, const QString& title);
void FlushDeck(bool firstuse);
void ResetAllTrouble();
