// The largest study run from end to end, with the resident memory after every step: a deck of
// 32766 cards loaded from four chapter files, studied card by card in the main card window,
// shuffled (refused at 32766, then a 9999-card deck), listed in the Item Viewer, searched,
// saved and restored as a progress file, and exported as statistics. The target is a resident
// memory under 80 MB with the full deck. Run by hand:  ./bench_load
#include "appstate.h"
#include "cardmanager.h"
#include "deck.h"
#include "dialogbackend.h"
#include "frmfind.h"
#include "frmmain.h"
#include "frmviewer.h"
#include "ivordalite.h"
#include "modrender.h"
#include "progressfile.h"
#include "prompter.h"
#include "shuffler.h"
#include "statistics.h"

#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace {
constexpr int kCards = kMaxDeckSlots - 1; // 32766
constexpr int kChapters = 4;
constexpr int kShuffleLimit = 9999;
constexpr int kStudySteps = 2000;

// A field of /proc/self/status in kB (VmRSS: resident now, VmHWM: the peak).
long statusKb(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

QElapsedTimer g_step;
bool g_failed = false;

void report(const char* step, const QString& detail = QString()) {
    const double ms = double(g_step.nsecsElapsed()) / 1e6;
    std::printf("%-46s %9.1f %9.1f %9.1f  %s\n", step, ms, statusKb("VmRSS") / 1024.0, statusKb("VmHWM") / 1024.0,
                qPrintable(detail));
    std::fflush(stdout);
    g_step.restart();
}

void check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what);
        g_failed = true;
    }
}

// Answers every file dialog with `file`.
class FileAnswer : public DialogBackend {
public:
    FileDialogResult runFileDialog(const FileDialogRequest&) override {
        FileDialogResult r;
        r.ret = 1;
        r.fileName = file;
        r.fileTitle = file.section(u'/', -1);
        return r;
    }
    ColorDialogResult runColorDialog(uint32_t, uint32_t, std::array<uint32_t, 16>&, QObject*) override { return {}; }
    QString file;
};

// Answers OK and remembers the titles.
class Boxes : public Prompter {
public:
    MsgResult ask(MsgIcon, MsgButtons b, const QString& title, const QString&) override {
        titles << title;
        return b == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Yes;
    }
    QStringList titles;
};

// Chapter k holds its share of the cards, with special letters and texts of a real length.
void writeChapters(const QString& dir) {
    int first = 0;
    for (int k = 0; k < kChapters; ++k) {
        const int n = kCards / kChapters + (k < kCards % kChapters ? 1 : 0);
        ivordalite s;
        const QString path = dir + QStringLiteral("/ch%1.qex").arg(k + 1);
        if (!s.mount(path, false))
            std::abort();
        s.setComment(chapterMark());
        s.setTitle(QStringLiteral("Kapitel %1").arg(k + 1));
        for (int i = first; i < first + n; ++i)
            s.add(QStringLiteral("die Gr%1%2e Nummer %3")
                      .arg(QLatin1String("asc(252)"), QLatin1String("asc(223)"))
                      .arg(i),
                  QStringLiteral("the greeting number %1 of the house").arg(i), 0, QStringLiteral("qre_word"));
        if (!s.save())
            std::abort();
        first += n;
    }
}

// A digest of every field of every card, so that decks can be compared without keeping a
// second copy in memory (which would count in the resident size).
QByteArray fingerprint(const QVector<Card>& d) {
    QCryptographicHash h(QCryptographicHash::Sha1);
    for (const Card& c : d) {
        for (const QString* s : {&c.question, &c.answer, &c.tag, &c.reserved, &c.chaptertitle}) {
            h.addData(QByteArrayView(reinterpret_cast<const char*>(s->constData()), s->size() * 2));
            h.addData(QByteArrayView("\0", 1));
        }
        const qint16 numbers[2] = {c.trouble, c.timesviewed};
        h.addData(QByteArrayView(reinterpret_cast<const char*>(numbers), sizeof numbers));
    }
    return h.result();
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication qapp(argc, argv);
    QTemporaryDir tmp;
    app().homeFolder = tmp.path();
    FileAnswer dialogs;
    setDialogBackend(&dialogs);
    Boxes boxes;
    setPrompter(&boxes);

    std::printf("%-46s %9s %9s %9s\n", "step", "ms", "RSS MB", "peak MB");
    g_step.start();
    report("QApplication up");

    writeChapters(tmp.path());
    report("4 chapter files written (32766 cards)");

    FlushDeck(true);
    troubledefault = true;
    for (int k = 0; k < kChapters; ++k)
        LoadChapterFile(tmp.filePath(QStringLiteral("ch%1.qex").arg(k + 1)), QStringLiteral("Kapitel %1").arg(k + 1));
    check(deckUpper() == kCards, "the deck holds 32766 cards");
    check(deck[0].question.startsWith(QStringLiteral("die Gr\u00FC\u00DFe")), "special letters decoded");
    const long rssFull = statusKb("VmRSS");
    report("LoadChapterFile x4: full deck", QStringLiteral("%1 cards").arg(deckUpper()));

    frmMain* w = loadMainWindow();
    w->show();
    InitCardSurface();
    ShowFirstCard();
    report("main card window open, first card");

    // Every step paints the card face twice (question, then the next card's question).
    for (int i = 0; i < kStudySteps; ++i) {
        ToggleQuestionAnswer();
        ShowNextCard();
    }
    report("studied: 2000 x (turn + next card)", QStringLiteral("card %1").arg(curcard));

    const QByteArray before = fingerprint(deck);
    ShuffleCommand();
    check(boxes.titles.contains(QStringLiteral("Shuffler")), "a 32766-card shuffle is refused");
    check(fingerprint(deck) == before, "a refused shuffle leaves the deck");
    report("ShuffleCommand on 32766 cards (refused)");

    {
        // The deck's first 9999 cards, shuffled, then the full deck again (as a new run would
        // load it).
        QVector<Card> full = std::move(deck);
        deck = full.mid(0, kShuffleLimit);
        deck.append(Card());
        ShuffleCommand();
        check(deckUpper() == kShuffleLimit, "the 9999-card deck is still 9999 cards");
        report("ShuffleCommand on 9999 cards");
        deck = std::move(full);
    }
    ShowFirstCard();
    report("full deck back");

    ViewAllCards();
    check(viewerWindow() && viewerWindow()->model()->rowCount() == kCards, "the viewer lists every card");
    report("ViewAllCards (32766 rows)");

    ShowFindWindow();
    frmFind* f = findWindow();
    f->Check3()->setChecked(false);
    f->Text2()->setText(QStringLiteral("nummer 12345"));
    SearchCards();
    report("SearchCards 'nummer 12345'", QStringLiteral("%1 rows").arg(viewerWindow()->model()->rowCount()));
    f->Text2()->setText(QStringLiteral("house"));
    SearchCards();
    report("SearchCards 'house' (every card)", QStringLiteral("%1 rows").arg(viewerWindow()->model()->rowCount()));
    f->close();
    report("Find and Item Viewer closed");

    const QString progress = tmp.filePath(QStringLiteral("run.qrs"));
    dialogs.file = progress;
    SaveProgress(nullptr);
    check(QFile::exists(progress), "the progress file was written");
    report("SaveProgress", QStringLiteral("%1 KB").arg(QFile(progress).size() / 1024));

    const QByteArray saved = fingerprint(deck);
    dialogs.file = progress;
    check(LoadProgress(nullptr), "the progress file loads");
    check(fingerprint(deck) == saved, "the restored deck equals the saved one");
    ShowFirstCard();
    report("LoadProgress", QStringLiteral("%1 cards").arg(deckUpper()));

    const QString stats = tmp.filePath(QStringLiteral("stats.txt"));
    check(WriteStatistics(stats, nullptr), "the statistics file was written");
    report("WriteStatistics", QStringLiteral("%1 KB").arg(QFile(stats).size() / 1024));

    const long rssEnd = statusKb("VmRSS");
    const long peak = statusKb("VmHWM");
    std::printf("\nresident with the full deck loaded: %.1f MB; at the end: %.1f MB; peak: %.1f MB (target < 80 MB)\n",
                rssFull / 1024.0, rssEnd / 1024.0, peak / 1024.0);
    releaseMainRenderPair();
    delete w;
    boxes.titles.removeAll(QStringLiteral("Shuffler"));
    check(boxes.titles.isEmpty(), "no other message box");
    if (!boxes.titles.isEmpty())
        std::printf("boxes: %s\n", qPrintable(boxes.titles.join(QStringLiteral(", "))));
    return g_failed ? 1 : 0;
}
