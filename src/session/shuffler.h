#pragma once
// Puts the cards of the deck into a new random order, in place, in two passes, while a
// progress window and the card face report progress.
#include <functional>

class frmProgress;

void ShuffleCommand();
void ShuffleDeck();

// The uniform generator in [0, 1) behind the shuffle; by default seeded from the time of
// day. Tests install their own; an empty function restores the default.
void setShuffleRandom(std::function<double()> next);
// The progress window of the running (or last interrupted) shuffle, if any.
frmProgress* shuffleProgressWindow();
