// The study program from start to end, as a user runs it: first start with an empty home
// folder, the sample chapters listed, two chosen, cards studied with the keyboard, Exit.
// Then a second start that reads what the first one stored.
#include "appstate.h"
#include "deck.h"
#include "frmchapter.h"
#include "frmmain.h"
#include "ivordalite.h"
#include "modmain.h"
#include "modrender.h"
#include "r_data.h"
#include "studywiring.h"
#include "testsupport.h"

#include <QAbstractButton>
#include <QMenu>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

class TestStudy : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void firstStartStudyAndExit();
    void secondInstanceRefused();
    void newSessionReturnsToChapters();

private:
    void start();
    void answerSetupWizardWhenShown();
    QTemporaryDir m_docs;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QList<int> m_quits;
};

void TestStudy::init() {
    AppState::reset();
    FlushDeck(true);
    app().documentsOverride = m_docs.path();
    app().programFolderOverride = QStringLiteral(QUARNEL_BIN_DIR);
    installStudyHooks();
    app().hooks.quitProcess = [this](int code) { m_quits.append(code); };
    m_quits.clear();
    m_prompter = std::make_unique<ScriptedPrompter>();
}

void TestStudy::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_prompter.reset();
}

// The first start shows the setup wizard modally (when it is built in): answer it.
void TestStudy::answerSetupWizardWhenShown() {
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [poll] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() != QLatin1String("frmSetup") || !w->isVisible())
                continue;
            if (auto* option = w->findChild<QAbstractButton*>("Option2"))
                option->click();
            if (auto* finished = w->findChild<QAbstractButton*>("Command1"))
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

QTEST_MAIN(TestStudy)
#include "tst_study.moc"
