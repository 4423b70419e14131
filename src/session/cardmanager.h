#pragma once
// The card manager: which card is current and what the card face shows. It keeps no state
// of its own; it works on the deck, `curcard` and the main render data's face texts.
#include <QString>
#include <functional>

class CardView;

// The main card window's side of the card manager: its two check boxes and its card face.
struct CardManagerHooks {
    std::function<bool()> filterChecked;          // "Show only trouble cards" (Check2)
    std::function<void(bool)> setFilterChecked;
    std::function<void(bool)> setTroubleChecked;  // "I had trouble with this card" (Check1)
    std::function<CardView*()> cardWindow;        // where the main renderer paints
};
CardManagerHooks& cardManagerHooks();

qint16 StepCard(bool forward, qint16 slot);
qint16 FindTroubleCard(bool forward);
qint16 CountTroubleCards();
QString StatusText(bool withTroubleCount);
QString ChapterText();
void ShowTimesViewed(bool count);
void ShowFirstCard();
void ShowNextCard();
void ShowPreviousCard();
void ShowCurrentCard();
void ToggleQuestionAnswer();
void SetCurrentTrouble(bool flag);
void InitCardSurface();
