#include "programhistory.h"

#include "appstate.h"
#include "deck.h"
#include "intervaltext.h"
#include "messagelog.h"

#include <QCoreApplication>
#include <memory>

namespace review {

namespace {
struct ProgramHistory {
    std::unique_ptr<history::History> db;
    bool tried = false;
    bool told = false;
    QString problem;
    std::function<QDateTime()> now;
};
ProgramHistory& state() {
    static ProgramHistory s;
    return s;
}

// The questions of every card of the deck loaded from chapter `index`, in deck order.
QStringList questionsOfChapter(int index) {
    QStringList questions;
    for (int i = 0; i < deckUpper(); ++i)
        if (deck[i].chapter == index)
            questions.append(deck[i].question);
    return questions;
}
} // namespace

QDateTime now() {
    return state().now ? state().now() : QDateTime::currentDateTime();
}

void setNowSource(std::function<QDateTime()> source) { state().now = std::move(source); }

history::Settings settingsFromOptions() {
    const AppState& a = app();
    history::Settings s;
    s.desiredRetention = a.desiredRetention / 100.0;
    s.fuzz = a.intervalFuzz;
    return s;
}

history::History* programHistory() {
    ProgramHistory& s = state();
    if (!s.tried) {
        s.tried = true;
        // Closed as the application ends, while Qt SQL is still there to close it.
        static bool closeAtEnd = false;
        if (!closeAtEnd && QCoreApplication::instance()) {
            closeAtEnd = true;
            qAddPostRoutine(closeProgramHistory);
        }
        s.db = std::make_unique<history::History>();
        const QString path =
            app().historyPathOverride.isEmpty() ? history::History::defaultPath() : app().historyPathOverride;
        const history::OpenResult r = s.db->open(path);
        s.db->setSettings(settingsFromOptions());
        if (!r.ok()) {
            s.problem = r.message;
            LogMessage(QStringLiteral("review history not used: ") + r.message + QStringLiteral("/n"));
        }
    }
    return s.db && s.db->isOpen() ? s.db.get() : nullptr;
}

QString historyProblem() {
    programHistory();
    return state().problem;
}

QString takeHistoryProblem() {
    const QString problem = historyProblem();
    if (problem.isEmpty() || state().told)
        return {};
    state().told = true;
    return problem;
}

void applyOptions() {
    if (state().db)
        state().db->setSettings(settingsFromOptions());
}

void closeProgramHistory() {
    ProgramHistory& s = state();
    s.db.reset();
    s.tried = false;
    s.told = false;
    s.problem.clear();
}

std::optional<history::Chapter> chapterOfSlot(int slot) {
    if (slot < 0 || slot >= deckUpper())
        return std::nullopt;
    const int index = deck[slot].chapter;
    if (index < 0 || index >= deckChapters.size())
        return std::nullopt;
    const DeckChapter& c = deckChapters[index];
    return history::Chapter{c.path, c.title, questionsOfChapter(index)};
}

std::optional<fsrs::Card> gradeSlot(int slot, fsrs::Grade grade, qint64 answerMs, const QString& source) {
    const std::optional<history::Chapter> chapter = chapterOfSlot(slot);
    history::History* h = programHistory();
    if (!chapter || !h)
        return std::nullopt;
    const qint64 at = now().toMSecsSinceEpoch();
    std::optional<fsrs::Card> card = h->record(*chapter, deck[slot].question, grade, answerMs, source, at);
    if (!card)
        LogMessage(QStringLiteral("grade not recorded: ") + h->lastError() + QStringLiteral("/n"));
    return card;
}

std::array<QString, 4> gradeIntervals(int slot) {
    std::array<QString, 4> texts;
    const std::optional<history::Chapter> chapter = chapterOfSlot(slot);
    history::History* h = programHistory();
    if (!chapter || !h)
        return texts;
    const qint64 at = now().toMSecsSinceEpoch();
    const fsrs::Scheduler scheduler(h->settings().parameters());
    const std::array<fsrs::Outcome, 4> outcomes = scheduler.preview(h->card(chapter->path, deck[slot].question), at);
    for (int i = 0; i < 4; ++i)
        texts[size_t(i)] = fsrs::intervalText(outcomes[size_t(i)].intervalMs);
    return texts;
}

} // namespace review
