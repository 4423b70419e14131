// Timing of a package import at the size of a learner's years elsewhere: 50,000 notes in two
// decks (the most a chapter holds is 32,766 cards) with 500,000 reviews, zstd-compressed in the
// newer schema. One run: unpack and open the collection, read every deck, write the chapter
// files, and bring the reviews into a new review history. Printed as best and median of
// several runs with the aim beside them; never an assertion.
#include "collection.h"
#include "packagechapters.h"
#include "packagemaker.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
constexpr int kNotes = 50000;
constexpr int kReviewsPerNote = 10;
constexpr qint64 kDay = 86400000;
const qint64 kStart = QDateTime(QDate(2022, 1, 3), QTime(8, 0), Qt::UTC).toMSecsSinceEpoch();

maker::Collection big() {
    maker::Collection c;
    c.decks = {{10, "Spanish::Words"}, {11, "Spanish::Phrases"}};
    c.types = {{100, "Basic", {"Front", "Back"}}};
    c.notes.reserve(kNotes);
    c.reviews.reserve(kNotes * kReviewsPerNote);
    for (int i = 0; i < kNotes; ++i) {
        const qint64 card = 1000000 + i;
        c.notes.append({500000 + i, 100,
                        {QStringLiteral("<b>palabra %1</b>").arg(i), QStringLiteral("word %1<br>[sound:w%1.mp3]").arg(i)},
                        {{card, i % 2 ? 11 : 10}}});
        qint64 t = kStart + qint64(i) * 1000;
        for (int r = 0; r < kReviewsPerNote; ++r) {
            c.reviews.append({t, card, r == 3 ? 1 : 3, r == 0 ? 0 : 1});
            t += kDay * (1 + r * 2) + r;
        }
    }
    return c;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.apkg"));
    {
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.write(maker::package(big(), maker::Schema::Anki21b));
    }
    std::printf("package: %lld bytes, %d notes, %d reviews\n", QFileInfo(path).size(), kNotes,
                kNotes * kReviewsPerNote);
    std::vector<double> total, readMs, chaptersMs;
    for (int run = 0; run < runs; ++run) {
        const QString out = dir.filePath(QStringLiteral("out%1").arg(run));
        QDir().mkpath(out);
        QElapsedTimer t;
        t.start();
        package::Collection c;
        if (!c.open(path)) {
            std::fprintf(stderr, "%s\n", qPrintable(c.error()));
            return 1;
        }
        const package::ImportResult r = c.read({});
        readMs.push_back(double(t.nsecsElapsed()) / 1e6);
        {
            // The chapters alone, into a folder of their own, without the history.
            const QString plain = dir.filePath(QStringLiteral("plain%1").arg(run));
            QDir().mkpath(plain);
            QElapsedTimer c2;
            c2.start();
            qredit::writePackageChapters(r, plain, QString());
            chaptersMs.push_back(double(c2.nsecsElapsed()) / 1e6);
            t.restart(); // the whole import's time is the read's and the write's below
        }
        const double before = readMs.back();
        const qredit::PackageWriteResult w =
            qredit::writePackageChapters(r, out, dir.filePath(QStringLiteral("history%1.sqlite").arg(run)));
        total.push_back(before + double(t.nsecsElapsed()) / 1e6);
        if (!w.ok() || !w.historyProblem.isEmpty() || w.reviewsAdded != kNotes * kReviewsPerNote) {
            std::fprintf(stderr, "import failed: %s %s (%lld reviews)\n", qPrintable(w.error),
                         qPrintable(w.historyProblem), w.reviewsAdded);
            return 1;
        }
    }
    auto print = [](const char* what, std::vector<double> v, double aim) {
        std::sort(v.begin(), v.end());
        std::printf("%-52s %10.1f %10.1f %8.0f %4zu\n", what, v.front(), v[v.size() / 2], aim, v.size());
    };
    std::printf("%-52s %10s %10s %8s %4s\n", "ms", "best", "median", "aim", "runs");
    print("open and read the package (unpack, decks, notes, log)", readMs, 0);
    print("the chapter files alone", chaptersMs, 0);
    print("whole import: chapters written, reviews in the history", total, 3000);
    return 0;
}
