#pragma once
// The deck of the study run: every card of the loaded chapters in one array. A deck of n
// cards has n + 1 slots; slot n is an empty spare, so the upper index is the card count.
#include "lettermarkers.h"

#include <QString>
#include <QVector>

struct Card {
    QString question;
    QString answer;
    QString tag;
    QString reserved;
    qint16 trouble = 0; // -1 true, 0 false
    qint16 timesviewed = 0;
    QString chaptertitle;
};

// The deck never holds more than this many slots (indices are 16-bit).
constexpr int kMaxDeckSlots = 32767;

extern QVector<Card> deck;
extern qint16 curcard;
// The trouble-by-default rule in force in this run.
extern bool troubledefault;

// The upper index of the deck: the number of cards.
inline qint16 deckUpper() { return qint16(deck.size() - 1); }

bool LoadChapterFile(const QString& path, const QString& title);
void FlushDeck(bool firstuse);
void ResetAllTrouble();
