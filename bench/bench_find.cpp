// Listing and searching the largest deck in the Item Viewer: ViewAllCards (all 32766 rows,
// with the progress window and frozen painting) and the search loop of SearchCards.
#include "appstate.h"
#include "deck.h"
#include "frmfind.h"
#include "frmviewer.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

namespace {
constexpr int kCards = kMaxDeckSlots - 1;
constexpr int kRuns = 7;

void makeDeck() {
    deck = QVector<Card>(kCards + 1);
    for (int i = 0; i < kCards; ++i) {
        Card& c = deck[i];
        c.question = QStringLiteral("Frage Nummer %1 über das Haus").arg(i + 1);
        c.answer = QStringLiteral("Question number %1 about the HOUSE and its rooms").arg(i + 1);
        c.chaptertitle = QStringLiteral("Chapter %1").arg(i / 500 + 1);
        c.timesviewed = qint16(i % 17);
        c.trouble = i % 5 == 0 ? -1 : 0;
    }
}

double median(QList<double> v) {
    std::sort(v.begin(), v.end());
    return v.at(v.size() / 2);
}

// The seconds SearchCards measured around its loop, read back from the viewer's caption.
double searchLoopMs() {
    static const QRegularExpression re(QStringLiteral("in (.+) seconds\\]$"));
    const QRegularExpressionMatch m = re.match(viewerWindow()->windowTitle());
    bool ok = false;
    const double s = QLocale::system().toDouble(m.captured(1), &ok);
    return ok ? s * 1000.0 : -1.0;
}

struct Search {
    const char* label;
    QString text;
    bool matchCase;
};
} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    makeDeck();

    std::printf("%-44s %10s %10s %10s\n", "case (32766 cards, median of 7)", "wall ms", "loop ms", "rows");
    QList<double> wall;
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer t;
        t.start();
        ViewAllCards();
        wall << double(t.nsecsElapsed()) / 1e6;
    }
    std::printf("%-44s %10.1f %10s %10d\n", "ViewAllCards (target < 300 ms)", median(wall), "-",
                viewerWindow()->model()->rowCount());

    ShowFindWindow();
    frmFind* f = findWindow();
    const Search searches[] = {
        {"search 'haus', any case (every card hits)", QStringLiteral("haus"), false},
        {"search 'nummer 12345', any case (1 hit)", QStringLiteral("nummer 12345"), false},
        {"search 'zebra', any case (no hit)", QStringLiteral("zebra"), false},
        {"search 'Nummer 12345', match case (1 hit)", QStringLiteral("Nummer 12345"), true},
        {"search 'zebra', match case (no hit)", QStringLiteral("zebra"), true},
    };
    for (const Search& s : searches) {
        f->Check3()->setChecked(s.matchCase);
        QList<double> wallMs, loopMs;
        for (int r = 0; r < kRuns; ++r) {
            f->Text2()->setText(s.text);
            QElapsedTimer t;
            t.start();
            SearchCards();
            wallMs << double(t.nsecsElapsed()) / 1e6;
            loopMs << searchLoopMs();
        }
        std::printf("%-44s %10.1f %10.2f %10d\n", s.label, median(wallMs), median(loopMs),
                    viewerWindow()->model()->rowCount());
    }
    std::printf("(loop ms: the time SearchCards reports in its caption, target < 20 ms)\n");
    f->close();
    return 0;
}
