// Timings of the record store at its size limit, of loading the largest chapter and of a
// progress file of the full deck, printed as tables (median and best of several runs): for
// 8-bit texts, for Russian texts, which make every file UTF-8, and for German questions with
// the special letters, once as the markers a chapter file carries and once as plain letters.
#include "deck.h"
#include "ivordalite.h"
#include "progressfile.h"

#include <QBuffer>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {
constexpr int kRuns = 9;

struct Sample {
    double wallMs = 0;
    double cpuMs = 0;
    Sample& operator+=(const Sample& o) {
        wallMs += o.wallMs;
        cpuMs += o.cpuMs;
        return *this;
    }
};

struct Figure {
    const char* what;
    double targetMs;
    std::vector<Sample> runs;
};

double threadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

// Wall-clock time, and the CPU time of this thread: on a machine shared with other work the
// second shows what the code costs when it has a core to itself (the wall time of save also
// holds the wait for the disk, which the CPU time doesn't).
Sample timeMs(const std::function<void()>& work) {
    QElapsedTimer t;
    const double cpu0 = threadCpuMs();
    t.start();
    work();
    return {double(t.nsecsElapsed()) / 1e6, threadCpuMs() - cpu0};
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The texts of one benchmark store: German-English (Windows-1252) or Russian (UTF-8) cards.
struct Texts {
    const char* name;
    QString keyPattern, valuePattern;
    QString key(int i) const { return keyPattern.arg(i); }
    QString value(int i) const { return valuePattern.arg(i); }
};

const Texts kWestern{"Windows-1252", QStringLiteral("Wort%1"), QStringLiteral("translation number %1")};
const Texts kCyrillic{"UTF-8", QStringLiteral("\u0421\u043B\u043E\u0432\u043E%1"),
                      QStringLiteral("\u043F\u0435\u0440\u0435\u0432\u043E\u0434 \u043D\u043E\u043C\u0435\u0440 %1")};
// A German chapter as the editor writes it: every special letter of a question as its marker.
const Texts kGermanMarked{"German with markers", QStringLiteral("die Gr" "asc(252)" "asc(223)" "e Nummer %1"),
                          QStringLiteral("the greeting number %1")};
// The same chapter with the letters themselves (Windows-1252): the floor of the one above.
const Texts kGermanPlain{"German with plain letters", QStringLiteral("die Gr\u00FC\u00DFe Nummer %1"),
                         QStringLiteral("the greeting number %1")};

// A store of `n` distinct keys with card-like values, saved to `path`.
void buildAndSave(const QString& path, int n, const Texts& texts, const QString& comment = QString()) {
    QFile::remove(path);
    ivordalite s;
    s.mount(path, false);
    if (!comment.isEmpty())
        s.setComment(comment);
    for (int i = 0; i < n; ++i)
        s.add(texts.key(i), texts.value(i), 0, QStringLiteral("qre_word"));
    if (!s.save())
        std::fprintf(stderr, "save failed: %s\n", qPrintable(s.errorString()));
}

// The figures of one kind of text: store, chapter and progress file at their size limit.
std::vector<Figure> measure(const Texts& texts, const QTemporaryDir& dir) {
    const QString storePath = dir.filePath(QStringLiteral("full.qex"));
    const QString chapterPath = dir.filePath(QStringLiteral("chapter.qex"));
    buildAndSave(chapterPath, 32766, texts, QStringLiteral("generated automatically by the Quarnel Editor v1.21"));

    std::vector<Figure> figures{{"build 32767 keys and save", 50, {}},    {"  of which: 32767 adds", 0, {}},
                                {"  of which: save (4 MiB)", 0, {}},      {"mount 32767 entries", 20, {}},
                                {"LoadChapterFile, 32766 cards", 30, {}}, {"writeProgress, 32767 slots", 0, {}},
                                {"readProgress, 32767 slots", 0, {}},     {"  floor: read the store's 4 MiB", 0, {}},
                                {"mount + a lookup (every entry)", 0, {}}};
    // The texts are made beforehand: the figure is the store's work, not QString::arg's.
    QStringList keys, values;
    for (int i = 0; i < 32767; ++i) {
        keys << texts.key(i);
        values << texts.value(i);
    }
    const QString tag = QStringLiteral("qre_word");
    for (int run = 0; run < kRuns; ++run) {
        QFile::remove(storePath);
        ivordalite s;
        s.mount(storePath, false);
        const Sample adds = timeMs([&] {
            for (int i = 0; i < 32767; ++i)
                s.add(keys[i], values[i], 0, tag);
        });
        const Sample save = timeMs([&] { s.save(); });
        Sample both = adds;
        both += save;
        figures[0].runs.push_back(both);
        figures[1].runs.push_back(adds);
        figures[2].runs.push_back(save);

        figures[3].runs.push_back(timeMs([&] {
            ivordalite m;
            if (!m.mount(storePath, false) || m.ub() != 32767)
                std::fprintf(stderr, "mount failed\n");
        }));

        // The floor of the mount: the same bytes read from the same file.
        figures[7].runs.push_back(timeMs([&] {
            QFile f(storePath);
            if (!f.open(QIODevice::ReadOnly) || f.readAll().size() != f.size())
                std::fprintf(stderr, "store not read\n");
        }));
        // A mount that is then looked up in (as the master database is) decodes every entry.
        figures[8].runs.push_back(timeMs([&] {
            ivordalite m;
            if (!m.mount(storePath, false) || m.getlong(keys[32766], -1) != -1)
                std::fprintf(stderr, "mount and lookup failed\n");
        }));

        FlushDeck(true);
        figures[4].runs.push_back(timeMs([&] { LoadChapterFile(chapterPath, QStringLiteral("chapter")); }));
        if (deckUpper() != 32766)
            std::fprintf(stderr, "chapter not loaded\n");

        QBuffer out;
        out.open(QIODevice::WriteOnly);
        figures[5].runs.push_back(timeMs([&] {
            if (!writeProgress(out, deck, nullptr))
                std::fprintf(stderr, "progress not written\n");
        }));
        QBuffer in;
        in.setData(out.data());
        in.open(QIODevice::ReadOnly);
        ProgressData data;
        figures[6].runs.push_back(timeMs([&] {
            if (!readProgress(in, data, nullptr) || data.cards.size() != 32767)
                std::fprintf(stderr, "progress not read\n");
        }));
        FlushDeck(true);
    }
    return figures;
}

void printTable(const Texts& texts, const std::vector<Figure>& figures) {
    std::printf("\n%s texts\n", texts.name);
    std::printf("%-32s %10s %10s %10s %10s\n", "operation", "wall ms", "best wall", "cpu ms", "target ms");
    std::printf("%-32s %10s %10s %10s %10s\n", "", "(median)", "", "(median)", "");
    for (const Figure& f : figures) {
        std::vector<double> wall, cpu;
        for (const Sample& r : f.runs) {
            wall.push_back(r.wallMs);
            cpu.push_back(r.cpuMs);
        }
        const double best = *std::min_element(wall.begin(), wall.end());
        if (f.targetMs > 0)
            std::printf("%-32s %10.2f %10.2f %10.2f %10.0f%s\n", f.what, median(wall), best, median(cpu), f.targetMs,
                        median(wall) < f.targetMs ? "" : "  (wall over target)");
        else
            std::printf("%-32s %10.2f %10.2f %10.2f\n", f.what, median(wall), best, median(cpu));
    }
}

double medianCpu(const Figure& f) {
    std::vector<double> cpu;
    for (const Sample& r : f.runs)
        cpu.push_back(r.cpuMs);
    return median(cpu);
}

double minCpu(const Figure& f) {
    double best = f.runs.empty() ? 0 : f.runs.front().cpuMs;
    for (const Sample& r : f.runs)
        best = std::min(best, r.cpuMs);
    return best;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const std::vector<Figure> western = measure(kWestern, dir);
    const std::vector<Figure> cyrillic = measure(kCyrillic, dir);
    const std::vector<Figure> marked = measure(kGermanMarked, dir);
    const std::vector<Figure> plain = measure(kGermanPlain, dir);
    printTable(kWestern, western);
    printTable(kCyrillic, cyrillic);
    printTable(kGermanMarked, marked);
    printTable(kGermanPlain, plain);
    // Side by side, in CPU time so that the other work on the machine counts less: a store of
    // Russian texts (every text UTF-8) against the same store of 8-bit texts, and a German
    // chapter with markers against the same chapter with plain letters.
    auto compare = [](const char* a, const char* b, const std::vector<Figure>& x, const std::vector<Figure>& y) {
        std::printf("\n%-32s %16s %16s %12s\n", "operation", a, b, "ratio");
        std::printf("%-32s %16s %16s %12s\n", "", "(min / median)", "(min / median)", "(of medians)");
        for (size_t i = 0; i < x.size(); ++i) {
            const double p = medianCpu(x[i]), q = medianCpu(y[i]);
            std::printf("%-32s %7.2f / %6.2f %7.2f / %6.2f %12.2f\n", x[i].what, minCpu(x[i]), p, minCpu(y[i]), q,
                        p > 0 ? q / p : 0.0);
        }
    };
    compare("1252 cpu ms", "UTF-8 cpu ms", western, cyrillic);
    compare("letters cpu ms", "markers cpu", plain, marked);
    // The mount beside its floor, reading the same bytes, in wall time (the read is mostly the
    // system's work, which the thread's CPU time leaves out).
    std::printf("\n%-32s %16s %16s %12s\n", "mount of 32767 entries", "floor wall ms", "mount wall ms", "ratio");
    std::printf("%-32s %16s %16s %12s\n", "", "(min / median)", "(min / median)", "(of medians)");
    for (const auto* set : {&western, &cyrillic, &marked, &plain}) {
        const Figure &floor = (*set)[7], &mount = (*set)[3];
        std::vector<double> f, m;
        for (const Sample& r : floor.runs)
            f.push_back(r.wallMs);
        for (const Sample& r : mount.runs)
            m.push_back(r.wallMs);
        const char* name = set == &western ? kWestern.name
                           : set == &cyrillic ? kCyrillic.name
                           : set == &marked   ? kGermanMarked.name
                                              : kGermanPlain.name;
        std::printf("%-32s %7.2f / %6.2f %7.2f / %6.2f %12.1f\n", name, *std::min_element(f.begin(), f.end()), median(f),
                    *std::min_element(m.begin(), m.end()), median(m), median(m) / median(f));
    }
    return 0;
}
