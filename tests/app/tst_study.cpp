// The study program from start to end, as a user runs it: first start with an empty home
// folder, the sample chapters listed, two chosen, cards studied with the keyboard, Exit.
// Then a second start that reads what the first one stored.
#include "appstate.h"
#include "deck.h"
#include "frmchapter.h"
#include "frmmain.h"
#include "frmoptions.h"
#include "ivordalite.h"
#include "modmain.h"
#include "modrender.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "r_data.h"
#include "studywiring.h"
#include "studyfixture.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>
#include <csignal>
#include <functional>
#include <memory>

class TestStudy : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstStartStudyAndExit();
    void secondInstanceRefused();
    void newSessionReturnsToChapters();
    void failedMasterSaveIsReported_data();
    void failedMasterSaveIsReported();
    void longProgramFolderKeepsSettings();
    void fullMasterDatabaseDoesNotCrash_data();
    void fullMasterDatabaseDoesNotCrash();
    void keyboardOnlyStudyRun();
    void signalEndsLikeExit_data();
    void signalEndsLikeExit();

private:
    void start();
    void answerSetupWizardWhenShown();
    QString ownDocuments();
    QTemporaryDir m_docs;
    std::unique_ptr<QTemporaryDir> m_ownDocs;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::function<void()> m_beforeSetupFinished;
    QPointer<QTimer> m_wizardPoll; // ends with its case: a later first start is not answered by it
    QList<int> m_quits;
};

void TestStudy::init() {
    resetStudyProgram(m_docs.path(), m_quits);
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_beforeSetupFinished = {};
}

void TestStudy::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    QVERIFY2(m_prompter->scriptDone(), "a scripted message box never came");
    delete m_wizardPoll;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_prompter.reset();
    m_ownDocs.reset();
}

// A documents folder for this case alone.
QString TestStudy::ownDocuments() {
    m_ownDocs = std::make_unique<QTemporaryDir>();
    app().documentsOverride = m_ownDocs->path();
    return m_ownDocs->path();
}

// The first start shows the setup wizard modally (when it is built in): answer it.
void TestStudy::answerSetupWizardWhenShown() {
    auto* poll = new QTimer(this);
    m_wizardPoll = poll;
    connect(poll, &QTimer::timeout, this, [this, poll] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("frmSetup") || !w->isVisible())
                continue;
            if (auto* option = w->findChild<QAbstractButton*>("Option2"))
                option->click();
            if (m_beforeSetupFinished)
                m_beforeSetupFinished();
            if (auto* finished = w->findChild<QAbstractButton*>("Command1"); finished && w->isVisible())
                finished->click();
            poll->deleteLater();
            return;
        }
    });
    poll->start(20);
}

void TestStudy::start() {
    answerSetupWizardWhenShown();
    Main();
}

void TestStudy::firstStartStudyAndExit() {
    const QString home = m_docs.path() + "/Quarnel";
    start();
    QVERIFY(m_quits.isEmpty());
    QVERIFY(QFile::exists(home + "/sys.qex"));
    frmChapter* chapters = chapterWindow();
    QVERIFY(chapters);
    QVERIFY(chapters->isVisible());
    QVERIFY(chapters->Command2()->isEnabled());
    QTreeWidget* list = chapters->LV1();
    QCOMPARE(list->topLevelItemCount(), 4);
    QCOMPARE(list->topLevelItem(0)->text(0), QString("Zu Hause - At Home"));
    QCOMPARE(list->topLevelItem(0)->text(1), QString("42"));
    list->topLevelItem(0)->setSelected(true);
    list->topLevelItem(2)->setSelected(true);
    QVERIFY(chapters->Command1()->isEnabled());
    QTest::mouseClick(chapters->Command1(), Qt::LeftButton);
    QCOMPARE(int(deckUpper()), 42 + 40);

    frmMain* w = mainWindow();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCOMPARE(mainRenderData()->maintext(), QString("das Haus"));
    QCOMPARE(deck[0].chaptertitle, QString("Zu Hause - At Home"));
    QCOMPARE(deck[1].question, QString::fromUtf8("die Wohnung"));
    QCOMPARE(deck[3].question, QString::fromUtf8("die Küche"));
    QTest::keyClick(w, Qt::Key_Right);
    QTest::keyClick(w, Qt::Key_Right);
    QTest::keyClick(w, Qt::Key_Right);
    QCOMPARE(mainRenderData()->maintext(), QString::fromUtf8("die Küche"));
    QTest::keyClick(w, Qt::Key_Return);
    QCOMPARE(mainRenderData()->maintext(), QString("the kitchen"));
    QTest::keyClick(w, Qt::Key_Space);
    QCOMPARE(deck[3].trouble, qint16(-1));
    QTest::keyClick(w, Qt::Key_X);
    QCOMPARE(m_quits, QList<int>{0});

    ivordalite db;
    QVERIFY(db.mount(home + "/sys.qex", false));
    QCOMPARE(db.getlong("flist_count", -1), 4);
    QCOMPARE(db.getstring("flist_name_1", ""), QStringLiteral(QUARNEL_BIN_DIR) + "/ex1.qex");
    QCOMPARE(db.gettag("show_mouse_hover"), QString("options"));
    QCOMPARE(db.gettag("trouble_by_default"), QString("options"));
    QCOMPARE(db.gettag("alpha_level"), QString("alpha_transparency"));
    QCOMPARE(db.getlong("alpha_level", -1), 90);
    QCOMPARE(db.gettag("frmMain.left"), QString("metrics"));
    QCOMPARE(db.gettag("frmChapter.top"), QString("metrics"));
    QCOMPARE(db.gettag("backcolor_b"), QString("color_metrics"));
    QCOMPARE(db.getlong("backcolor_b", -1), 0xDE5549);
    QVERIFY(QFile::exists(QStringLiteral(QUARNEL_BIN_DIR) + "/qr2.upd"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!mainWindow());
    QVERIFY(!chapterWindow());
}

void TestStudy::secondInstanceRefused() {
    const QString home = m_docs.path() + "/Quarnel";
    QDir().mkpath(home);
    QLockFile other(home + "/.qr2.lock");
    QVERIFY(other.tryLock(0));
    const bool existed = QFile::exists(home + "/sys.qex");
    const QDateTime before = QFileInfo(home + "/sys.qex").lastModified();
    m_prompter->expect(MsgResult::Ok, "Previous Instance Found");
    start();
    QCOMPARE(m_prompter->boxes.value(0).text,
             QString("A previous instance was detected. Exit that instance before starting a new one."));
    QCOMPARE(m_quits, QList<int>{1});
    QCOMPARE(QFile::exists(home + "/sys.qex"), existed);
    if (existed)
        QCOMPARE(QFileInfo(home + "/sys.qex").lastModified(), before);
    QVERIFY(!chapterWindow() || !chapterWindow()->isVisible());
}

void TestStudy::newSessionReturnsToChapters() {
    start();
    frmChapter* chapters = chapterWindow();
    QVERIFY(chapters);
    chapters->LV1()->topLevelItem(1)->setSelected(true);
    chapters->okClicked();
    frmMain* w = mainWindow();
    QVERIFY(w);
    QAction* newSession = w->mP()->findChild<QAction*>("mP_n");
    QVERIFY(newSession);
    newSession->trigger();
    QVERIFY(m_quits.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!mainWindow()); // destroyed; the next deck gets a fresh one
    QVERIFY(chapterWindow());
    QVERIFY(chapterWindow()->isVisible());
    QCOMPARE(int(deckUpper()), 0);
    chapterWindow()->LV1()->topLevelItem(3)->setSelected(true);
    chapterWindow()->okClicked();
    QVERIFY(mainWindow());
    QVERIFY(!mainWindow()->newsession());
    QCOMPARE(int(deckUpper()), 42);
    mainWindow()->close();
    QCOMPARE(m_quits, QList<int>{0});
}

// Every failed save of the settings file is told once per occasion, naming the file and
// the system's reason; the file is made unwritable (turned into a folder) just before.
void TestStudy::failedMasterSaveIsReported_data() {
    QTest::addColumn<QString>("occasion");
    QTest::newRow("first use") << "first use";
    QTest::newRow("OK in the chapter window") << "chapter OK";
    QTest::newRow("shutdown") << "shutdown";
    QTest::newRow("OK in Preferences") << "preferences";
}

void TestStudy::failedMasterSaveIsReported() {
    QFETCH(QString, occasion);
    const QString master = ownDocuments() + "/Quarnel/sys.qex";
    auto breakMaster = [master] {
        QFile::remove(master);
        QDir().mkpath(master + "/inside");
    };
    auto repairMaster = [master] { QDir(master).removeRecursively(); };
    if (occasion == "first use")
        m_beforeSetupFinished = breakMaster;
    m_prompter->expect(MsgResult::Ok, "Settings Not Saved");
    start();
    frmChapter* chapters = chapterWindow();
    QVERIFY(chapters);
    if (occasion == "first use") {
        QCOMPARE(m_prompter->boxes.size(), 1);
        repairMaster();
        chapters->cancelClicked();
    } else if (occasion == "chapter OK") {
        breakMaster();
        chapters->LV1()->topLevelItem(0)->setSelected(true);
        QTest::mouseClick(chapters->Command1(), Qt::LeftButton);
        QCOMPARE(m_prompter->boxes.size(), 1);
        QVERIFY(mainWindow());
        repairMaster();
        mainWindow()->close();
    } else if (occasion == "shutdown") {
        breakMaster();
        QTest::mouseClick(chapters->Command2(), Qt::LeftButton);
    } else {
        chapters->LV1()->topLevelItem(0)->setSelected(true);
        chapters->okClicked();
        ShowOptionsWindow();
        QVERIFY(optionsWindow());
        breakMaster();
        QTest::mouseClick(optionsWindow()->findChild<QPushButton*>("Command1"), Qt::LeftButton);
        QCOMPARE(m_prompter->boxes.size(), 1);
        repairMaster();
        mainWindow()->close();
    }
    QCOMPARE(m_quits, QList<int>{0});
    QCOMPARE(m_prompter->boxes.size(), 1);
    const RecordedBox box = m_prompter->boxes[0];
    QCOMPARE(box.icon, MsgIcon::Exclamation);
    const QString prefix = "The settings file '" + master + "' couldn't be saved: ";
    QVERIFY2(box.text.startsWith(prefix), qPrintable(box.text));
    QVERIFY2(box.text.size() > prefix.size() + 10, qPrintable(box.text)); // the system's reason
}

// A program folder too deep for the sample chapters' paths: the list entries that don't fit
// are left out with a log line, and every other setting is kept.
void TestStudy::longProgramFolderKeepsSettings() {
    const QString docs = ownDocuments();
    QString prog = docs + "/program";
    prog += "/" + QString(149 - prog.size(), QLatin1Char('p'));
    QCOMPARE(prog.size(), 150);
    QVERIFY(QDir().mkpath(prog));
    app().programFolderOverride = prog;
    LogRecorder log;
    start();
    QVERIFY(chapterWindow());
    QVERIFY2(!log.lines.filter("sample chapter left out").isEmpty(), qPrintable(log.lines.join('|')));
    chapterWindow()->cancelClicked();
    QCOMPARE(m_quits, QList<int>{0});

    ivordalite db;
    QVERIFY(db.mount(docs + "/Quarnel/sys.qex", false));
    QCOMPARE(db.getlong("flist_count", -1), 0);
    QCOMPARE(db.gettag("show_mouse_hover"), QString("options"));
    QCOMPARE(db.getlong("trouble_by_default", -1), 0); // the wizard's answer
    QCOMPARE(db.gettag("backcolor_b"), QString("color_metrics"));
    QCOMPARE(db.gettag("frmChapter.left"), QString("metrics"));
    db.unmount();

    // The next start is no first use: the wizard doesn't come back.
    AppState::reset();
    installStudyHooks();
    app().documentsOverride = docs;
    app().programFolderOverride = prog;
    app().hooks.quitProcess = [this](int code) { m_quits.append(code); };
    const qsizetype before = log.lines.size();
    Main();
    QVERIFY(chapterWindow());
    QCOMPARE(log.indexOf(" .. Initializing VORDA master DB file for first use.../n", int(before)), -1);
    chapterWindow()->cancelClicked();
}

// A settings file that holds the most entries a store can: the buttons that store the list
// and the window position tell the user once and go on.
void TestStudy::fullMasterDatabaseDoesNotCrash_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("Cancel") << "Command2";
    QTest::newRow("OK") << "Command1";
    QTest::newRow("Editor ..") << "Command5";
}

void TestStudy::fullMasterDatabaseDoesNotCrash() {
    QFETCH(QString, button);
    const QString home = ownDocuments() + "/Quarnel";
    QVERIFY(QDir().mkpath(home));
    {
        ivordalite full;
        QVERIFY(full.mount(home + "/sys.qex", false));
        for (int i = 1; i <= 32767; ++i)
            full.add(QStringLiteral("filler_%1").arg(i), QString(), i, QString());
        QVERIFY(full.save());
    }
    ScriptedDialogs dialogs;
    start();
    frmChapter* chapters = chapterWindow();
    QVERIFY(chapters);
    dialogs.answerFile(QStringLiteral(QUARNEL_BIN_DIR) + "/ex1.qex");
    chapters->toolbarClick("sall");
    QCOMPARE(chapters->LV1()->topLevelItemCount(), 1);
    chapters->LV1()->topLevelItem(0)->setSelected(true);
    m_prompter->expect(MsgResult::Ok, "Settings File Full");
    if (button == "Command5") {
        if (QFile::exists(QStringLiteral(QUARNEL_BIN_DIR) + "/qredit"))
            m_prompter->expect(MsgResult::No, "Load Editor?");
        else
            m_prompter->expect(MsgResult::Ok, "Editor not Found");
    }
    QTest::mouseClick(chapters->findChild<QPushButton*>(button), Qt::LeftButton);
    QVERIFY(m_prompter->boxes.value(0).text.contains("the settings file is full"));
    if (button == "Command1") {
        QVERIFY(mainWindow());
        QCOMPARE(int(deckUpper()), 42);
        mainWindow()->close();
    } else if (button == "Command5") {
        QVERIFY(chapterWindow());
        chapterWindow()->cancelClicked();
    }
    QCOMPARE(m_quits, QList<int>{0});
    QVERIFY(dialogs.unexpected.isEmpty());
}

namespace {
// A shown top-level window by its name.
QWidget* shownWindow(const QString& name) {
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->isVisible() && t->objectName() == name)
            return t;
    return nullptr;
}

// A key for `window` goes to its control that has the keyboard, or to the window itself.
QWidget* keyTarget(QWidget* window) {
    QWidget* f = window->focusWidget();
    return f ? f : window;
}

void press(QWidget* window, int k, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    QTest::keyClick(keyTarget(window), Qt::Key(k), mod);
}

// Tab until the control named `name` has the keyboard of `window`.
bool tabTo(QWidget* window, const QString& name) {
    for (int i = 0; i < 20; ++i) {
        if (keyTarget(window)->objectName() == name)
            return true;
        press(window, Qt::Key_Tab);
    }
    return false;
}

// The keyboard works in the active window, as for a user who brings it to the front: the
// arrow keys of a group of options and the shortcuts depend on it.
bool activate(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return window->isActiveWindow(); }, 5000);
}

// Opens the card window's menu from the keyboard, below the Menu button, and runs the item
// named `item` with the arrow keys and Return.
bool menuCommand(frmMain* w, const QString& item, bool shiftF10) {
    press(w, shiftF10 ? Qt::Key_F10 : Qt::Key_Menu, shiftF10 ? Qt::ShiftModifier : Qt::NoModifier);
    QMenu* menu = w->mP();
    if (!menu->isVisible())
        return false;
    qexFlatButton* menuButton = w->button(1);
    if (w->lastMenuPos() != menuButton->mapTo(w, QPoint(0, menuButton->height())))
        return false;
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(menu, Qt::Key_Down);
        if (menu->activeAction() && menu->activeAction()->objectName() == item) {
            QTest::keyClick(menu, Qt::Key_Return);
            return !menu->isVisible();
        }
    }
    menu->close();
    return false;
}
} // namespace

// The whole run with key presses alone: first start, chapter choice, studying, the
// trouble-only filter, Save Progress, New Session, Load Saved, Export Cards, Exit.
void TestStudy::keyboardOnlyStudyRun() {
    ScriptedDialogs dialogs;
    RecordingShell shell;
    const QString docs = ownDocuments(); // a first start of its own
    const QString progress = docs + "/run.qrs";
    const QString stats = docs + "/cards.txt";

    // The setup wizard comes first and holds Main() in its own loop: it is answered from
    // timers that look for it until it is shown.
    struct Wizard {
        int tries = 0;
        bool answered = false;
        bool over = false;
        QString option; // the option the arrow key went to
        std::function<void()> look;
    };
    auto wizard = std::make_shared<Wizard>();
    std::weak_ptr<Wizard> weak = wizard;
    wizard->look = [weak] {
        auto state = weak.lock();
        if (!state || state->over)
            return;
        QWidget* setup = shownWindow("frmSetup");
        if (!setup) {
            // A minute at most on a busy machine; then the test fails below.
            if (++state->tries < 3000)
                QTimer::singleShot(20, state->look);
            return;
        }
        state->over = true;
        // Tab reaches the pair of options at its first; an arrow key moves to the other.
        if (activate(setup) && tabTo(setup, "Option1")) {
            press(setup, Qt::Key_Down);
            state->option = keyTarget(setup)->objectName();
            press(setup, Qt::Key_Space);
            if (tabTo(setup, "Command1") && keyTarget(setup)->isEnabled()) {
                state->answered = true;
                press(setup, Qt::Key_Space);
            }
        }
        // Keys that did not finish the wizard must not leave the test waiting on it.
        if (setup->isVisible())
            setup->close();
    };
    QTimer::singleShot(0, wizard->look);
    Main();
    wizard->over = true;
    QCOMPARE(wizard->option, QString("Option2"));
    QVERIFY(wizard->answered);

    frmChapter* chapters = chapterWindow();
    QVERIFY(chapters && chapters->isVisible());
    QVERIFY(activate(chapters));
    QVERIFY(tabTo(chapters, "LV1"));
    press(chapters, Qt::Key_Home);
    press(chapters, Qt::Key_Space);
    QCOMPARE(chapters->LV1()->selectedItems().size(), 1);
    QVERIFY(tabTo(chapters, "Command1"));
    press(chapters, Qt::Key_Space);
    QCOMPARE(int(deckUpper()), 42);

    frmMain* w = mainWindow();
    QVERIFY(w && w->isVisible());
    QVERIFY(activate(w));
    QCOMPARE(mainRenderData()->maintext(), QString("das Haus"));
    press(w, Qt::Key_Right);
    press(w, Qt::Key_Return);
    QCOMPARE(mainRenderData()->maintext(), QString("the flat, the apartment"));
    press(w, Qt::Key_Space);
    QCOMPARE(deck[1].trouble, qint16(-1));
    // The filter box, reached with Tab and ticked with Space: only trouble cards now.
    QVERIFY(tabTo(w, "Check2"));
    press(w, Qt::Key_Space);
    QVERIFY(w->Check2()->Checked());
    press(w, Qt::Key_Right);
    press(w, Qt::Key_Right);
    QCOMPARE(int(curcard), 1);

    dialogs.answerFile(progress);
    QVERIFY(menuCommand(w, "mP_sp", false));
    QVERIFY(QFile::exists(progress));
    dialogs.answerFile(stats);
    QVERIFY(menuCommand(w, "mP_ss", true));
    QVERIFY(QFile::exists(stats));
    QCOMPARE(shell.urls.size(), 1);

    QVERIFY(menuCommand(w, "mP_n", false));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!mainWindow());
    chapters = chapterWindow();
    QVERIFY(chapters && chapters->isVisible());
    QVERIFY(activate(chapters));
    dialogs.answerFile(progress);
    press(chapters, Qt::Key_L, Qt::ControlModifier);
    w = mainWindow();
    QVERIFY(w && w->isVisible());
    QCOMPARE(int(deckUpper()), 42);
    QCOMPARE(deck[1].trouble, qint16(-1));
    QVERIFY(activate(w));
    press(w, Qt::Key_X);
    QCOMPARE(m_quits, QList<int>{0});
    QVERIFY2(dialogs.unexpected.isEmpty(), qPrintable(dialogs.unexpected.join(", ")));
}

QTEST_MAIN(TestStudy)
// A logout (SIGTERM), Ctrl+C (SIGINT) or a closed terminal (SIGHUP) ends the program as Exit
// does: what the session changed and the window places are saved. One that comes during the
// first start ends the program once it is up.
void TestStudy::signalEndsLikeExit_data() {
    QTest::addColumn<int>("signal");
    QTest::addColumn<QString>("when");
    QTest::newRow("SIGTERM while studying") << int(SIGTERM) << "studying";
    QTest::newRow("SIGINT while studying") << int(SIGINT) << "studying";
    QTest::newRow("SIGHUP while studying") << int(SIGHUP) << "studying";
    QTest::newRow("SIGTERM in the chapter window") << int(SIGTERM) << "chapters";
    QTest::newRow("SIGTERM in the setup wizard") << int(SIGTERM) << "start";
}

void TestStudy::signalEndsLikeExit() {
    QFETCH(int, signal);
    QFETCH(QString, when);
    const QString home = ownDocuments() + "/Quarnel";
    EndOnTerminationSignals();
    if (when == "start")
        m_beforeSetupFinished = [signal] {
            ::raise(signal);
            QTRY_VERIFY(!QApplication::activeModalWidget()); // the wizard is dismissed
            QVERIFY(app().endWhenUp);
        };
    start();
    if (when == "start") {
        QCOMPARE(m_quits, QList<int>{0});
    } else {
        QVERIFY(m_quits.isEmpty());
        app().troubleDefaultPending = false; // stored only at the end
        if (when == "studying") {
            chapterWindow()->LV1()->topLevelItem(1)->setSelected(true);
            chapterWindow()->okClicked();
            QVERIFY(mainWindow());
        }
        ::raise(signal);
        QTRY_COMPARE(m_quits, QList<int>{0});
    }
    ivordalite db;
    QVERIFY(db.mount(home + "/sys.qex", false));
    QCOMPARE(db.gettag(when == "studying" ? "frmMain.left" : "frmChapter.left"), QString("metrics"));
    // Changed before the end, or (in the wizard) the default, the wizard's choice not taken.
    QCOMPARE(db.getlong("trouble_by_default", 7), when == "start" ? -1 : 0);
}

#include "tst_study.moc"
