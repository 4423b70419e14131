// The Statistics window over a review history made here with the History API, the clock set
// by the test (Monday 6 May 2024, noon; the study day begins at 4 a.m.), at device pixel
// ratio 2.
#include "appstate.h"
#include "calendarview.h"
#include "chartpanel.h"
#include "history.h"
#include "programhistory.h"
#include "statswindow.h"
#include "testsupport.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QToolTip>
#include <QtTest>
#include <memory>

using namespace statsui;

namespace {

const QTimeZone kZone(2 * 3600);
QDateTime at(int days, int hour, int minute = 0) {
    return QDateTime(QDate(2024, 5, 6).addDays(days), QTime(hour, minute), kZone);
}
const QDateTime kNow = at(0, 12);

const history::Chapter kLessonA{QStringLiteral("/made/a.qex"), QStringLiteral("Lesson A"),
                                {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3")}};
const history::Chapter kLessonB{QStringLiteral("/made/b.qex"), QStringLiteral("Lesson B"),
                                {QStringLiteral("b1"), QStringLiteral("b2"), QStringLiteral("b3"), QStringLiteral("b4")}};

// Lesson A: a1 failed yesterday (overdue now), a2 failed today (due today), a3 new; an hour
// and five minutes of answers. Lesson B: b1 failed today, b2 new, b3 and b4 learned 20 days
// ago and reviewed this week, b3 forgotten (3 days ago), b4 remembered (today).
void makeHistory(const QString& path) {
    history::History h;
    QVERIFY(h.open(path).ok());
    auto grade = [&](const history::Chapter& c, const char* q, fsrs::Grade g, qint64 ms, const QDateTime& when) {
        QVERIFY(h.record(c, QString::fromLatin1(q), g, ms, QStringLiteral("study"), when.toMSecsSinceEpoch()));
    };
    grade(kLessonA, "a1", fsrs::Grade::Again, 3600000, at(-1, 10));
    grade(kLessonA, "a2", fsrs::Grade::Again, 300000, at(0, 10));
    grade(kLessonB, "b1", fsrs::Grade::Again, 1000, at(0, 11));
    grade(kLessonB, "b3", fsrs::Grade::Easy, 1000, at(-20, 9));
    grade(kLessonB, "b4", fsrs::Grade::Easy, 1000, at(-20, 9, 1));
    grade(kLessonB, "b3", fsrs::Grade::Again, 1000, at(-3, 9));
    grade(kLessonB, "b4", fsrs::Grade::Good, 1000, at(0, 9));
}

// The chart menu that is open (nullptr: none came).
QMenu* menuOf(ChartPanel*) {
    QMenu* menu = nullptr;
    for (int i = 0; i < 50 && !menu; ++i) {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            QTest::qWait(10);
    }
    return menu && menu->objectName() == QLatin1String("chartMenu") ? menu : nullptr;
}

// Right-clicks the panel's chart and runs the menu's item `action`.
void runMenu(ChartPanel* panel, const char* action) {
    QWidget* target = panel->chart();
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(20, 20), target->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(target, &e);
    QMenu* menu = menuOf(panel);
    QVERIFY(menu);
    QAction* a = menu->findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY(a);
    menu->close();
    a->trigger();
}

} // namespace

class TestStatsWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void chooserSwitchesFigures_data();
    void chooserSwitchesFigures();
    void newReviewSeenOnSwitch();
    void showAsTableShowsTheSameFigures();
    void copyFigures_data();
    void copyFigures();
    void saveImage_data();
    void saveImage();
    void keyboardAndTooltip();
    void figureTexts_data();
    void figureTexts();
    void calendarShades_data();
    void calendarShades();
    void emptyHistory_data();
    void emptyHistory();

private:
    StatsWindow* open(bool withHistory = true);
    QString historyPath() const { return m_dir->filePath(QStringLiteral("history.sqlite")); }
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QPointer<StatsWindow> m_w;
};

void TestStatsWindow::init() {
    AppState::reset();
    m_dir = std::make_unique<QTemporaryDir>();
    app().homeFolder = m_dir->path();
    app().historyPathOverride = historyPath();
    app().dayStartHour = 4;
    app().desiredRetention = 85;
    review::setNowSource([] { return kNow; });
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void TestStatsWindow::cleanup() {
    delete m_w;
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(u',')));
    QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(u',')));
    m_dialogs.reset();
    m_prompter.reset();
    review::setNowSource({});
    m_dir.reset();
}

StatsWindow* TestStatsWindow::open(bool withHistory) {
    if (withHistory)
        makeHistory(historyPath());
    m_w = new StatsWindow;
    m_w->setChapters({kLessonA, kLessonB});
    m_w->show();
    if (!QTest::qWaitForWindowExposed(m_w))
        return nullptr;
    return m_w;
}

void TestStatsWindow::chooserSwitchesFigures_data() {
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("reviewsToday");
    QTest::addColumn<int>("daysStudied");
    QTest::addColumn<QString>("streak");
    QTest::addColumn<QStringList>("chapters");
    QTest::newRow("all") << 0 << "All Chapters" << 3 << 4 << "Streak: 2 days" << QStringList{"Lesson A", "Lesson B"};
    QTest::newRow("first") << 1 << "Lesson A" << 1 << 2 << "Streak: 2 days" << QStringList{"Lesson A"};
    QTest::newRow("last") << 2 << "Lesson B" << 2 << 3 << "Streak: 1 day" << QStringList{"Lesson B"};
}

void TestStatsWindow::chooserSwitchesFigures() {
    QFETCH(int, choice);
    QFETCH(QString, shown);
    QFETCH(int, reviewsToday);
    QFETCH(int, daysStudied);
    QFETCH(QString, streak);
    QFETCH(QStringList, chapters);
    StatsWindow* w = open();
    QVERIFY(w);
    QCOMPARE(w->windowTitle(), QStringLiteral("Statistics"));
    QCOMPARE(w->chooser()->count(), 3);
    // Away and back, so that every row is a switch.
    w->chooser()->setCurrentIndex(choice == 0 ? 1 : 0);
    w->chooser()->setCurrentIndex(choice);
    QCOMPARE(w->chooser()->currentText(), shown);
    QCOMPARE(w->figures().reviewDays.perDay.last(), reviewsToday);
    QCOMPARE(w->figures().reviewDays.daysStudied, daysStudied);
    QCOMPARE(w->findChild<QLabel*>("daysStudied")->text(), QStringLiteral("Days studied: %1").arg(daysStudied));
    QCOMPARE(w->findChild<QLabel*>("streak")->text(), streak);
    QStringList titles;
    for (const QStringList& row : w->panel("chapters")->figures().rows)
        titles << row.first();
    QCOMPARE(titles, chapters);
    QCOMPARE(w->panel("cardsByState")->figures().rows.size(), chapters.size());
    QVERIFY(w->emptyLine()->isHidden());
}

// The figures of a chapter shown before are kept only while the history stays as it was.
void TestStatsWindow::newReviewSeenOnSwitch() {
    StatsWindow* w = open();
    QVERIFY(w);
    w->chooser()->setCurrentIndex(1);
    w->chooser()->setCurrentIndex(0);
    QCOMPARE(w->figures().reviewDays.perDay.last(), 3);
    {
        history::History h;
        QVERIFY(h.open(historyPath()).ok());
        QVERIFY(h.record(kLessonA, QStringLiteral("a3"), fsrs::Grade::Good, 1000, QStringLiteral("study"),
                         at(0, 11, 30).toMSecsSinceEpoch()));
    }
    w->chooser()->setCurrentIndex(1);
    QCOMPARE(w->figures().reviewDays.perDay.last(), 2);
    w->chooser()->setCurrentIndex(0);
    QCOMPARE(w->figures().reviewDays.perDay.last(), 4);
}

void TestStatsWindow::showAsTableShowsTheSameFigures() {
    StatsWindow* w = open();
    QVERIFY(w);
    QVERIFY(!w->showAsTable()->isChecked());
    for (ChartPanel* p : w->panels())
        QCOMPARE(p->showsTable(), p->chart() == nullptr);
    w->showAsTable()->click();
    // The chosen view stays when the chapter changes.
    w->chooser()->setCurrentIndex(1);
    for (ChartPanel* p : w->panels()) {
        QVERIFY2(p->showsTable() && p->table()->isVisible(), qPrintable(p->objectName()));
        const FigureTable& f = p->figures();
        QCOMPARE(p->table()->rowCount(), f.rows.size());
        QCOMPARE(p->table()->columnCount(), f.header.size());
        for (int c = 0; c < f.header.size(); ++c)
            QCOMPARE(p->table()->horizontalHeaderItem(c)->text(), f.header.at(c));
        for (int r = 0; r < f.rows.size(); ++r)
            for (int c = 0; c < f.header.size(); ++c)
                QCOMPARE(p->table()->item(r, c)->text(), f.rows.at(r).at(c));
    }
    QCOMPARE(w->panel("reviewsPerDay")->table()->rowCount(), 365);
    QCOMPARE(w->panel("comingDue")->table()->rowCount(), 30);
    w->showAsTable()->click();
    w->chooser()->setCurrentIndex(0);
    QVERIFY(w->panel("comingDue")->chart()->isVisible());
    QVERIFY(!w->panel("comingDue")->showsTable());
}

void TestStatsWindow::copyFigures_data() {
    QTest::addColumn<QString>("panel");
    QTest::addColumn<int>("choice");
    QTest::addColumn<QString>("header");
    QTest::addColumn<int>("row"); // -1: the last
    QTest::addColumn<QString>("line");
    QTest::newRow("coming due today") << "comingDue" << 0 << "Day\tOverdue\tDue\tRunning Total" << 0
                                      << "Mon 6 May 2024\t2\t2\t4";
    QTest::newRow("coming due, one chapter") << "comingDue" << 1 << "Day\tOverdue\tDue\tRunning Total" << 0
                                             << "Mon 6 May 2024\t1\t1\t2";
    QTest::newRow("coming due tomorrow") << "comingDue" << 1 << "Day\tOverdue\tDue\tRunning Total" << 1
                                         << "Tue 7 May 2024\t0\t0\t2";
    QTest::newRow("reviews today") << "reviewsPerDay" << 0 << "Day\tReviews" << -1 << "Mon 6 May 2024\t3";
    QTest::newRow("reviews yesterday") << "reviewsPerDay" << 0 << "Day\tReviews" << 363 << "Sun 5 May 2024\t1";
    QTest::newRow("first day shown") << "reviewsPerDay" << 0 << "Day\tReviews" << 0 << "Mon 8 May 2023\t0";
    QTest::newRow("retention this week") << "retention" << 0 << "Week\tReviews\tPassed\tRetention" << -1
                                         << "30 Apr \u2013 6 May 2024\t2\t1\t50.0 %";
    QTest::newRow("retention, no reviews") << "retention" << 0 << "Week\tReviews\tPassed\tRetention" << 0
                                           << "9 May \u2013 15 May 2023\t0\t0\t\u2013";
    QTest::newRow("cards by state") << "cardsByState" << 0 << "Chapter\tNew\tLearning\tYoung\tMature" << 0
                                    << "Lesson A\t1\t2\t0\t0";
    QTest::newRow("chapter table")
        << "chapters" << 0 << "Chapter\tCards\tDue Today\tMature %\tRetention (30 days)\tTime Spent" << 0
        << "Lesson A\t3\t2\t0.0\t\u2013\t1:05";
    QTest::newRow("chapter table, retention")
        << "chapters" << 2 << "Chapter\tCards\tDue Today\tMature %\tRetention (30 days)\tTime Spent" << 0
        << "Lesson B\t4\t2\t*\t50.0 %\t0:00";
}

void TestStatsWindow::copyFigures() {
    QFETCH(QString, panel);
    QFETCH(int, choice);
    QFETCH(QString, header);
    QFETCH(int, row);
    QFETCH(QString, line);
    StatsWindow* w = open();
    QVERIFY(w);
    w->chooser()->setCurrentIndex(choice);
    ChartPanel* p = w->panel(panel);
    QVERIFY(p);
    QApplication::clipboard()->clear();
    if (p->chart()) {
        runMenu(p, "copyFigures");
    } else {
        // The chapter table has the same menu.
        QContextMenuEvent e(QContextMenuEvent::Keyboard, QPoint(5, 5), p->table()->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(p->table()->viewport(), &e);
        QMenu* menu = menuOf(p);
        QVERIFY(menu);
        QVERIFY(!menu->findChild<QAction*>("saveImage")->isEnabled());
        QAction* copy = menu->findChild<QAction*>("copyFigures");
        menu->close();
        copy->trigger();
    }
    const QStringList lines = QApplication::clipboard()->text().split(u'\n');
    QCOMPARE(lines.size(), p->figures().rows.size() + 2); // every line ends with a newline
    QCOMPARE(lines.first(), header);
    QCOMPARE(lines.last(), QString());
    // A "*" field is not compared (it rests on the scheduler's intervals).
    QStringList got = lines.at(row < 0 ? lines.size() - 2 : row + 1).split(u'\t');
    const QStringList want = line.split(u'\t');
    QCOMPARE(got.size(), want.size());
    for (qsizetype i = 0; i < want.size(); ++i)
        if (want.at(i) == QLatin1String("*"))
            got[i] = want.at(i);
    QCOMPARE(got, want);
}

void TestStatsWindow::saveImage_data() {
    QTest::addColumn<QString>("panel");
    QTest::addColumn<QString>("answer");
    QTest::addColumn<int>("filter");
    QTest::addColumn<QString>("written"); // empty: nothing may be written
    QTest::newRow("png") << "comingDue"
                         << "due.png" << 1 << "due.png";
    QTest::newRow("svg by its ending") << "retention"
                                       << "kept.SVG" << 1 << "kept.SVG";
    QTest::newRow("svg by the filter") << "cardsByState"
                                       << "states" << 2 << "states.svg";
    QTest::newRow("calendar png") << "reviewsPerDay"
                                  << "days" << 1 << "days.png";
    QTest::newRow("folder missing") << "comingDue"
                                    << "none/due.png" << 1 << "";
}

void TestStatsWindow::saveImage() {
    QFETCH(QString, panel);
    QFETCH(QString, answer);
    QFETCH(int, filter);
    QFETCH(QString, written);
    StatsWindow* w = open();
    QVERIFY(w);
    ChartPanel* p = w->panel(panel);
    m_dialogs->answerFile(m_dir->filePath(answer), filter);
    if (written.isEmpty())
        m_prompter->expect(MsgResult::Ok, QStringLiteral("Can't save image"));
    runMenu(p, "saveImage");
    QCOMPARE(m_dialogs->fileRequests.size(), 1);
    QVERIFY(m_dialogs->fileRequests.first().save);
    QVERIFY(m_dialogs->fileRequests.first().flags & 0x2); // asks before replacing a file
    QVERIFY(m_prompter->scriptDone());
    if (written.isEmpty()) {
        QVERIFY(m_prompter->boxes.first().text.startsWith(QStringLiteral("The file '") + m_dir->filePath(answer)));
        QVERIFY(!QFile::exists(m_dir->filePath(answer)));
        return;
    }
    QFile file(m_dir->filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Nothing else was left beside it (no temporary file), the history's files apart.
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression("^(?!history)")),
             QStringList{written});
    QCOMPARE(p->chart()->devicePixelRatioF(), 2.0);
    if (written.endsWith(QLatin1String(".png"))) {
        QVERIFY(bytes.startsWith("\x89PNG\r\n\x1a\n"));
        const QImage image = QImage::fromData(bytes, "PNG");
        QCOMPARE(image.size(), p->chart()->size() * 2);
        // Something other than the background was drawn.
        const QRgb back = image.pixel(0, 0);
        bool drawn = false;
        for (int y = 0; y < image.height() && !drawn; y += 3)
            for (int x = 0; x < image.width() && !drawn; x += 3)
                drawn = image.pixel(x, y) != back;
        QVERIFY(drawn);
    } else {
        QVERIFY(bytes.startsWith("<?xml"));
        QVERIFY(bytes.contains("<svg"));
        QVERIFY(bytes.contains(QStringLiteral("viewBox=\"0 0 %1 %2\"")
                                   .arg(p->chart()->width())
                                   .arg(p->chart()->height())
                                   .toLatin1()));
        QVERIFY(bytes.contains("<path") || bytes.contains("<polyline") || bytes.contains("<rect"));
    }
}

void TestStatsWindow::keyboardAndTooltip() {
    StatsWindow* w = open();
    QVERIFY(w);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    for (const char* name : {"comingDue", "reviewsPerDay", "retention", "cardsByState"}) {
        ChartPanel* p = w->panel(QString::fromLatin1(name));
        QWidget* chart = p->chart();
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        chart->setFocus(Qt::TabFocusReason);
        QVERIFY(chart->hasFocus());
        const int last = int(p->figures().rows.size()) - 1;
        const struct {
            Qt::Key key;
            Qt::KeyboardModifiers modifiers;
            int row;
        } steps[] = {{Qt::Key_Right, {}, 0},   {Qt::Key_Right, {}, std::min(1, last)},
                     {Qt::Key_Left, {}, 0},    {Qt::Key_Left, {}, 0},
                     {Qt::Key_End, {}, last},  {Qt::Key_Right, {}, last},
                     {Qt::Key_Home, {}, 0},    {Qt::Key_Right, Qt::ShiftModifier, 0}};
        for (const auto& step : steps) {
            QTest::keyClick(chart, step.key, step.modifiers);
            QVERIFY2(p->highlighted() == step.row, name);
            QCOMPARE(chart->accessibleDescription(), p->figures().describe(step.row, QStringLiteral("; ")));
        }
        // The pointer over an item shows that item's figures.
        QVERIFY(p->itemPos);
        for (int row : {0, last})
            QVERIFY2(p->itemAt(p->itemPos(row) - QPoint(0, 2)) == row, name);
        QCOMPARE(p->itemAt(QPoint(-5, -5)), -1);
        // A row past the last is refused.
        p->setHighlighted(last + 1);
        QCOMPARE(p->highlighted(), 0);
        for (int row : {0, last}) {
            const QPoint pos = p->itemPos(row) - QPoint(0, 2);
            auto* view = qobject_cast<QAbstractScrollArea*>(chart);
            QWidget* receiver = view ? view->viewport() : chart;
            QHelpEvent help(QEvent::ToolTip, receiver->mapFrom(chart, pos), chart->mapToGlobal(pos));
            QApplication::sendEvent(receiver, &help);
            QTRY_COMPARE(QToolTip::text(), p->figures().describe(row, QStringLiteral("\n")));
            QToolTip::hideText();
            QTRY_VERIFY(QToolTip::text().isEmpty());
        }
        // Shift+F10 opens the chart's menu.
        QTest::keyClick(chart, Qt::Key_F10, Qt::ShiftModifier);
        QMenu* menu = menuOf(p);
        QVERIFY(menu);
        QVERIFY(menu->findChild<QAction*>("copyFigures"));
        menu->close();
    }
}

// The texts of shares and times as every table and tooltip shows them.
void TestStatsWindow::figureTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("share of none") << percentText(0, 0) << "\u2013";
    QTest::newRow("share of one") << percentText(1, 1) << "100.0 %";
    QTest::newRow("share rounded") << percentText(2, 3) << "66.7 %";
    QTest::newRow("no time") << hoursMinutes(0) << "0:00";
    QTest::newRow("under a minute") << hoursMinutes(59999) << "0:00";
    QTest::newRow("a minute") << hoursMinutes(60000) << "0:01";
    QTest::newRow("under an hour") << hoursMinutes(3599999) << "0:59";
    QTest::newRow("an hour") << hoursMinutes(3600000) << "1:00";
    QTest::newRow("ten hours ten") << hoursMinutes(36600000) << "10:10";
    QTest::newRow("below zero") << hoursMinutes(-5) << "0:00";
    const FigureTable t{{"Day", "Reviews"}, {{"Mon 6 May 2024", "3"}}};
    QTest::newRow("a row described") << t.describe(0, "; ") << "Mon 6 May 2024; Reviews: 3";
    QTest::newRow("before the first row") << t.describe(-1, "; ") << "";
    QTest::newRow("past the last row") << t.describe(1, "; ") << "";
}

void TestStatsWindow::figureTexts() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QCOMPARE(text, expected);
}

// Four shades of equal width up to the busiest day; any review shows at least the first.
void TestStatsWindow::calendarShades_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("step");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("a quarter") << 25 << 1;
    QTest::newRow("just over a quarter") << 26 << 2;
    QTest::newRow("three quarters") << 75 << 3;
    QTest::newRow("just under the most") << 99 << 4;
    QTest::newRow("the most") << 100 << 4;
}

void TestStatsWindow::calendarShades() {
    QFETCH(int, count);
    QFETCH(int, step);
    CalendarView view;
    QVector<int> days(365, 0);
    days[10] = 100;
    days[364] = count;
    view.setDays(days, QDate(2024, 5, 6));
    QCOMPARE(view.stepOf(count), step);
    // Monday 6 May 2024 is the first day of the last week's column; 8 May 2023 a Monday too.
    view.resize(view.sizeHint());
    QCOMPARE(view.dayRect(0).top(), view.dayRect(364).top());
    QCOMPARE(view.dayRect(1).left(), view.dayRect(0).left());
    QVERIFY(view.dayRect(7).left() > view.dayRect(6).left());
    QCOMPARE(view.dayAt(view.dayRect(200).center()), 200);
}

void TestStatsWindow::emptyHistory_data() {
    QTest::addColumn<bool>("fileMade");
    QTest::newRow("no history file") << false;
    QTest::newRow("a history without reviews") << true;
}

void TestStatsWindow::emptyHistory() {
    QFETCH(bool, fileMade);
    if (fileMade) {
        history::History h;
        QVERIFY(h.open(historyPath()).ok());
    }
    StatsWindow* w = open(false);
    QVERIFY(w);
    QVERIFY(w->emptyLine()->isVisible());
    QCOMPARE(w->emptyLine()->text(), QStringLiteral("No reviews yet: grade cards with keys 1 to 4 or use Review Due."));
    QCOMPARE(w->panel("comingDue")->figures().rows.size(), 30);
    QCOMPARE(w->panel("reviewsPerDay")->figures().rows.size(), 365);
    QCOMPARE(w->panel("chapters")->figures().rows.value(1),
             (QStringList{"Lesson B", "4", "0", "0.0", "\u2013", "0:00"}));
    QCOMPARE(w->panel("cardsByState")->figures().rows.value(0), (QStringList{"Lesson A", "3", "0", "0", "0"}));
    QCOMPARE(w->findChild<QLabel*>("streak")->text(), QStringLiteral("Streak: 0 days"));
    QCOMPARE(QFile::exists(historyPath()), fileMade); // the window never makes one
}

int main(int argc, char** argv) {
    // Every picture at device pixel ratio 2.
    qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    TestStatsWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_statswindow.moc"
