#pragma once
// The card manager: which card is current and what the card face shows. It keeps no state
// of its own; it works on the deck, `curcard` and the main render data's face texts.
#include "roundcounter.h"

#include <QString>
#include <functional>

class CardView;

// The main card window's side of the card manager: its two check boxes and its card face.
struct CardManagerHooks {
    std::function<bool()> filterChecked;          // "Show only trouble cards" (Check2)
    std::function<void(bool)> setFilterChecked;
    std::function<void(bool)> setTroubleChecked; // "I had trouble with this card" (Check1)
    std::function<CardView*()> cardWindow;       // where the main renderer paints
    std::function<void()> presenting;            // a card's face texts are set, before it is drawn
    std::function<void()> cardPresented;         // after every presentation of a card
    std::function<void()> faceTurned;            // after the card turned to its other side
};
CardManagerHooks& cardManagerHooks();

qint16 StepCard(bool forward, qint16 slot);
qint16 FindTroubleCard(bool forward);
qint16 CountTroubleCards();
QString StatusText(bool withTroubleCount);
// "1 card", "0 cards", "2 cards": a count with its noun, singular for one (texts on screen
// only; the files keep their own wording).
QString countText(int n, const QString& thing);
QString ChapterText();
void ShowTimesViewed(bool count);
void ShowFirstCard();
// The first card of the rotation: with "Show only trouble cards" on, the first trouble card.
void ShowFirstRotationCard();
void ShowNextCard();
void ShowPreviousCard();
void ShowCurrentCard();
// Shows the card in `slot` as the next one (a view counted, its side drawn anew).
void ShowCardAt(qint16 slot);
void ToggleQuestionAnswer();
void SetCurrentTrouble(bool flag);
void InitCardSurface();

// The side a card shows first follows the program's card direction (question first,
// answer first or mixed); the toggle turns it to the other side and back.
// True while the face shows the side the current card showed first.
bool ShowingFrontSide();
// True when the current card showed its answer first.
bool CurrentAnswerFirst();
// Shows the current card again from the side the card direction now gives it, without
// counting a view (after the direction was changed).
void ApplyCardDirection();
// What the current round of the rotation has done so far.
RoundCounter& roundCounter();
