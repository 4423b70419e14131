// Not a test: the Statistics window over a made history of about four months of study, left
// open for pictures taken under the screenshot tool.
//     statsshots [light|dark] [charts|table|empty|walk]
// walk: the keyboard's walk has reached the fourth day of Coming Due and the third chapter.
#include "appstate.h"
#include "chartpanel.h"
#include "history.h"
#include "programhistory.h"
#include "statswindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QPalette>
#include <QRandomGenerator>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    const QStringList args = qapp.arguments();
    if (args.contains(QStringLiteral("dark"))) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
        dark.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
        dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
        dark.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
        dark.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
        dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
        dark.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xe8));
        dark.setColor(QPalette::Highlight, QColor(0xf0, 0xe4, 0x42));
        dark.setColor(QPalette::HighlightedText, Qt::black);
        QApplication::setPalette(dark);
    }
    QTemporaryDir dir;
    AppState::reset();
    app().historyPathOverride = dir.filePath(QStringLiteral("history.sqlite"));
    const QDateTime now(QDate(2024, 5, 6), QTime(18, 0));
    review::setNowSource([now] { return now; });

    QVector<history::Chapter> chapters;
    const QString titles[] = {QStringLiteral("Deutsch – Lektion 1"), QStringLiteral("Deutsch – Lektion 2"),
                              QStringLiteral("Français 1"), QStringLiteral("日本語 かな")};
    for (int c = 0; c < 4; ++c) {
        history::Chapter ch{QStringLiteral("/made/%1.qex").arg(c), titles[c], {}};
        for (int i = 0; i < 60 + 25 * c; ++i)
            ch.questions << QStringLiteral("q%1-%2").arg(c).arg(i);
        chapters << ch;
    }
    if (!args.contains(QStringLiteral("empty"))) {
        history::History h;
        if (!h.open(app().historyPathOverride).ok())
            return 1;
        QRandomGenerator rng(7);
        // Studied on most days of the last 120; each day some cards are new, the due ones come back.
        for (int day = -120; day <= 0; ++day) {
            if (rng.bounded(10) < 2 && day != 0)
                continue;
            const QDateTime when = now.addDays(day).addSecs(-3600 * 2);
            const history::DueDeck due = h.dueDeck(chapters, when, 4, 8);
            int n = 0;
            for (const history::DueCard& card : due.cards) {
                if (n++ > 40)
                    break;
                const int roll = int(rng.bounded(100));
                const fsrs::Grade g = roll < 12 ? fsrs::Grade::Again
                                      : roll < 25 ? fsrs::Grade::Hard
                                      : roll < 90 ? fsrs::Grade::Good
                                                  : fsrs::Grade::Easy;
                h.record(chapters[card.chapter], card.question, g, 2000 + rng.bounded(9000), QStringLiteral("review"),
                         when.addSecs(n * 20).toMSecsSinceEpoch());
            }
        }
    }
    auto* w = new statsui::StatsWindow;
    w->setChapters(chapters);
    if (args.contains(QStringLiteral("table")))
        w->showAsTable()->setChecked(true);
    w->show();
    if (args.contains(QStringLiteral("walk"))) {
        QTimer::singleShot(1500, w, [w] {
            w->activateWindow();
            w->panel(QStringLiteral("cardsByState"))->setHighlighted(2);
            w->panel(QStringLiteral("comingDue"))->chart()->setFocus(Qt::TabFocusReason);
            w->panel(QStringLiteral("comingDue"))->setHighlighted(3);
        });
    }
    return qapp.exec();
}
