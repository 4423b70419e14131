#pragma once
// The languages a learner chose for the front and the back of a chapter, kept in the review
// history (never in the chapter file), so that a moved chapter keeps them.
#include "history.h"

#include <QPair>
#include <QString>

#include <optional>

struct DeckChapter;

namespace review {

// The languages chosen for a chapter of the deck (its questions are the deck's cards of that
// file); nothing when none were chosen, the chapter is not in the deck or the history can't be
// used. An empty code in the pair: that side is guessed.
std::optional<QPair<QString, QString>> deckChapterLanguages(const DeckChapter& chapter);

// The same for a chapter as read from its file.
std::optional<QPair<QString, QString>> storedChapterLanguages(const history::Chapter& chapter);
// Keeps the choice; two empty codes forget it. False with *error set when the history can't be
// used or the write failed.
bool storeChapterLanguages(const history::Chapter& chapter, const QString& front, const QString& back,
                           QString* error);

} // namespace review
