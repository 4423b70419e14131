// The chapter selection window: the list kept in the master database, Import and Delete,
// OK, Cancel and the editor button, with scripted dialogs and message boxes.
#include "appstate.h"
#include "deck.h"
#include "frmchapter.h"
#include "frmmain.h"
#include "qexflatbutton.h"
#include "ivordalite.h"
#include "modmain.h"
#include "modrender.h"
#include "progressfile.h"
#include "r_data.h"
#include "statswindow.h"
#include "testsupport.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QWindow>
#include <QtTest>

class TestFrmChapter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layoutAndCaptions();
    void missingFileDroppedAndListSavedShorter();
    void titlelessChapterListedUnderFileName();
    void rowsLoadInListOrder();
    void importSameFileTwice();
    void importRefusesNonChapter();
    void importRefusesPathTooLong();
    void importKeepsPathInAnyScript();
    void importCancelled();
    void deleteRemovesSelectedRow();
    void okFollowsSelection();
    void okWithoutSelection();
    void deleteKeepsOkState();
    void returnOnFocusedButtonPressesIt_data();
    void returnOnFocusedButtonPressesIt();
    void cancelSavesListAndShutsDown();
    void editorMissing();
    void editorStartsAndShutsDown();
    void tabsSwitchPages();
    void loadSavedShowsFirstCard();
    void loadSavedCancelledKeepsWindow();
    void toolbarKeys_data();
    void toolbarKeys();
    void deadCloseBoxActsAsCancel_data();
    void deadCloseBoxActsAsCancel();
    void returnOnChapterRowDidNothing_data();
    void returnOnChapterRowDidNothing();

private:
    QString chapter(const QString& name, const QString& title, int cards);
    frmChapter* open();
    QTemporaryDir m_dir;
    QString m_home;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<RecordingShell> m_shell;
    QList<int> m_quits;
    QPointer<frmChapter> m_w;
};

void TestFrmChapter::init() {
    AppState::reset();
    FlushDeck(true);
    troubledefault = false;
    m_home = m_dir.path() + "/home" + QString::number(QRandomGenerator::global()->generate());
    QDir().mkpath(m_home);
    app().homeFolder = m_home;
    app().programFolderOverride = m_home;
    app().hooks.quitProcess = [this](int code) { m_quits.append(code); };
    app().hooks.releaseRenderer = [] { releaseMainRenderPair(); };
    app().hooks.showMainWindow = [] { loadMainWindow(); };
    m_quits.clear();
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    m_shell = std::make_unique<RecordingShell>();
    app().master = std::make_unique<ivordalite>();
    QVERIFY(app().master->mount(masterPath(), false));
}

void TestFrmChapter::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(", ")));
    releaseMainRenderPair();
    QList<QPointer<QWidget>> windows;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().startsWith("frm"))
            windows.append(w);
    for (const QPointer<QWidget>& w : windows)
        delete w.data();
    app().master.reset();
    m_prompter.reset();
    m_dialogs.reset();
    m_shell.reset();
}

QString TestFrmChapter::chapter(const QString& name, const QString& title, int cards) {
    QList<QPair<QString, QString>> list;
    for (int i = 1; i <= cards; ++i)
        list.append({QStringLiteral("%1 Frage %2").arg(name).arg(i), QStringLiteral("%1 answer %2").arg(name).arg(i)});
    return writeChapter(m_home + "/" + name + ".qex", title, list);
}

frmChapter* TestFrmChapter::open() {
    m_w = showChapterWindow();
    return m_w;
}

void TestFrmChapter::layoutAndCaptions() {
    frmChapter* w = open();
    QCOMPARE(w->windowTitle(), QString("Select the Chapter or Data File"));
    QCOMPARE(w->LV1()->headerItem()->text(0), QString("Title"));
    QCOMPARE(w->LV1()->headerItem()->text(1), QString("Word Count"));
    QCOMPARE(w->Command1()->text(), QString("OK"));
    QCOMPARE(w->Command2()->text(), QString("Cancel"));
    QCOMPARE(w->Command5()->text(), QString("Editor .."));
    QStringList toolbar;
    for (QAction* a : w->Toolbar2()->actions())
        toolbar << a->objectName() + "=" + a->text();
    QCOMPARE(toolbar, (QStringList{"sall=Import", "del=Delete", "lsaved=Load Saved", "history=Export History",
                                    "stats=Statistics", "lang=Languages...", "about=About"}));
    QCOMPARE(w->ts()->tabText(0), QString("Built-in"));
    QCOMPARE(w->ts()->tabText(1), QString("User Defined"));
    QVERIFY(!w->Command1()->isEnabled());
    // No close box where the window manager honours the hint; where one shows, it acts as
    // Cancel (deadCloseBoxActsAsCancel).
    QVERIFY(!(w->windowFlags() & Qt::WindowCloseButtonHint));
    QVERIFY(w->windowFlags() & Qt::CustomizeWindowHint);
}

void TestFrmChapter::missingFileDroppedAndListSavedShorter() {
    const QString a = chapter("a", "Alpha", 3), b = chapter("b", "Beta", 4), c = chapter("c", "Gamma", 5);
    ivordalite& m = *app().master;
    m.add("flist_count", "", 3, "");
    m.add("flist_name_1", a, 0, "");
    m.add("flist_name_2", b, 0, "");
    m.add("flist_name_3", c, 0, "");
    QFile::remove(b);
    frmChapter* w = open();
    QCOMPARE(w->LV1()->topLevelItemCount(), 2);
    QCOMPARE(w->LV1()->topLevelItem(0)->text(0), QString("Alpha"));
    QCOMPARE(w->LV1()->topLevelItem(0)->text(1), QString("3"));
    QCOMPARE(w->LV1()->topLevelItem(1)->text(0), QString("Gamma"));
    QCOMPARE(w->LV1()->topLevelItem(1)->text(1), QString("5"));
    w->LV1()->topLevelItem(0)->setSelected(true);
    w->okClicked();
    QCOMPARE(m.getlong("flist_count", -1), 2);
    QCOMPARE(m.getstring("flist_name_1", ""), a);
    QCOMPARE(m.getstring("flist_name_2", ""), c);
    QCOMPARE(m.getstring("flist_name_3", ""), c); // the old third entry stays, unread
    // OK saved the master database to disk.
    ivordalite disk;
    QVERIFY(disk.mount(masterPath(), false));
    QCOMPARE(disk.getlong("flist_count", -1), 2);
    QCOMPARE(int(deckUpper()), 3);
    QVERIFY(mainWindow());
    QVERIFY(mainWindow()->isVisible());
    QCOMPARE(mainRenderData()->maintext(), QString("a Frage 1"));
    QVERIFY(!m_w || !m_w->isVisible()); // unloaded after OK
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_w);
}

void TestFrmChapter::titlelessChapterListedUnderFileName() {
    const QString path = chapter("lesson7", "", 2);
    app().master->add("flist_count", "", 1, "");
    app().master->add("flist_name_1", path, 0, "");
    frmChapter* w = open();
    QCOMPARE(w->LV1()->topLevelItem(0)->text(0), QString("lesson7.qex"));
    w->LV1()->topLevelItem(0)->setSelected(true);
    w->okClicked();
    QCOMPARE(deck[0].chaptertitle, QString("lesson7.qex"));
}

void TestFrmChapter::rowsLoadInListOrder() {
    ivordalite& m = *app().master;
    m.add("flist_count", "", 3, "");
    m.add("flist_name_1", chapter("x", "X", 2), 0, "");
    m.add("flist_name_2", chapter("y", "Y", 2), 0, "");
    m.add("flist_name_3", chapter("z", "Z", 2), 0, "");
    frmChapter* w = open();
    w->LV1()->topLevelItem(2)->setSelected(true);
    w->LV1()->topLevelItem(0)->setSelected(true);
    w->okClicked();
    QCOMPARE(int(deckUpper()), 4);
    QCOMPARE(deck[0].chaptertitle, QString("X"));
    QCOMPARE(deck[2].chaptertitle, QString("Z"));
    QCOMPARE(deck[3].question, QString("z Frage 2"));
}

void TestFrmChapter::importSameFileTwice() {
    const QString path = chapter("twice", "Twice", 2);
    frmChapter* w = open();
    m_dialogs->answerFile(path);
    m_dialogs->answerFile(path);
    w->toolbarClick("sall");
    w->toolbarClick("sall");
    QCOMPARE(w->LV1()->topLevelItemCount(), 2);
    const FileDialogRequest& req = m_dialogs->fileRequests[0];
    QCOMPARE(req.filterParts, (QStringList{"Quarnel Data File", "*.qex"}));
    QCOMPARE(req.flags, uint32_t(4096));
    QCOMPARE(req.initDir, m_home);
    QCOMPARE(req.defaultExt, QString("qex"));
    QVERIFY(req.title.isEmpty());
    w->LV1()->selectAll();
    w->okClicked();
    QCOMPARE(int(deckUpper()), 4);
}

void TestFrmChapter::importRefusesNonChapter() {
    frmChapter* w = open();
    // The master database itself is a store without the chapter mark.
    app().master->save();
    m_dialogs->answerFile(masterPath());
    m_prompter->expect(MsgResult::Ok, "DB Open Error");
    w->toolbarClick("sall");
    QCOMPARE(m_prompter->boxes.value(0).text, QString("This file invalid and cannot be opened in this mode"));
    QCOMPARE(m_prompter->boxes.value(0).icon, MsgIcon::Exclamation);
    QCOMPARE(w->LV1()->topLevelItemCount(), 0);
}

void TestFrmChapter::importRefusesPathTooLong() {
    const QString dir = m_home + "/" + QString(60, 'd');
    QDir().mkpath(dir);
    const QString path = writeChapter(dir + "/chapter.qex", "Long", {{"a", "b"}, {"c", "d"}});
    frmChapter* w = open();
    m_dialogs->answerFile(path);
    m_prompter->expect(MsgResult::Ok);
    w->toolbarClick("sall");
    QCOMPARE(w->LV1()->topLevelItemCount(), 0);
    QVERIFY(m_prompter->boxes.value(0).text.contains(path));
    // Nothing unsavable reached the master database.
    w->SaveFileList();
    QVERIFY(app().master->save());
}

// A folder named in Cyrillic: the chapter is listed under its Russian title, and the master
// database keeps the path in UTF-8 (marked) and gives it back. A path that fits its record
// only as Windows-1252 bytes would is refused, never cut.
void TestFrmChapter::importKeepsPathInAnyScript() {
    const QString dir = m_home + QStringLiteral("/\u044E\u0440\u0438\u0439");
    QDir().mkpath(dir);
    const QString path = writeChapter(dir + "/chapter.qex", QStringLiteral("\u0423\u0440\u043E\u043A 1"), {{"a", "b"}});
    frmChapter* w = open();
    m_dialogs->answerFile(path);
    w->toolbarClick("sall");
    QCOMPARE(w->LV1()->topLevelItemCount(), 1);
    QCOMPARE(w->LV1()->topLevelItem(0)->text(0), QStringLiteral("\u0423\u0440\u043E\u043A 1"));
    w->SaveFileList();
    QVERIFY(app().master->save());
    ivordalite back;
    QVERIFY(back.mount(masterPath(), false));
    QCOMPARE(back.encoding(), TextEncoding::Utf8);
    QCOMPARE(back.getstring("flist_name_1", QString()), path);

    // 64 Cyrillic letters are 64 bytes as Windows-1252 would count them, 128 as UTF-8.
    const QString longDir = m_home + "/" + QString(64, QChar(0x0434));
    QDir().mkpath(longDir);
    const QString longPath = writeChapter(longDir + "/c.qex", "Long", {{"a", "b"}});
    m_dialogs->answerFile(longPath);
    m_prompter->expect(MsgResult::Ok, "Path Too Long");
    w->toolbarClick("sall");
    QCOMPARE(w->LV1()->topLevelItemCount(), 1);
    QVERIFY(m_prompter->boxes.value(0).text.contains(QStringLiteral("bytes in UTF-8; a slot holds 128")));
}

void TestFrmChapter::importCancelled() {
    frmChapter* w = open();
    m_dialogs->cancelFile();
    w->toolbarClick("sall");
    QCOMPARE(w->LV1()->topLevelItemCount(), 0);
    QVERIFY(m_prompter->boxes.isEmpty());
}

void TestFrmChapter::deleteRemovesSelectedRow() {
    ivordalite& m = *app().master;
    m.add("flist_count", "", 2, "");
    m.add("flist_name_1", chapter("d1", "One", 2), 0, "");
    m.add("flist_name_2", chapter("d2", "Two", 2), 0, "");
    frmChapter* w = open();
    w->LV1()->setCurrentItem(w->LV1()->topLevelItem(0));
    w->toolbarClick("del");
    QCOMPARE(w->LV1()->topLevelItemCount(), 1);
    QCOMPARE(w->LV1()->topLevelItem(0)->text(0), QString("Two"));
    QVERIFY(QFile::exists(m_home + "/d1.qex")); // the file on disk stays
}

void TestFrmChapter::okFollowsSelection() {
    app().master->add("flist_count", "", 1, "");
    app().master->add("flist_name_1", chapter("s", "S", 2), 0, "");
    frmChapter* w = open();
    QVERIFY(!w->Command1()->isEnabled());
    QTest::mouseClick(w->LV1()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      w->LV1()->visualItemRect(w->LV1()->topLevelItem(0)).center());
    QVERIFY(w->Command1()->isEnabled());
    w->LV1()->clearSelection();
    QVERIFY(!w->Command1()->isEnabled());
}

void TestFrmChapter::okWithoutSelection() {
    frmChapter* w = open();
    LogRecorder log;
    QStringList order;
    m_prompter->onAsk = [&](const RecordedBox& b) { order << b.title; };
    m_prompter->expect(MsgResult::Ok, "FileLoader");
    m_prompter->expect(MsgResult::Ok, "Database Loader Failure");
    w->okClicked();
    QCOMPARE(order, (QStringList{"FileLoader", "Database Loader Failure"}));
    QCOMPARE(m_prompter->boxes[0].text, QString("No files were selected to be loaded. The program will exit."));
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Exclamation);
    QCOMPARE(m_prompter->boxes[1].icon, MsgIcon::None);
    QVERIFY(m_prompter->boxes[1].text.startsWith("The specified chapters couldn't be loaded."));
    QCOMPARE(m_quits, QList<int>{0});
    QVERIFY(log.contains("VORDA system going down on code 0/n"));
}

// Delete leaves OK as it was: with the only selected row deleted, OK stays enabled and
// reports that nothing was selected.
void TestFrmChapter::deleteKeepsOkState() {
    app().master->add("flist_count", "", 1, "");
    app().master->add("flist_name_1", chapter("gone", "Gone", 2), 0, "");
    frmChapter* w = open();
    QTest::mouseClick(w->LV1()->viewport(), Qt::LeftButton, Qt::NoModifier,
                      w->LV1()->visualItemRect(w->LV1()->topLevelItem(0)).center());
    QVERIFY(w->Command1()->isEnabled());
    w->toolbarClick("del");
    QCOMPARE(w->LV1()->topLevelItemCount(), 0);
    QVERIFY(w->Command1()->isEnabled());
    m_prompter->expect(MsgResult::Ok, "FileLoader");
    m_prompter->expect(MsgResult::Ok, "Database Loader Failure");
    QTest::mouseClick(w->Command1(), Qt::LeftButton);
    QCOMPARE(m_prompter->boxes.size(), 2);
    QCOMPARE(m_quits, QList<int>{0});
}

// Return presses the button that has the focus, as on every desktop.
void TestFrmChapter::returnOnFocusedButtonPressesIt_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("OK") << "Command1";
    QTest::newRow("Cancel") << "Command2";
}

void TestFrmChapter::returnOnFocusedButtonPressesIt() {
    QFETCH(QString, button);
    app().master->add("flist_count", "", 1, "");
    app().master->add("flist_name_1", chapter("ret", "Ret", 2), 0, "");
    frmChapter* w = open();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->LV1()->topLevelItem(0)->setSelected(true);
    auto* b = w->findChild<QPushButton*>(button);
    b->setFocus();
    QTest::keyClick(b, Qt::Key_Return);
    if (button == "Command1") {
        QCOMPARE(int(deckUpper()), 2);
        QVERIFY(mainWindow());
    } else {
        QCOMPARE(m_quits, QList<int>{0});
    }
}

void TestFrmChapter::cancelSavesListAndShutsDown() {
    const QString path = chapter("keep", "Keep", 2);
    frmChapter* w = open();
    m_dialogs->answerFile(path);
    w->toolbarClick("sall");
    w->cancelClicked();
    QCOMPARE(m_quits, QList<int>{0});
    ivordalite disk;
    QVERIFY(disk.mount(m_home + "/sys.qex", false));
    QCOMPARE(disk.getlong("flist_count", -1), 1);
    QCOMPARE(disk.getstring("flist_name_1", ""), path);
}

void TestFrmChapter::editorMissing() {
    frmChapter* w = open();
    QVERIFY(!w->editorpresent());
    m_prompter->expect(MsgResult::Ok, "Editor not Found");
    w->editorClicked();
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Information);
    QVERIFY(m_shell->programs.isEmpty());
    QVERIFY(m_quits.isEmpty());
    QVERIFY(w->isVisible());
}

void TestFrmChapter::editorStartsAndShutsDown() {
    QFile editor(m_home + "/qredit");
    QVERIFY(editor.open(QIODevice::WriteOnly));
    editor.close();
    frmChapter* w = open();
    QVERIFY(w->editorpresent());
    m_prompter->expect(MsgResult::No, "Load Editor?");
    w->editorClicked();
    QVERIFY(m_shell->programs.isEmpty());
    m_prompter->expect(MsgResult::Yes, "Load Editor?");
    w->editorClicked();
    QCOMPARE(m_prompter->boxes[1].icon, MsgIcon::Question);
    QCOMPARE(m_prompter->boxes[1].buttons, MsgButtons::YesNo);
    QCOMPARE(m_shell->programs, QStringList{m_home + "/qredit"});
    QCOMPARE(m_quits, QList<int>{0});
}

void TestFrmChapter::tabsSwitchPages() {
    frmChapter* w = open();
    QTRY_VERIFY(w->page(0)->isVisible());
    QVERIFY(!w->page(1)->isVisible());
    w->ts()->setCurrentIndex(1);
    QVERIFY(!w->page(0)->isVisible());
    QVERIFY(w->page(1)->isVisible());
    QVERIFY(w->page(1)->findChild<QLabel*>("Label1"));
    QCOMPARE(w->page(1)->findChild<QLabel*>("Label1")->text(),
             QString("User Defined data files not yet implemented!"));
}

void TestFrmChapter::loadSavedShowsFirstCard() {
    QVector<Card> saved(3);
    saved[0] = Card{"zwei", "two", "qre_word", "", -1, 4, "Zahlen"};
    saved[1] = Card{"drei", "three", "qre_word", "", 0, 2, "Zahlen"};
    const QString path = m_home + "/run.qrs";
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QVERIFY(writeProgress(f, saved, nullptr));
    f.close();
    chapterCommands().loadProgress = [](QWidget* owner) { return LoadProgress(owner); };
    frmChapter* w = open();
    LogRecorder log;
    m_dialogs->answerFile(path);
    w->toolbarClick("lsaved");
    QVERIFY(log.contains(" .. loaded 2 nodes/n"));
    QCOMPARE(int(deckUpper()), 2);
    QVERIFY(mainWindow());
    QCOMPARE(mainRenderData()->maintext(), QString("zwei"));
    QCOMPARE(mainRenderData()->toplefttext(), QString("showing card 1 of 2; 1 trouble card"));
    QCOMPARE(mainRenderData()->toprighttext(), QString("Times viewed: 5"));
    QVERIFY(mainWindow()->button(2)->isEnabled());
    QVERIFY(!m_w || !m_w->isVisible());
    chapterCommands().loadProgress = {};
}

void TestFrmChapter::loadSavedCancelledKeepsWindow() {
    chapterCommands().loadProgress = [](QWidget* owner) { return LoadProgress(owner); };
    frmChapter* w = open();
    m_dialogs->cancelFile();
    w->toolbarClick("lsaved");
    QVERIFY(w->isVisible());
    QVERIFY(!mainWindow());
    chapterCommands().loadProgress = {};
}

// Every toolbar command has a key, named in its button's tooltip; Delete acts in the list only.
void TestFrmChapter::toolbarKeys_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("focus"); // the control that has the keyboard
    QTest::addColumn<QString>("done");  // what the key did
    QTest::newRow("Import") << "sall"
                            << "Import (Ctrl+I)" << QKeySequence("Ctrl+I") << "LV1"
                            << "import";
    QTest::newRow("Delete in the list") << "del"
                                        << "Delete (Del)" << QKeySequence(Qt::Key_Delete) << "LV1"
                                        << "delete";
    QTest::newRow("Delete on a button") << "del"
                                        << "Delete (Del)" << QKeySequence(Qt::Key_Delete) << "Command2"
                                        << "";
    QTest::newRow("Load Saved") << "lsaved"
                                << "Load Saved (Ctrl+L)" << QKeySequence("Ctrl+L") << "Command2"
                                << "load";
    QTest::newRow("About") << "about"
                           << "About (F1)" << QKeySequence(Qt::Key_F1) << "LV1"
                           << "about";
    QTest::newRow("Statistics") << "stats"
                                << "Statistics (Ctrl+T)" << QKeySequence("Ctrl+T") << "Command2"
                                << "statistics";
}

void TestFrmChapter::toolbarKeys() {
    QFETCH(QString, button);
    QFETCH(QString, tooltip);
    QFETCH(QKeySequence, keys);
    QFETCH(QString, focus);
    QFETCH(QString, done);
    app().master->add("flist_count", "", 2, "");
    app().master->add("flist_name_1", chapter("k1", "One", 2), 0, "");
    app().master->add("flist_name_2", chapter("k2", "Two", 2), 0, "");
    QStringList did;
    chapterCommands().loadProgress = [&did](QWidget*) {
        did << "load";
        return false;
    };
    chapterCommands().about = [&did] { did << "about"; };
    frmChapter* w = open();
    QAction* action = w->findChild<QAction*>(button);
    QVERIFY(action);
    QCOMPARE(action->toolTip(), tooltip);
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->LV1()->setCurrentItem(w->LV1()->topLevelItem(0));
    QWidget* target = w->findChild<QWidget*>(focus);
    target->setFocus();
    QVERIFY(target->hasFocus());
    m_dialogs->cancelFile(); // for Import; left unused by the other keys
    QTest::keySequence(target, keys);
    if (m_dialogs->fileRequests.size() == 1)
        did << "import";
    if (w->LV1()->topLevelItemCount() == 1)
        did << "delete";
    if (statsui::StatsWindow* stats = statsui::statisticsWindow()) {
        did << "statistics";
        QCOMPARE(stats->chooser()->count(), 3); // All Chapters, then the two listed
        QCOMPARE(stats->chooser()->itemText(2), QStringLiteral("Two"));
        delete stats;
    }
    QCOMPARE(did.join(','), done);
    chapterCommands().loadProgress = {};
    chapterCommands().about = {};
}

// Window managers that ignore the hint against a close box showed one that did nothing. It
// acts as Cancel: the list is kept and the program ends; while Cancel is off, so is the box.
void TestFrmChapter::deadCloseBoxActsAsCancel_data() {
    QTest::addColumn<bool>("fromFrame"); // the window manager's close box, or close() (Alt+F4 and the like)
    QTest::addColumn<bool>("cancelEnabled");
    QTest::newRow("close box") << true << true;
    QTest::newRow("close()") << false << true;
    QTest::newRow("close box while loading") << true << false;
}

void TestFrmChapter::deadCloseBoxActsAsCancel() {
    QFETCH(bool, fromFrame);
    QFETCH(bool, cancelEnabled);
    const QString path = chapter("kept", "Kept", 2);
    // Cancel ends the run and the window deletes itself: keep a guarded pointer.
    QPointer<frmChapter> w = open();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    m_dialogs->answerFile(path);
    w->toolbarClick("sall");
    w->setControlsEnabled(cancelEnabled);
    if (fromFrame)
        w->windowHandle()->close();
    else
        w->close();
    QCoreApplication::processEvents();
    QCOMPARE(m_quits, cancelEnabled ? QList<int>{0} : QList<int>{});
    QCOMPARE(w && w->isVisible(), !cancelEnabled);
    ivordalite disk;
    QVERIFY(disk.mount(m_home + "/sys.qex", false));
    QCOMPARE(disk.getlong("flist_count", -1), cancelEnabled ? 1 : -1);
}

// Return on a row of the chapter list did nothing; it loads the selected chapters as OK does.
void TestFrmChapter::returnOnChapterRowDidNothing_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("selected");
    QTest::newRow("Return") << int(Qt::Key_Return) << true;
    QTest::newRow("Enter") << int(Qt::Key_Enter) << true;
    QTest::newRow("Return, nothing selected") << int(Qt::Key_Return) << false;
}

void TestFrmChapter::returnOnChapterRowDidNothing() {
    QFETCH(int, key);
    QFETCH(bool, selected);
    app().master->add("flist_count", "", 1, "");
    app().master->add("flist_name_1", chapter("row", "Row", 3), 0, "");
    frmChapter* w = open();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->LV1()->setFocus();
    w->LV1()->setCurrentItem(w->LV1()->topLevelItem(0), 0, QItemSelectionModel::NoUpdate);
    w->LV1()->topLevelItem(0)->setSelected(selected);
    QTest::keyClick(w->LV1(), Qt::Key(key));
    QCOMPARE(int(deckUpper()), selected ? 3 : 0);
    QCOMPARE(mainWindow() != nullptr, selected);
    QCOMPARE(chapterWindow() != nullptr, !selected);
    QVERIFY(m_quits.isEmpty());
}

QTEST_MAIN(TestFrmChapter)
#include "tst_frmchapter.moc"
