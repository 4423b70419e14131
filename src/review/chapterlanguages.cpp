#include "chapterlanguages.h"

#include "deck.h"
#include "programhistory.h"

namespace review {

std::optional<QPair<QString, QString>> storedChapterLanguages(const history::Chapter& chapter) {
    history::History* h = programHistory();
    if (!h)
        return std::nullopt;
    const auto stored = h->chapterLanguages(chapter);
    if (!stored)
        return std::nullopt;
    return QPair<QString, QString>(stored->first, stored->second);
}

std::optional<QPair<QString, QString>> deckChapterLanguages(const DeckChapter& chapter) {
    int index = -1;
    for (int i = 0; i < deckChapters.size() && index < 0; ++i)
        if (deckChapters[i].path == chapter.path)
            index = i;
    for (int slot = 0; index >= 0 && slot < deckUpper(); ++slot) {
        if (deck[slot].chapter != index)
            continue;
        const std::optional<history::Chapter> known = chapterOfSlot(slot);
        return known ? storedChapterLanguages(*known) : std::nullopt;
    }
    return std::nullopt;
}

bool storeChapterLanguages(const history::Chapter& chapter, const QString& front, const QString& back,
                           QString* error) {
    history::History* h = programHistory();
    if (!h) {
        if (error)
            *error = historyProblem().isEmpty() ? QStringLiteral("The review history can't be used.") : historyProblem();
        return false;
    }
    // A side left to the guess is an empty text, never a null one: the history's columns take
    // no NULL.
    const auto text = [](const QString& s) { return s.isNull() ? QStringLiteral("") : s; };
    if (h->setChapterLanguages(chapter, text(front), text(back)))
        return true;
    if (error)
        *error = h->lastError();
    return false;
}

} // namespace review
