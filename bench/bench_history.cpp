// Timings of the review history at the size of years of study: 100,000 cards in 200
// chapters and 1,000,000 reviews. Printed as a table (best and median of several runs) with
// the aims beside them, and the resident memory the history adds; never an assertion.
#include "history.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimeZone>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

namespace {
constexpr int kChapters = 200;
constexpr int kCardsPerChapter = 500;
constexpr int kReviewsPerCard = 10;
constexpr qint64 kDay = 86400000;
const qint64 kStart = QDateTime(QDate(2022, 1, 3), QTime(8, 0), Qt::UTC).toMSecsSinceEpoch();

double timeMs(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e6;
}

struct Figure {
    const char* what;
    double aimMs;
    std::vector<double> runs;
};

void print(const Figure& f) {
    std::vector<double> v = f.runs;
    std::sort(v.begin(), v.end());
    std::printf("%-44s %10.3f %10.3f %10.0f %6zu\n", f.what, v.front(), v[v.size() / 2], f.aimMs, v.size());
}

// Kilobytes of a line of /proc/self/status ("VmRSS:", "VmHWM:").
long statusKb(const char* field) {
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return 0;
    char line[256];
    long kb = 0;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kb = std::atol(line + std::strlen(field));
    std::fclose(f);
    return kb;
}

// The log of one card: mostly Good, now and then Again or Hard, days apart.
std::vector<fsrs::Review> cardLog(QRandomGenerator& gen) {
    std::vector<fsrs::Review> log;
    qint64 t = kStart + gen.bounded(400) * kDay + gen.bounded(kDay);
    for (int r = 0; r < kReviewsPerCard; ++r) {
        const int roll = gen.bounded(100);
        log.push_back({t, fsrs::Grade(roll < 8 ? 1 : roll < 18 ? 2 : roll < 95 ? 3 : 4)});
        t += (1 + gen.bounded(3 << r)) * kDay / (r < 2 ? 48 : 1);
    }
    return log;
}

QString question(int chapter, int card) { return QStringLiteral("Frage %1 im Kapitel %2").arg(card).arg(chapter); }

QVector<history::Chapter> chapters(const QTemporaryDir& dir) {
    QVector<history::Chapter> out;
    for (int c = 0; c < kChapters; ++c) {
        history::Chapter ch{dir.filePath(QStringLiteral("chapter%1.qex").arg(c)), QStringLiteral("Kapitel %1").arg(c),
                            {}};
        for (int i = 0; i < kCardsPerChapter; ++i)
            ch.questions << question(c, i);
        out << ch;
    }
    return out;
}

// Writes the history straight into the tables in one transaction: the log of every card
// and its chapter; the cache is left
// for rebuild() to fill.
bool generate(const QString& path, const QVector<history::Chapter>& listing) {
    {
        history::History h;
        if (!h.open(path).ok())
            return false;
    }
    bool ok = true;
    {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("generate"));
        d.setDatabaseName(path);
        ok = d.open() && d.transaction();
        QSqlQuery chapter(d), card(d), review(d);
        chapter.prepare(QStringLiteral("INSERT INTO chapters (id, path, title, fingerprint) VALUES (?, ?, ?, ?)"));
        card.prepare(QStringLiteral("INSERT INTO cards VALUES (?, ?, ?, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0)"));
        review.prepare(QStringLiteral("INSERT INTO reviews (card, time, grade, answer_ms, source) VALUES (?, ?, ?, ?, ?)"));
        QRandomGenerator gen(2024);
        const QString source = QStringLiteral("review");
        qint64 cardId = 0;
        for (int c = 0; ok && c < listing.size(); ++c) {
            chapter.addBindValue(c + 1);
            chapter.addBindValue(listing[c].path);
            chapter.addBindValue(listing[c].title);
            chapter.addBindValue(QString::fromLatin1(history::questionFingerprint(listing[c].questions)));
            ok = chapter.exec();
            for (int i = 0; ok && i < listing[c].questions.size(); ++i) {
                card.addBindValue(++cardId);
                card.addBindValue(c + 1);
                card.addBindValue(listing[c].questions[i]);
                ok = card.exec();
                for (const fsrs::Review& r : cardLog(gen)) {
                    if (!ok)
                        break;
                    review.addBindValue(cardId);
                    review.addBindValue(r.time);
                    review.addBindValue(int(r.grade));
                    review.addBindValue(500 + gen.bounded(8000));
                    review.addBindValue(source);
                    ok = review.exec();
                }
            }
        }
        ok = ok && d.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("generate"));
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // At least five runs; more when asked for ("bench_history 9").
    const int kRuns = std::max(5, argc > 1 ? atoi(argv[1]) : 7);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QVector<history::Chapter> listing = chapters(dir);

    // Made in a child process, so that the memory figures below start from a clean heap.
    QElapsedTimer made;
    made.start();
    const pid_t pid = fork();
    if (pid == 0)
        _exit(generate(path, listing) ? 0 : 1);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "could not generate the history\n");
        return 1;
    }
    std::printf("generated %d cards in %d chapters, %d reviews in %.1f s; file %.1f MB\n", kChapters * kCardsPerChapter,
                kChapters, kChapters * kCardsPerChapter * kReviewsPerCard, double(made.elapsed()) / 1000,
                double(QFile(path).size()) / 1e6);

    std::vector<Figure> figures{{"open the history", 10, {}},
                                {"rebuild: replay 1,000,000 reviews", 2000, {}},
                                {"due deck of 200 chapters, 100,000 cards", 100, {}},
                                {"record one grade (median of 200 per run)", 2, {}},
                                {"  the scheduler alone: 1,000,000 reviews", 0, {}}};
    // The same logs in memory: what the rebuild's replay costs without the database.
    std::vector<std::vector<fsrs::Review>> logs;
    {
        QRandomGenerator gen(99);
        for (int i = 0; i < kChapters * kCardsPerChapter; ++i)
            logs.push_back(cardLog(gen));
    }
    const fsrs::Scheduler scheduler;
    const QDateTime now = QDateTime(QDate(2023, 6, 1), QTime(19, 0), QTimeZone(3600));
    long rssStart = 0, rssOpen = 0, rssDeck = 0, rssGrades = 0, peakRebuild = 0;
    int dueCards = 0;
    for (int run = 0; run < kRuns; ++run) {
        const bool first = run == 0;
        if (first)
            rssStart = statusKb("VmRSS:");
        history::History h;
        figures[0].runs.push_back(timeMs([&] {
            if (!h.open(path).ok())
                std::fprintf(stderr, "open: %s\n", qPrintable(h.status().message));
        }));
        history::DueDeck deck;
        figures[2].runs.push_back(timeMs([&] { deck = h.dueDeck(listing, now); }));
        dueCards = deck.dueTotal;
        if (first)
            rssDeck = statusKb("VmRSS:");
        std::vector<double> grades;
        for (int i = 0; i < 200; ++i) {
            const history::Chapter& c = listing[(run * 37 + i) % kChapters];
            grades.push_back(timeMs([&] {
                if (!h.record(c, c.questions[(i * 7) % kCardsPerChapter], fsrs::Grade::Good, 1500,
                              QStringLiteral("review"), now.toMSecsSinceEpoch() + run * 1000 + i))
                    std::fprintf(stderr, "record: %s\n", qPrintable(h.lastError()));
            }));
        }
        std::sort(grades.begin(), grades.end());
        figures[3].runs.push_back(grades[grades.size() / 2]);
        if (first) {
            rssGrades = statusKb("VmRSS:");
            // Resets the peak resident size, so the next peak is the rebuild's.
            if (FILE* clear = std::fopen("/proc/self/clear_refs", "w")) {
                std::fputs("5", clear);
                std::fclose(clear);
            }
            rssOpen = statusKb("VmRSS:");
        }
        figures[1].runs.push_back(timeMs([&] {
            if (!h.rebuild())
                std::fprintf(stderr, "rebuild: %s\n", qPrintable(h.lastError()));
        }));
        if (first)
            peakRebuild = statusKb("VmHWM:") - rssOpen;
        double sum = 0;
        figures[4].runs.push_back(timeMs([&] {
            for (const auto& log : logs)
                sum += scheduler.replay(log).stability;
        }));
        if (sum <= 0)
            std::fprintf(stderr, "replay gave nothing\n");
    }
    std::printf("\n%-44s %10s %10s %10s %6s\n", "ms", "best", "median", "aim", "runs");
    for (const Figure& f : figures)
        print(f);
    std::printf("\ndue cards in the deck: %d\n", dueCards);
    std::printf("resident memory from before open: %+.1f MB after the due deck, %+.1f MB after 200 grades; "
                "the rebuild's peak %+.1f MB above that\n",
                double(rssDeck - rssStart) / 1024, double(rssGrades - rssStart) / 1024, double(peakRebuild) / 1024);
    return 0;
}
