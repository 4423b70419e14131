#include "duereview.h"

#include "appstate.h"
#include "deck.h"
#include "ivordalite.h"
#include "lettermarkers.h"
#include "programhistory.h"
#include "studyday.h"

#include <QFileInfo>
#include <QHash>
#include <QTimeZone>

namespace review {

DueReview& dueReview() {
    static DueReview r;
    return r;
}

std::optional<ChapterCards> readChapterCards(const ChapterFile& file) {
    // The store creates a file it is asked to mount when there is none: a chapter deleted or
    // moved since it was listed would come back as an empty file.
    if (!QFileInfo(file.path).isFile())
        return std::nullopt;
    ivordalite store;
    if (!store.mount(file.path, false) || !(store.lb() < store.ub()))
        return std::nullopt;
    ChapterCards cards;
    cards.chapter.path = file.path;
    cards.chapter.title = file.title;
    ForEachChapterCard(store, [&cards](QString& question, QString& answer, QString& tag) {
        cards.chapter.questions.append(question);
        cards.answers.append(answer);
        cards.tags.append(tag);
    });
    return cards;
}

namespace {
QString keyOf(int chapter, const QString& question) {
    return QString::number(chapter) + QChar(0x1f) + question;
}

history::DueDeck dueDeckOf(const QVector<history::Chapter>& chapters, const QDateTime& at) {
    history::History none;
    history::History* h = programHistory();
    return (h ? *h : none).dueDeck(chapters, at, app().dayStartHour, app().newCardsPerDay);
}
} // namespace

history::DueDeck countDue(const QVector<ChapterFile>& files) {
    QVector<history::Chapter> chapters;
    for (const ChapterFile& f : files) {
        std::optional<ChapterCards> c = readChapterCards(f);
        chapters.append(c ? c->chapter : history::Chapter{f.path, f.title, {}});
    }
    return dueDeckOf(chapters, now());
}

int DueReview::begin(const QVector<ChapterFile>& files, const std::function<void(int, int)>& progress) {
    m_active = false;
    m_entries.clear();
    m_chapters.clear();
    m_counts = {};
    QVector<ChapterCards> read;
    for (int i = 0; i < files.size(); ++i) {
        std::optional<ChapterCards> c = readChapterCards(files[i]);
        read.append(c ? std::move(*c) : ChapterCards{history::Chapter{files[i].path, files[i].title, {}}, {}, {}});
        m_chapters.append(read.back().chapter);
        if (progress)
            progress(i + 1, int(files.size()));
    }
    const history::DueDeck due = dueDeckOf(m_chapters, now());
    FlushDeck(false);
    for (const ChapterFile& f : files)
        deckChapters.append(DeckChapter{f.path, f.title});
    const int n = int(qMin<qsizetype>(due.cards.size(), kMaxDeckSlots - 1));
    deck = QVector<Card>(n + 1);
    for (int i = 0; i < n; ++i) {
        const history::DueCard& d = due.cards[i];
        const ChapterCards& from = read[d.chapter];
        const qsizetype at = from.chapter.questions.indexOf(d.question);
        Card& c = deck[i];
        c.question = d.question;
        c.answer = from.answers.value(at);
        c.tag = from.tags.value(at);
        c.trouble = 0;
        c.chaptertitle = from.chapter.title;
        c.chapter = qint16(d.chapter);
        m_entries.insert(keyOf(d.chapter, d.question), Entry{d.isNew, true, 0});
    }
    curcard = 0;
    m_active = n > 0;
    return n;
}

void DueReview::end() {
    m_active = false;
    m_entries.clear();
    m_chapters.clear();
    m_counts = {};
}

const DueReview::Entry* DueReview::entryOf(int slot) const {
    if (slot < 0 || slot >= deckUpper())
        return nullptr;
    const auto it = m_entries.constFind(keyOf(deck[slot].chapter, deck[slot].question));
    return it == m_entries.cend() ? nullptr : &*it;
}

void DueReview::graded(int slot, fsrs::Grade grade, const std::optional<fsrs::Card>& after, qint64 nowUtcMs) {
    if (!m_active || !entryOf(slot))
        return;
    Entry* e = &m_entries[keyOf(deck[slot].chapter, deck[slot].question)];
    ++m_counts[size_t(int(grade) - 1)];
    e->fresh = false;
    // A card on a learning step comes back today; one in review is done for the day.
    const fsrs::StudyDay day =
        fsrs::studyDay(QDateTime::fromMSecsSinceEpoch(nowUtcMs).toLocalTime(), app().dayStartHour);
    e->waiting = after && after->state != fsrs::State::Review && day.isDue(after->due);
    e->due = after ? after->due : 0;
}

int DueReview::nextSlot(int slot, qint64 nowUtcMs) const {
    const int n = deckUpper();
    if (!m_active || n <= 0)
        return -1;
    for (int k = 1; k <= n; ++k) {
        const int i = ((slot < 0 ? -1 : slot) + k + n) % n;
        if (const Entry* e = entryOf(i); e && e->waiting && e->due <= nowUtcMs)
            return i;
    }
    int soonest = -1;
    qint64 soonestDue = 0;
    for (int i = 0; i < n; ++i) {
        const Entry* e = entryOf(i);
        if (e && e->waiting && e->due <= nowUtcMs + kLearnAheadMs && (soonest < 0 || e->due < soonestDue)) {
            soonest = i;
            soonestDue = e->due;
        }
    }
    return soonest;
}

int DueReview::dueLeft() const {
    int k = 0;
    for (const Entry& e : m_entries)
        k += e.waiting && !e.fresh;
    return k;
}

int DueReview::newLeft() const {
    int k = 0;
    for (const Entry& e : m_entries)
        k += e.fresh;
    return k;
}

QString DueReview::leftText() const {
    return QStringLiteral("%1 due, %2 new left").arg(dueLeft()).arg(newLeft());
}

int DueReview::dueTomorrow() const {
    const QDateTime at = now();
    const fsrs::StudyDay today = fsrs::studyDay(at, app().dayStartHour);
    // Any moment of the next study day: its start.
    return dueDeckOf(m_chapters, QDateTime::fromMSecsSinceEpoch(today.nextStart, at.timeZone())).dueTotal;
}

QStringList DueReview::summaryLines() const {
    const char* names[] = {"Again", "Hard", "Good", "Easy"};
    QStringList lines;
    for (int i = 0; i < 4; ++i)
        lines << QStringLiteral("%1: %2").arg(QLatin1String(names[i])).arg(m_counts[size_t(i)]);
    const int tomorrow = dueTomorrow();
    lines << (tomorrow == 1 ? QStringLiteral("Due tomorrow: 1 card") : QStringLiteral("Due tomorrow: %1 cards").arg(tomorrow));
    return lines;
}

} // namespace review
