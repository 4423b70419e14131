// Timings of the statistics' figures at the size of years of study: 100,000 cards in 200
// chapters and 1,000,000 reviews over the last year. Printed as a table (best and median of
// several runs) with the aims beside them; never an assertion.
#include "history.h"
#include "reviewstats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kChapters = 200;
constexpr int kCardsPerChapter = 500;
constexpr int kReviewsPerCard = 10;
constexpr int kRuns = 7;
constexpr qint64 kDay = 86400000;

void print(const char* what, double aimMs, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-44s %10.3f %10.3f %10.0f %6zu\n", what, v.front(), v[v.size() / 2], aimMs, v.size());
}

// Writes the history straight into the tables in one transaction.
bool makeHistory(const QString& path, const QDateTime& now, QVector<history::Chapter>& chapters) {
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
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QDateTime now = QDateTime::currentDateTime();
    QVector<history::Chapter> chapters;
    if (!makeHistory(path, now, chapters)) {
        std::fprintf(stderr, "could not make the history\n");
        return 1;
    }
    std::vector<double> all, one, allButOne;
    // A chapter the history knows but the list no longer holds.
    const QVector<history::Chapter> listed = chapters.mid(1);
    for (int i = 0; i < kRuns; ++i) {
        reviewstats::Figures f;
        QElapsedTimer t;
        t.start();
        if (!reviewstats::compute(path, chapters, {}, now, 4, f))
            return 1;
        all.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        if (!reviewstats::compute(path, chapters, chapters[i % kChapters].path, now, 4, f))
            return 1;
        one.push_back(double(t.nsecsElapsed()) / 1e6);
        t.restart();
        if (!reviewstats::compute(path, listed, {}, now, 4, f))
            return 1;
        allButOne.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("%-44s %10s %10s %10s %6s\n", "figure (ms)", "min", "median", "aim", "runs");
    print("all figures, all 200 chapters", 300, all);
    print("all figures, one chapter", 100, one);
    print("all figures, 199 chapters listed of 200", 300, allButOne);
    return 0;
}
