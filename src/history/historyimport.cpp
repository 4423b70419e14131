// The batch import of another program's review log into the history.
#include "history.h"

#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace history {

namespace {
constexpr qsizetype kBatch = 100; // rows of one INSERT: 600 bound values, far below SQLite's limit
} // namespace

bool History::importReviews(const Chapter& chapter, const QVector<ImportedCardLog>& logs, const QString& source,
                            qint64* added) {
    if (added)
        *added = 0;
    if (!isOpen())
        return fail(m_status.message);
    QSqlDatabase d = db();
    if (!d.transaction())
        return fail(d.lastError().text());
    QSqlQuery findCard(d), newCard(d), times(d), insert(d);
    auto abandon = [&](const QString& message) {
        for (QSqlQuery* q : {&findCard, &newCard, &times, &insert})
            q->finish();
        d.rollback();
        if (added)
            *added = 0;
        return fail(message);
    };
    QSqlError chapterError;
    const std::optional<qint64> chapterId = chapterIdOrNew(chapter, &chapterError);
    if (!chapterId)
        return abandon(chapterError.text());
    findCard.prepare(QStringLiteral("SELECT id FROM cards WHERE chapter = ? AND question = ?"));
    newCard.prepare(QStringLiteral("INSERT INTO cards (chapter, question, due, stability, difficulty, elapsed_days, "
                                   "scheduled_days, step, reps, lapses, state, last_review, first_review, answer_ms) "
                                   "VALUES (?, ?, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, ?, ?)"));
    times.prepare(QStringLiteral("SELECT time FROM reviews WHERE card = ?"));
    // Reviews go in by batches of rows in one statement of literal numbers: a statement, or a
    // bound value, per review would take most of the time of a large import.
    struct Row {
        qint64 card, time;
        int grade;
        qint64 answerMs;
        int stateBefore;
    };
    QVector<Row> pending;
    pending.reserve(kBatch);
    const QByteArray sourceLiteral = '\'' + source.toUtf8().replace('\'', "''") + '\'';
    auto flush = [&](QSqlQuery& q) {
        QByteArray sql = "INSERT INTO reviews (card, time, grade, answer_ms, source, state_before) VALUES ";
        sql.reserve(sql.size() + pending.size() * (64 + sourceLiteral.size()));
        for (qsizetype i = 0; i < pending.size(); ++i) {
            const Row& r = pending[i];
            sql += i ? ",(" : "(";
            sql += QByteArray::number(r.card) + ',' + QByteArray::number(r.time) + ',' + QByteArray::number(r.grade) +
                   ',' + QByteArray::number(r.answerMs) + ',' + sourceLiteral + ',' +
                   QByteArray::number(r.stateBefore) + ')';
        }
        pending.clear();
        return q.exec(QString::fromUtf8(sql));
    };
    qint64 count = 0;
    for (const ImportedCardLog& log : logs) {
        QVector<ImportedReview> reviews;
        reviews.reserve(log.reviews.size());
        for (const ImportedReview& r : log.reviews)
            if (int(r.grade) >= 1 && int(r.grade) <= 4)
                reviews.append(r);
        if (reviews.isEmpty())
            continue;
        std::stable_sort(reviews.begin(), reviews.end(),
                         [](const ImportedReview& a, const ImportedReview& b) { return a.time < b.time; });
        findCard.addBindValue(*chapterId);
        findCard.addBindValue(log.question);
        if (!findCard.exec())
            return abandon(findCard.lastError().text());
        const bool known = findCard.next();
        qint64 cardId = known ? findCard.value(0).toLongLong() : 0;
        findCard.finish();
        // (card, time) already logged, or twice in this log: one review.
        QSet<qint64> seen;
        if (known) {
            times.addBindValue(cardId);
            if (!times.exec())
                return abandon(times.lastError().text());
            while (times.next())
                seen.insert(times.value(0).toLongLong());
            times.finish();
        } else {
            newCard.addBindValue(*chapterId);
            newCard.addBindValue(log.question);
            newCard.addBindValue(reviews.front().time);
            // Its time spent: the answer time of its reviews, a time logged twice once (the
            // log is in time order, so twins are neighbours).
            qint64 spent = 0;
            for (qsizetype i = 0; i < reviews.size(); ++i)
                if (i == 0 || reviews[i].time != reviews[i - 1].time)
                    spent += qMax<qint64>(0, reviews[i].answerMs);
            newCard.addBindValue(spent);
            if (!newCard.exec())
                return abandon(newCard.lastError().text());
            cardId = newCard.lastInsertId().toLongLong();
        }
        // A card new to the history is scheduled here from its log, each review stored with
        // the state it found; a card with a log already is replayed whole afterwards.
        fsrs::Card card;
        qint64 cardAdded = 0;
        for (const ImportedReview& r : reviews) {
            if (seen.contains(r.time))
                continue;
            seen.insert(r.time);
            pending.append({cardId, r.time, int(r.grade), qMax<qint64>(0, r.answerMs), known ? 0 : int(card.state)});
            if (pending.size() == kBatch && !flush(insert))
                return abandon(insert.lastError().text());
            if (!known)
                card = m_scheduler.next(card, r.time, r.grade).card;
            ++cardAdded;
        }
        count += cardAdded;
        if (known) {
            // The replay reads the card's whole log, this import's reviews included.
            if (!pending.isEmpty() && !flush(insert))
                return abandon(insert.lastError().text());
            if (cardAdded > 0 && !replayCard(cardId))
                return abandon(m_lastError);
        } else if (!writeCard(cardId, card, reviews.front().time)) {
            return abandon(m_lastError);
        }
    }
    if (!pending.isEmpty() && !flush(insert))
        return abandon(insert.lastError().text());
    if (!d.commit())
        return abandon(d.lastError().text());
    if (added)
        *added = count;
    return true;
}

} // namespace history
