#pragma once
// A review history at the size of years of study for the statistics' benchmarks: 100,000
// cards in 200 chapters and 1,000,000 reviews over the last year.
#include "history.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVector>

namespace benchdata {
inline constexpr int kChapters = 200;
inline constexpr int kCardsPerChapter = 500;
inline constexpr int kReviewsPerCard = 10;
inline constexpr qint64 kDay = 86400000;

// Writes the history straight into the tables in one transaction.
inline bool makeHistory(const QString& path, const QDateTime& now, QVector<history::Chapter>& chapters) {
    {
        history::History h;
        if (!h.open(path).ok())
            return false;
    }
    bool ok = false;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
        d.setDatabaseName(path);
        ok = d.open() && d.transaction();
        QSqlQuery chapter(d), card(d), review(d);
        chapter.prepare(QStringLiteral("INSERT INTO chapters (id, path, title, fingerprint) VALUES (?, ?, ?, '')"));
        card.prepare(QStringLiteral("INSERT INTO cards VALUES (?, ?, ?, ?, 1, 5, 0, ?, 0, 1, 0, ?, 0, 0, 0)"));
        review.prepare(QStringLiteral("INSERT INTO reviews (card, time, grade, answer_ms, source, state_before) "
                                      "VALUES (?, ?, ?, ?, 'study', ?)"));
        QRandomGenerator rng(7);
        const qint64 nowMs = now.toMSecsSinceEpoch();
        qint64 cardId = 0;
        for (int c = 1; ok && c <= kChapters; ++c) {
            history::Chapter ch{QStringLiteral("/chapters/%1.qex").arg(c), QStringLiteral("Chapter %1").arg(c), {}};
            chapter.addBindValue(c);
            chapter.addBindValue(ch.path);
            chapter.addBindValue(ch.title);
            ok = chapter.exec();
            for (int i = 0; ok && i < kCardsPerChapter; ++i) {
                const QString q = QStringLiteral("word %1").arg(i);
                ch.questions.append(q);
                card.addBindValue(++cardId);
                card.addBindValue(c);
                card.addBindValue(q);
                card.addBindValue(nowMs + qint64(rng.bounded(-10, 60)) * kDay + rng.bounded(int(kDay)));
                card.addBindValue(rng.bounded(1, 60));
                card.addBindValue(1 + rng.bounded(3));
                ok = card.exec();
                for (int r = 0; ok && r < kReviewsPerCard; ++r) {
                    review.addBindValue(cardId);
                    review.addBindValue(nowMs - qint64(rng.bounded(365 * 24)) * 3600000);
                    review.addBindValue(1 + rng.bounded(4));
                    review.addBindValue(rng.bounded(500, 8000));
                    review.addBindValue(r == 0 ? 0 : 1 + rng.bounded(3));
                    ok = review.exec();
                }
            }
            chapters.append(ch);
        }
        // The time spent per card, as History keeps it.
        QSqlQuery total(d);
        ok = ok && total.exec(QStringLiteral("UPDATE cards SET answer_ms = "
                                             "(SELECT SUM(answer_ms) FROM reviews WHERE card = cards.id)"));
        ok = ok && d.commit();
        d.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("make"));
    return ok;
}

} // namespace benchdata
