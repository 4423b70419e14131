// The Statistics window at the size of years of study: 100,000 cards in 200 chapters and
// 1,000,000 reviews over the last year (offscreen). Times from asking for the window to every
// chart drawn, and the switch to one chapter and back; the resident memory the open window
// adds. Printed as a table (best and median of several runs) with the aims beside them.
#include "appstate.h"
#include "history.h"
#include "programhistory.h"
#include "reviewstats.h"
#include "statswindow.h"

#include <QApplication>
#include <QLabel>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>
#include <vector>

namespace {
constexpr int kChapters = 200;
constexpr int kCardsPerChapter = 500;
constexpr int kReviewsPerCard = 10;
constexpr int kRuns = 7;
constexpr qint64 kDay = 86400000;

void print(const char* what, double aim, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-44s %10.1f %10.1f %10.0f %6zu\n", what, v.front(), v[v.size() / 2], aim, v.size());
}

double residentMb() {
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

double msSince(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    const QDateTime now = QDateTime::currentDateTime();
    QVector<history::Chapter> chapters;
    if (!makeHistory(path, now, chapters)) {
        std::fprintf(stderr, "could not make the history\n");
        return 1;
    }
    AppState::reset();
    app().historyPathOverride = path;
    review::setNowSource([now] { return now; });
    // The program has windows on screen before it opens this one: its fonts and style are
    // loaded already, and do not count as the window's.
    {
        QLabel before(QStringLiteral("Quarnel"));
        before.resize(400, 300);
        before.show();
        QCoreApplication::processEvents();
        before.grab();
    }
    std::vector<double> open, one, back, grown, figures;
    for (int i = 0; i < kRuns; ++i) {
        QCoreApplication::processEvents();
        const double before = residentMb();
        QElapsedTimer t;
        t.start();
        auto* w = new statsui::StatsWindow;
        const double built = residentMb();
        w->setChapters(chapters);
        const double filled = residentMb();
        w->show();
        QCoreApplication::processEvents();
        w->repaint(); // every chart drawn into the window
        open.push_back(msSince(t));
        if (i == 0 && std::getenv("QUARNEL_BENCH_STAGES"))
            std::printf("stages: built +%.1f MB, figures +%.1f MB, drawn +%.1f MB\n", built - before, filled - built,
                        residentMb() - filled);
        t.restart();
        w->chooser()->setCurrentIndex(1 + i % kChapters);
        w->repaint();
        one.push_back(msSince(t));
        t.restart();
        w->chooser()->setCurrentIndex(0);
        w->repaint();
        back.push_back(msSince(t));
        QCoreApplication::processEvents();
        grown.push_back(residentMb() - before);
        delete w;
        // The floor: the figures alone, as the window asks for them.
        reviewstats::Figures f;
        t.restart();
        reviewstats::compute(path, chapters, {}, now, 4, f);
        figures.push_back(msSince(t));
    }
    std::printf("%-44s %10s %10s %10s %6s\n", "Statistics window (ms, MB)", "min", "median", "aim", "runs");
    print("open, all 200 chapters drawn (ms)", 300, open);
    print("switch to one chapter (ms)", 100, one);
    print("switch back to all chapters (ms)", 100, back);
    print("floor: the figures of all chapters alone (ms)", 0, figures);
    // Later openings reuse what the first one's allocations left free: the first is the one to read.
    print("resident memory growth, first opening (MB)", 15, {grown.front()});
    print("resident memory growth, every opening (MB)", 15, grown);
    return 0;
}
