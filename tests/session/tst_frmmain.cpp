// The main card window under the offscreen platform: keys, clicks, the popup menu, hover
// descriptions, closing.
#include "appstate.h"
#include "cardmanager.h"
#include "cardview.h"
#include "deck.h"
#include "frmmain.h"
#include "frmsummary.h"
#include "modmain.h"
#include "modrender.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "r_data.h"
#include "r_renderer.h"
#include "shuffler.h"
#include "testsupport.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QtTest>

class TestFrmMain : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void captionAndControls();
    void buttonsClickedWithTheMouse();
    void keys_data();
    void keys();
    void spaceTogglesTroubleTwice();
    void shuffleKeyWithAnyModifier_data();
    void shuffleKeyWithAnyModifier();
    void keysIgnoredWhileBusy();
    void menuItems();
    void rightClickOpensMenuAtMouse();
    void menuButtonOpensMenuBelowItself();
    void quickHelpText();
    void hoverDescriptions_data();
    void hoverDescriptions();
    void hoverOffChangesNothing();
    void idleTextAfterTimer();
    void closeRefusedWhileBusy();
    void closeShutsDown();
    void filterStartsFromTroubleDefault();
    void typingDrill();
    void drillKeysOfTheMapInert();
    void rightAnswerOnTroubleCard_data();
    void rightAnswerOnTroubleCard();
    void roundSummaryCounts_data();
    void roundSummaryCounts();
    void roundSummaryOfTypedRound();
    void roundSummaryButtons_data();
    void roundSummaryButtons();
    void roundSummaryFollowsPreference_data();
    void roundSummaryFollowsPreference();
    void longVerdictKeepsClearOfTopLeft_data();
    void longVerdictKeepsClearOfTopLeft();
    void drillLetterAfterVerdictCrashed_data();
    void drillLetterAfterVerdictCrashed();
    void drillMenuShortcutsDidNothing_data();
    void drillMenuShortcutsDidNothing();
    void shuffleWithTroubleFilterShowedOtherCard_data();
    void shuffleWithTroubleFilterShowedOtherCard();
    void escapeLeftRoundSummaryOpen_data();
    void escapeLeftRoundSummaryOpen();
    void popupMenuWithoutMnemonics();
    void oneTroubleCardsOnCard_data();
    void oneTroubleCardsOnCard();

private:
    frmMain* m_w = nullptr;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    QList<int> m_quits;
    QTemporaryDir m_home;
    int m_shuffleDraws = 0;
};

void TestFrmMain::init() {
    AppState::reset();
    app().homeFolder = m_home.path();
    app().hooks.quitProcess = [this](int code) { m_quits.append(code); };
    app().hooks.releaseRenderer = [] { releaseMainRenderPair(); };
    m_quits.clear();
    m_prompter = std::make_unique<ScriptedPrompter>();
    FlushDeck(true);
    troubledefault = false;
    deck = QVector<Card>(4);
    for (int i = 0; i < 3; ++i) {
        deck[i].question = QStringLiteral("Frage %1").arg(i + 1);
        deck[i].answer = QStringLiteral("question %1").arg(i + 1);
        deck[i].chaptertitle = QStringLiteral("Lesson 1");
    }
    m_shuffleDraws = 0;
    setShuffleRandom([this] {
        ++m_shuffleDraws;
        return (m_shuffleDraws % 7) / 7.0;
    });
    m_w = loadMainWindow();
    QVERIFY(m_w);
    InitCardSurface();
    ShowFirstCard();
    QVERIFY(QTest::qWaitForWindowExposed(m_w));
}

void TestFrmMain::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    setShuffleRandom({});
    releaseMainRenderPair();
    if (m_w) {
        m_w->setProperty("quarnelUnloaded", true);
        delete m_w;
    }
    m_w = nullptr;
    m_prompter.reset();
}

void TestFrmMain::captionAndControls() {
    QCOMPARE(m_w->windowTitle(), QString("Quarnel 2007 - Orvandel"));
    QCOMPARE(m_w->objectName(), QString("frmMain"));
    const QStringList captions{"Menu", ">>", "<<", "Answer"};
    for (int i = 1; i <= 4; ++i) {
        QCOMPARE(m_w->button(i)->objectName(), QStringLiteral("qexFlatButton%1").arg(i));
        QCOMPARE(m_w->button(i)->Caption(), captions[i - 1]);
    }
    QCOMPARE(m_w->Check1()->Caption(), QString("I had trouble with this card"));
    QCOMPARE(m_w->Check2()->Caption(), QString("Show only trouble cards"));
    QVERIFY(m_w->findChild<QWidget*>("qexHL1"));
    // The controls sit on the strip below the card area and don't overlap one another.
    QList<QWidget*> controls{m_w->button(1), m_w->button(2), m_w->button(3), m_w->button(4), m_w->Check1(),
                             m_w->Check2()};
    for (QWidget* a : controls) {
        QVERIFY(a->mapTo(m_w, QPoint(0, 0)).y() >= m_w->height() - 60);
        QVERIFY(m_w->rect().contains(a->geometry().translated(a->parentWidget()->mapTo(m_w, QPoint()))));
        for (QWidget* b : controls)
            if (a != b)
                QVERIFY2(!a->geometry().intersects(b->geometry()), qPrintable(a->objectName() + b->objectName()));
    }
}

void TestFrmMain::buttonsClickedWithTheMouse() {
    QTest::mouseClick(m_w->button(2), Qt::LeftButton);
    QCOMPARE(int(curcard), 1);
    QTest::mouseClick(m_w->button(4), Qt::LeftButton);
    QCOMPARE(mainRenderData()->maintext(), QString("question 2"));
    QTest::mouseClick(m_w->button(3), Qt::LeftButton);
    QCOMPARE(int(curcard), 0);
    QTest::mouseClick(m_w->Check1(), Qt::LeftButton);
    QCOMPARE(deck[0].trouble, qint16(-1));
}

void TestFrmMain::keys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expectedCard");
    QTest::addColumn<QString>("expectedMain");
    QTest::newRow("right") << int(Qt::Key_Right) << 1 << "Frage 2";
    QTest::newRow("left wraps") << int(Qt::Key_Left) << 2 << "Frage 3";
    QTest::newRow("return shows answer") << int(Qt::Key_Return) << 0 << "question 1";
    QTest::newRow("z does nothing") << int(Qt::Key_Z) << 0 << "Frage 1";
    QTest::newRow("F1 does nothing") << int(Qt::Key_F1) << 0 << "Frage 1";
    QTest::newRow("up does nothing") << int(Qt::Key_Up) << 0 << "Frage 1";
}

void TestFrmMain::keys() {
    QFETCH(int, key);
    QFETCH(int, expectedCard);
    QFETCH(QString, expectedMain);
    QTest::keyClick(m_w, Qt::Key(key));
    QCOMPARE(int(curcard), expectedCard);
    QCOMPARE(mainRenderData()->maintext(), expectedMain);
    QCOMPARE(m_shuffleDraws, 0);
}

void TestFrmMain::spaceTogglesTroubleTwice() {
    QVERIFY(!m_w->Check1()->Checked());
    QTest::keyClick(m_w, Qt::Key_Space);
    QVERIFY(m_w->Check1()->Checked());
    QCOMPARE(deck[0].trouble, qint16(-1));
    QTest::keyClick(m_w, Qt::Key_Space);
    QVERIFY(!m_w->Check1()->Checked());
    QCOMPARE(deck[0].trouble, qint16(0));
}

void TestFrmMain::shuffleKeyWithAnyModifier_data() {
    QTest::addColumn<int>("modifiers");
    QTest::newRow("plain") << int(Qt::NoModifier);
    QTest::newRow("ctrl") << int(Qt::ControlModifier);
    QTest::newRow("shift") << int(Qt::ShiftModifier);
}

void TestFrmMain::shuffleKeyWithAnyModifier() {
    QFETCH(int, modifiers);
    ShowNextCard();
    QTest::keyClick(m_w, Qt::Key_S, Qt::KeyboardModifiers(modifiers));
    QVERIFY(m_shuffleDraws > 0);
    QCOMPARE(int(curcard), 0); // the shuffle ends on the first card
    QVERIFY(!app().busy);
    QVERIFY(m_w->button(2)->isEnabled());
}

void TestFrmMain::keysIgnoredWhileBusy() {
    app().busy = true;
    for (int key : {int(Qt::Key_Right), int(Qt::Key_Return), int(Qt::Key_Space), int(Qt::Key_S)})
        QTest::keyClick(m_w, Qt::Key(key));
    QCOMPARE(int(curcard), 0);
    QCOMPARE(mainRenderData()->maintext(), QString("Frage 1"));
    QCOMPARE(deck[0].trouble, qint16(0));
    QCOMPARE(m_shuffleDraws, 0);
    QTest::mouseClick(m_w->cardView(), Qt::RightButton, Qt::NoModifier, QPoint(100, 100));
    QVERIFY(!m_w->mP()->isVisible());
    app().busy = false;
}

void TestFrmMain::menuItems() {
    struct Item {
        const char* name;
        const char* caption;
        const char* accel;
    };
    const Item expected[] = {{"mP_n", "&New Session", ""},
                             {nullptr, nullptr, nullptr},
                             {"mP_sp", "Save &Progress", ""},
                             {"mP_ss", "&Export Cards", ""},
                             {"mP_eh", "Export Revie&w History...", ""},
                             {"mP_st", "Stat&istics...", ""},
                             {nullptr, nullptr, nullptr},
                             {"mP_vac", "&View All Cards", "Ctrl+V"},
                             {"mP_fc", "&Find Card", "Ctrl+F"},
                             {"mP_sc", "&Shuffle Cards", "Ctrl+S"},
                             {"mP_ra", "Read A&loud", "Ctrl+L"},
                             {nullptr, nullptr, nullptr},
                             {"mP_qf", "&Question First", "Ctrl+Q"},
                             {"mP_af", "Answe&r First", "Ctrl+R"},
                             {"mP_mx", "&Mixed Sides", "Ctrl+M"},
                             {"mP_ta", "&Type the Answers", "Ctrl+T"},
                             {nullptr, nullptr, nullptr},
                             {"mP_o", "&Options", "Ctrl+O"},
                             {"mP_qh", "Quick &Help", ""},
                             {"mP_a", "&About", "Ctrl+A"},
                             {nullptr, nullptr, nullptr},
                             {"mP_e", "E&xit", "Ctrl+X"}};
    const QList<QAction*> actions = m_w->mP()->actions();
    QCOMPARE(actions.size(), int(std::size(expected)));
    for (int i = 0; i < actions.size(); ++i) {
        if (!expected[i].name) {
            QVERIFY(actions[i]->isSeparator());
            continue;
        }
        QCOMPARE(actions[i]->objectName(), QString(expected[i].name));
        QCOMPARE(actions[i]->text(), QString(expected[i].caption));
        QCOMPARE(actions[i]->shortcut().toString(), QString(expected[i].accel));
    }
}

void TestFrmMain::rightClickOpensMenuAtMouse() {
    QTest::mouseClick(m_w->cardView(), Qt::RightButton, Qt::NoModifier, QPoint(123, 77));
    QTRY_VERIFY(m_w->mP()->isVisible());
    QCOMPARE(m_w->lastMenuPos(), QPoint(123, 77));
    m_w->mP()->hide();
}

void TestFrmMain::menuButtonOpensMenuBelowItself() {
    qexFlatButton* b = m_w->button(1);
    emit b->Click();
    QTRY_VERIFY(m_w->mP()->isVisible());
    const QPoint topLeft = b->mapTo(m_w, QPoint(0, 0));
    QCOMPARE(m_w->lastMenuPos(), QPoint(topLeft.x(), topLeft.y() + b->height()));
    m_w->mP()->hide();
}

void TestFrmMain::quickHelpText() {
    m_prompter->expect(MsgResult::Ok, "Quick Help");
    QAction* a = m_w->mP()->findChild<QAction*>("mP_qh");
    QVERIFY(a);
    a->trigger();
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Information);
    const QStringList lines = m_prompter->boxes[0].text.split("\r\n");
    QCOMPARE(lines.value(0), QString("Introduction"));
    QCOMPARE(lines.value(1), QString("============"));
    QVERIFY(lines.value(2).startsWith("This program is a quarnel system designed primarily for studying vocabulary. "
                                      "It supports double-sided 'cards' with"));
    QVERIFY(lines.value(2).endsWith("using the 'Shuffle Cards' feature."));
    QCOMPARE(lines.value(3), QString());
    QCOMPARE(lines.value(4), QString("Quick Help"));
    QCOMPARE(lines.value(9), QString("4. Cards where the answer is known can be removed from card rotation by "
                                     "unchecking the 'I had trouble with this card' box"));
    QCOMPARE(lines.value(10), QString());
    QCOMPARE(lines.value(11), QString("Keyboard Shortcuts"));
    QCOMPARE(lines.value(23), QString("x = Exit Program"));
    QCOMPARE(lines.value(24), QString("q = Question First (cards show their questions)"));
    QCOMPARE(lines.value(28), QString("l = Read Aloud (says the side shown; Ctrl+L in the typing drill)"));
    QCOMPARE(lines.value(30), QString("Typing Drill"));
    QCOMPARE(lines.value(38), QString("Grades and Reviews"));
    QCOMPARE(lines.value(40), QString("Once a card has turned: 1 = Again, 2 = Hard, 3 = Good, 4 = Easy"));
    QCOMPARE(lines.value(43), QString("'Statistics...' in the menu shows your reviews, what comes due and each "
                                      "chapter's progress"));
    QCOMPARE(lines.size(), 46); // every line ends with CR LF
    QCOMPARE(lines.last(), QString());
}

void TestFrmMain::hoverDescriptions_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("description");
    QTest::newRow("Check1") << "Check1" << "Sets whether you had trouble with this card or not";
    QTest::newRow("Check2") << "Check2" << "Toggles whether or not to show only trouble cards";
    QTest::newRow("menu") << "qexFlatButton1" << "Show Menu";
    QTest::newRow("next") << "qexFlatButton2" << "Next Card";
    QTest::newRow("previous") << "qexFlatButton3" << "Previous Card";
    QTest::newRow("answer") << "qexFlatButton4" << "Toggle Question and Answer";
}

void TestFrmMain::hoverDescriptions() {
    QFETCH(QString, control);
    QFETCH(QString, description);
    app().showMouseHover = true;
    m_w->StartHoverTimer();
    QObject* c = m_w->findChild<QObject*>(control);
    QVERIFY(c);
    QVERIFY(QMetaObject::invokeMethod(c, "MouseOver"));
    QCOMPARE(mainRenderData()->bottomlefttext(), description);
    QVERIFY(mainRenderData()->blshow());
    QVERIFY(!m_w->Timer1()->isActive());
    QVERIFY(QMetaObject::invokeMethod(c, "MouseOut"));
    QVERIFY(m_w->Timer1()->isActive());
    QCOMPARE(m_w->Timer1()->interval(), 2000);
}

void TestFrmMain::hoverOffChangesNothing() {
    app().showMouseHover = false;
    m_w->StopHoverTimer();
    const QString before = mainRenderData()->bottomlefttext();
    QVERIFY(QMetaObject::invokeMethod(m_w->Check1(), "MouseOver"));
    QVERIFY(QMetaObject::invokeMethod(m_w->Check1(), "MouseOut"));
    QCOMPARE(mainRenderData()->bottomlefttext(), before);
    QVERIFY(!m_w->Timer1()->isActive());
}

void TestFrmMain::idleTextAfterTimer() {
    app().showMouseHover = true;
    MockClock clock;
    // The first card leaves the bottom-left corner empty; the timer's tick writes the idle text.
    QCOMPARE(mainRenderData()->bottomlefttext(), QString());
    m_w->StartHoverTimer();
    QCOMPARE(m_w->Timer1()->interval(), 2000);
    m_w->Timer1()->start(1); // don't wait two real seconds
    QTRY_COMPARE(mainRenderData()->bottomlefttext(), QString("Roll mouse over controls to see descriptions"));
    QVERIFY(mainRenderData()->blshow());
    clock.advanceMs(5100);
    QVERIFY(!mainRenderData()->blshow());
    QVERIFY(m_w->Timer1()->isActive());
}

void TestFrmMain::closeRefusedWhileBusy() {
    app().busy = true;
    QVERIFY(!m_w->close());
    QVERIFY(m_w->isVisible());
    QVERIFY(m_quits.isEmpty());
    app().busy = false;
}

void TestFrmMain::closeShutsDown() {
    LogRecorder log;
    QTest::keyClick(m_w, Qt::Key_X);
    QCOMPARE(m_quits, QList<int>{0});
    QVERIFY(log.contains("VORDA system going down on code 0/n"));
    QVERIFY(log.contains("unloading form frmMain/n"));
    m_w = nullptr; // unloaded by the shutdown
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestFrmMain::filterStartsFromTroubleDefault() {
    releaseMainRenderPair();
    m_w->setProperty("quarnelUnloaded", true);
    delete m_w;
    troubledefault = true;
    m_w = loadMainWindow();
    QVERIFY(m_w->Check2()->Checked());
    QVERIFY(m_w->button(1)->isEnabled());
}

void TestFrmMain::typingDrill() {
    m_w->mP()->findChild<QAction*>("mP_ta")->trigger();
    QLineEdit* box = m_w->answerBox();
    QVERIFY(box->isVisible());
    QTRY_VERIFY(box->hasFocus());
    QTest::keyClicks(box, "Question 1!");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(mainRenderData()->toprighttext(), QString("Right"));
    QCOMPARE(mainRenderData()->maintext(), QString("question 1")); // turned
    QCOMPARE(box->accessibleDescription(), QString("Right"));
    QCOMPARE(deck[0].trouble, qint16(0));
    QTest::keyClick(box, Qt::Key_Return); // moves on
    QCOMPARE(int(curcard), 1);
    QCOMPARE(box->text(), QString());
    QCOMPARE(mainRenderData()->maintext(), QString("Frage 2"));

    QTest::keyClicks(box, "nonsense");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(mainRenderData()->toprighttext(), QString("Wrong: you typed 'nonsense'"));
    QCOMPARE(deck[1].trouble, qint16(-1));
    QVERIFY(m_w->Check1()->Checked());
    // With the filter on, the misses are the rotation.
    m_w->Check2()->setChecked(true);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(int(curcard), 1);

    // Answer first: the question is what is typed.
    m_w->setCardDirection(1);
    QCOMPARE(mainRenderData()->maintext(), QString("question 2"));
    QTest::keyClicks(box, "Frage 22");
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(mainRenderData()->toprighttext(), QString("Wrong: you typed 'Frage 22'"));
    QCOMPARE(mainRenderData()->toplefttext(), QString("Showing question to 'question 2'"));
    QTest::keyClick(box, Qt::Key_Escape);
    QVERIFY(!box->isVisible());
    QVERIFY(!app().typeAnswers);
    QVERIFY(!m_w->mP()->findChild<QAction*>("mP_ta")->isChecked());
}

void TestFrmMain::drillKeysOfTheMapInert() {
    m_w->setTypingDrill(true);
    QLineEdit* box = m_w->answerBox();
    QTest::keyClicks(box, "sv f a o x");
    QTest::keyClick(box, Qt::Key_B, Qt::ControlModifier); // no item of the menu
    QTest::keyClick(box, Qt::Key_G, Qt::ControlModifier);
    // Typed at the window while the box has lost the focus: text for the box all the same.
    QTest::keyClick(m_w, Qt::Key_Space);
    QTest::keyClick(m_w, Qt::Key_Z);
    QCOMPARE(box->text(), QString("sv f a o x z"));
    QCOMPARE(m_shuffleDraws, 0);
    QVERIFY(m_quits.isEmpty());
    QCOMPARE(deck[0].trouble, qint16(0));
    QCOMPARE(int(curcard), 0);
    QTest::keyClick(box, Qt::Key_PageDown);
    QCOMPARE(int(curcard), 1);
    QTest::keyClick(box, Qt::Key_PageUp);
    QTest::keyClick(box, Qt::Key_PageUp);
    QCOMPARE(int(curcard), 2);
    QCOMPARE(box->text(), QString());
    // The right click still opens the menu.
    QTest::mouseClick(m_w->cardView(), Qt::RightButton, Qt::NoModifier, QPoint(50, 50));
    QTRY_VERIFY(m_w->mP()->isVisible());
    m_w->mP()->hide();
    m_w->setTypingDrill(false);
    QTest::keyClick(m_w, Qt::Key_Space); // the key map is back
    QCOMPARE(deck[2].trouble, qint16(-1));
}

void TestFrmMain::rightAnswerOnTroubleCard_data() {
    QTest::addColumn<bool>("clears");
    QTest::newRow("marks kept (default)") << false;
    QTest::newRow("clear trouble marks on a right answer") << true;
}

void TestFrmMain::rightAnswerOnTroubleCard() {
    QFETCH(bool, clears);
    app().rightClearsTrouble = clears;
    deck[0].trouble = -1;
    ShowFirstCard();
    m_w->setTypingDrill(true);
    QTest::keyClicks(m_w->answerBox(), "QUESTION   1");
    QTest::keyClick(m_w->answerBox(), Qt::Key_Return);
    QCOMPARE(mainRenderData()->toprighttext(), QString("Right"));
    QCOMPARE(deck[0].trouble, qint16(clears ? 0 : -1));
    QCOMPARE(m_w->Check1()->Checked(), !clears);
}

void TestFrmMain::roundSummaryCounts_data() {
    QTest::addColumn<bool>("filter");
    QTest::addColumn<int>("stepsToEnd"); // Right Arrow presses until every card of the rotation was shown
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("every card") << false << 2
                                << QStringList{"Cards seen: 3", "Cards turned: 1", "Marked as trouble: 1",
                                               "Time: 1:05"};
    QTest::newRow("trouble cards only") << true << 1
                                        << QStringList{"Cards seen: 2", "Cards turned: 1", "Marked as trouble: 0",
                                                       "Time: 1:05"};
}

void TestFrmMain::roundSummaryCounts() {
    QFETCH(bool, filter);
    QFETCH(int, stepsToEnd);
    QFETCH(QStringList, lines);
    app().roundSummary = 2; // after every round, not only typed ones
    MockClock clock;
    if (filter) {
        deck[0].trouble = deck[2].trouble = -1;
        m_w->Check2()->setChecked(true);
    }
    ShowFirstCard();
    QTest::keyClick(m_w, Qt::Key_Return); // turned
    QTest::keyClick(m_w, Qt::Key_Return);
    for (int i = 0; i < stepsToEnd; ++i)
        QTest::keyClick(m_w, Qt::Key_Right);
    if (!filter)
        QTest::keyClick(m_w, Qt::Key_Space); // card 3 marked
    clock.advanceMs(65000);
    QVERIFY(!m_w->roundSummaryWindow());
    const int last = curcard;
    QTest::keyClick(m_w, Qt::Key_Right);
    QCOMPARE(int(curcard), last); // the summary comes instead of the next card
    frmSummary* w = m_w->roundSummaryWindow();
    QVERIFY(w);
    QTRY_VERIFY(w->isVisible());
    QCOMPARE(w->windowTitle(), QString("Round Summary"));
    // Over the middle of the card window (a frame may add a few pixels).
    const QPoint offCentre = w->frameGeometry().center() - m_w->geometry().center();
    QVERIFY2(offCentre.manhattanLength() <= 6, qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
    QCOMPARE(w->figuresLabel()->text().split('\n'), lines);
    QCOMPARE(w->drillButton()->text(), QString("Drill the trouble cards"));
    QVERIFY(w->drillButton()->isEnabled());
    QTest::mouseClick(w->closeButton(), Qt::LeftButton);
    QTRY_VERIFY(!m_w->roundSummaryWindow());
    QTest::keyClick(m_w, Qt::Key_Right);
    QVERIFY(int(curcard) != last);
    QCOMPARE(roundCounter().figures().seen, 1); // a new round
}

// With the defaults, only a round of typed answers ends in a summary.
void TestFrmMain::roundSummaryOfTypedRound() {
    for (int i = 0; i < 4; ++i)
        QTest::keyClick(m_w, Qt::Key_Right);
    QVERIFY(!m_w->roundSummaryWindow());
    ShowFirstCard();
    m_w->setTypingDrill(true);
    const char* typed[] = {"question 1", "qusetion 2", "xyz"};
    for (const char* t : typed) {
        QTest::keyClicks(m_w->answerBox(), t);
        QTest::keyClick(m_w->answerBox(), Qt::Key_Return);
        QTest::keyClick(m_w->answerBox(), Qt::Key_Return);
    }
    frmSummary* w = m_w->roundSummaryWindow();
    QVERIFY(w);
    const QStringList lines = w->figuresLabel()->text().split('\n');
    QCOMPARE(lines.mid(0, 6), (QStringList{"Cards seen: 3", "Cards turned: 3", "Marked as trouble: 1", "Right: 1",
                                           "Almost: 1", "Wrong: 1"}));
    QVERIFY(lines.value(6).startsWith("Time: "));
    QCOMPARE(frmSummary::durationText(3725000), QString("1:02:05"));
    QCOMPARE(frmSummary::durationText(59999), QString("0:59"));
    QCOMPARE(int(curcard), 2);
}

void TestFrmMain::roundSummaryButtons_data() {
    QTest::addColumn<QString>("button");
    QTest::newRow("drill the trouble cards") << "Command1";
    QTest::newRow("shuffle and go again") << "Command2";
    QTest::newRow("close") << "Command3";
}

void TestFrmMain::roundSummaryButtons() {
    QFETCH(QString, button);
    app().roundSummary = 2;
    deck[1].trouble = -1;
    QTest::keyClick(m_w, Qt::Key_Right);
    QTest::keyClick(m_w, Qt::Key_Right);
    QTest::keyClick(m_w, Qt::Key_Right);
    frmSummary* w = m_w->roundSummaryWindow();
    QVERIFY(w);
    QTest::mouseClick(w->findChild<QPushButton*>(button), Qt::LeftButton);
    QTRY_VERIFY(!m_w->roundSummaryWindow());
    if (button == "Command1") {
        QVERIFY(m_w->Check2()->Checked());
        QCOMPARE(int(curcard), 1);
        QCOMPARE(mainRenderData()->maintext(), QString("Frage 2"));
        QTest::keyClick(m_w, Qt::Key_Right); // the only miss again: its round is over
        QVERIFY(m_w->roundSummaryWindow());
    } else if (button == "Command2") {
        QVERIFY(m_shuffleDraws > 0);
        QCOMPARE(int(curcard), 0);
        QCOMPARE(roundCounter().figures().seen, 1);
        QVERIFY(!m_w->Check2()->Checked());
    } else {
        QCOMPARE(int(curcard), 2);
        QCOMPARE(m_shuffleDraws, 0);
        QVERIFY(!m_w->Check2()->Checked());
    }
}

// Never, after a round of typed answers (the default) or after every round: a plain round
// and a round of the drill, each over all three cards.
void TestFrmMain::roundSummaryFollowsPreference_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("drill");
    QTest::addColumn<bool>("shown");
    QTest::newRow("never, plain round") << 0 << false << false;
    QTest::newRow("never, typed round") << 0 << true << false;
    QTest::newRow("typed rounds, plain round") << 1 << false << false;
    QTest::newRow("typed rounds, typed round") << 1 << true << true;
    QTest::newRow("every round, plain round") << 2 << false << true;
    QTest::newRow("every round, typed round") << 2 << true << true;
}

void TestFrmMain::roundSummaryFollowsPreference() {
    QFETCH(int, mode);
    QFETCH(bool, drill);
    QFETCH(bool, shown);
    app().roundSummary = mode;
    m_w->setTypingDrill(drill);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(!m_w->roundSummaryWindow());
        if (drill) {
            QTest::keyClicks(m_w->answerBox(), "question");
            QTest::keyClick(m_w->answerBox(), Qt::Key_Return); // checks
            QTest::keyClick(m_w->answerBox(), Qt::Key_Return); // moves on
        } else {
            QTest::keyClick(m_w, Qt::Key_Right);
        }
    }
    QCOMPARE(m_w->roundSummaryWindow() != nullptr, shown);
    // Without the summary the round simply goes on at the first card.
    QCOMPARE(int(curcard), shown ? 2 : 0);
}

// A long typed answer (or a long card text in "almost") is cut short on the card so the
// verdict never runs over the top-left text; screen readers hear it whole.
void TestFrmMain::longVerdictKeepsClearOfTopLeft_data() {
    QTest::addColumn<QString>("answer"); // the card's
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownStart");
    QTest::addColumn<bool>("cut");
    const QString longText = "the long and winding road that runs around the old town wall to the river";
    QTest::newRow("short, wrong") << "question 1"
                                  << "nonsense"
                                  << "Wrong: you typed 'nonsense'" << false;
    QTest::newRow("long, wrong") << "question 1" << longText << "Wrong: you typed 'the long" << true;
    QTest::newRow("long, wrong, runs of spaces")
        << "question 1" << QString(longText).replace(' ', "  ") << "Wrong: you typed 'the long" << true;
    QTest::newRow("long card text, almost")
        << longText << QString(longText).replace("winding", "windign") << "Almost: the long" << true;
}

void TestFrmMain::longVerdictKeepsClearOfTopLeft() {
    QFETCH(QString, answer);
    QFETCH(QString, typed);
    QFETCH(QString, shownStart);
    QFETCH(bool, cut);
    deck[0].answer = answer;
    ShowFirstCard();
    m_w->setTypingDrill(true);
    QTest::keyClicks(m_w->answerBox(), typed);
    QTest::keyClick(m_w->answerBox(), Qt::Key_Return);
    const QString shown = mainRenderData()->toprighttext();
    const QString whole = m_w->answerBox()->accessibleDescription();
    QVERIFY2(shown.startsWith(shownStart), qPrintable(shown));
    QCOMPARE(shown == whole, !cut);
    QCOMPARE(shown.contains(QChar(0x2026)), cut);
    QVERIFY(whole.startsWith(shownStart.left(6)) && whole.size() > shown.size() - 1);
    r_renderer* r = mainRenderer();
    const int right = r->cornerTextWidth(shown);
    const int left = r->cornerTextWidth(mainRenderData()->toplefttext());
    QVERIFY2(left + right < r->cornerRowWidth(), qPrintable(QString("%1 + %2").arg(left).arg(right)));
}

// A letter typed in the drill went from the window to the answer box and, once the box was
// read-only after a check, back to the window, round and round until the stack ran out. Every
// state of the drill, a letter at every control of the card window: before a check it is text
// for the box, after a verdict it is ignored and the next Return still moves on.
void TestFrmMain::drillLetterAfterVerdictCrashed_data() {
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("target"); // object name of the widget the key goes to
    const char* states[] = {"before a check", "after a check", "after the summary", "after a trouble click"};
    const char* targets[] = {"answerBox",      "frmMain", "cardFace", "qexFlatButton1", "qexFlatButton2",
                             "qexFlatButton3", "qexFlatButton4", "Check1",   "Check2",        "qexHL1"};
    for (const char* state : states)
        for (const char* target : targets)
            QTest::addRow("%s, %s", state, target) << QString(state) << QString(target);
}

void TestFrmMain::drillLetterAfterVerdictCrashed() {
    QFETCH(QString, state);
    QFETCH(QString, target);
    QLineEdit* box = m_w->answerBox();
    m_w->setTypingDrill(true);
    QString typed;
    int card = 0;
    if (state == "after the summary") {
        for (const char* t : {"question 1", "question 2", "question 3"}) {
            QTest::keyClicks(box, t);
            QTest::keyClick(box, Qt::Key_Return);
            QTest::keyClick(box, Qt::Key_Return);
        }
        frmSummary* summary = m_w->roundSummaryWindow();
        QVERIFY(summary);
        summary->closeButton()->setFocus();
        QTest::keyClick(summary->closeButton(), Qt::Key_Return);
        QTRY_VERIFY(!m_w->roundSummaryWindow());
        typed = "question 3";
        card = 2;
    } else if (state != "before a check") {
        QTest::keyClicks(box, "nonsense");
        QTest::keyClick(box, Qt::Key_Return);
        typed = "nonsense";
        if (state == "after a trouble click")
            QTest::mouseClick(m_w->Check1(), Qt::LeftButton);
    }
    const QString verdict = mainRenderData()->toprighttext();
    QWidget* w = m_w->findChild<QWidget*>(target);
    if (!w)
        w = m_w;
    w->setFocus();
    QTest::keyClick(w, Qt::Key_K);
    QTest::keyClick(w, 'K', Qt::ShiftModifier);
    QCOMPARE(int(curcard), card);
    if (state == "before a check") {
        QCOMPARE(box->text(), QString("kK"));
        return;
    }
    QCOMPARE(box->text(), typed);
    QCOMPARE(mainRenderData()->toprighttext(), verdict);
    QTest::keyClick(box, Qt::Key_Return); // the drill goes on as before
    QCOMPARE(int(curcard), (card + 1) % 3);
    QCOMPARE(box->text(), QString());
    QVERIFY(!box->isReadOnly());
}

// The Ctrl keys the popup menu shows did nothing while the drill was on (the box took them as
// editing keys, the controls and the window dropped them). Each runs its item, wherever the
// focus is, and the box gets no text from it.
void TestFrmMain::drillMenuShortcutsDidNothing_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("target");
    const struct {
        Qt::Key key;
        const char* item;
    } items[] = {{Qt::Key_V, "mP_vac"}, {Qt::Key_F, "mP_fc"}, {Qt::Key_S, "mP_sc"}, {Qt::Key_Q, "mP_qf"},
                 {Qt::Key_R, "mP_af"},  {Qt::Key_M, "mP_mx"}, {Qt::Key_T, "mP_ta"}, {Qt::Key_O, "mP_o"},
                 {Qt::Key_A, "mP_a"},   {Qt::Key_X, "mP_e"}};
    for (const auto& i : items)
        for (const char* target : {"answerBox", "frmMain", "Check1"})
            QTest::addRow("Ctrl+%s at %s", qPrintable(QKeySequence(i.key).toString()), target)
                << int(i.key) << QString(i.item) << QString(target);
    QTest::newRow("Ctrl+B is no item") << int(Qt::Key_B) << QString() << "answerBox";
}

void TestFrmMain::drillMenuShortcutsDidNothing() {
    QFETCH(int, key);
    QFETCH(QString, item);
    QFETCH(QString, target);
    QStringList ran;
    for (QAction* a : m_w->mP()->actions())
        connect(a, &QAction::triggered, this, [&ran, a] { ran << a->objectName(); });
    QApplication::clipboard()->setText("pasted");
    m_w->setTypingDrill(true);
    QLineEdit* box = m_w->answerBox();
    QTest::keyClicks(box, "abc");
    QWidget* w = m_w->findChild<QWidget*>(target);
    if (!w)
        w = m_w;
    QTest::keyClick(w, Qt::Key(key), Qt::ControlModifier);
    QCOMPARE(ran, item.isEmpty() ? QStringList() : QStringList{item});
    // Nothing pasted, nothing typed: the text stays, or a new card clears it.
    QVERIFY2(box->text() == "abc" || box->text().isEmpty(), qPrintable(box->text()));
    QCOMPARE(m_quits.size(), item == "mP_e" ? 1 : 0);
}

// With "Show only trouble cards" on, a shuffle (the summary's "Shuffle and go again", the S
// key, the menu's Ctrl+S in the drill) ended on the first card of the deck, trouble card or not.
void TestFrmMain::shuffleWithTroubleFilterShowedOtherCard_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<int>>("trouble"); // the trouble cards
    QTest::newRow("summary, one trouble card") << "summary" << QList<int>{1};
    QTest::newRow("S key, one trouble card") << "S" << QList<int>{1};
    QTest::newRow("S key, the last card") << "S" << QList<int>{2};
    QTest::newRow("Ctrl+S in the drill") << "drill" << QList<int>{2};
    QTest::newRow("S key, every card") << "S" << QList<int>{0, 1, 2};
}

void TestFrmMain::shuffleWithTroubleFilterShowedOtherCard() {
    QFETCH(QString, how);
    QFETCH(QList<int>, trouble);
    for (int i : trouble)
        deck[i].trouble = -1;
    m_w->Check2()->setChecked(true);
    if (how == "summary") {
        app().roundSummary = 2;
        QTest::keyClick(m_w, Qt::Key_Right); // the one trouble card
        QTest::keyClick(m_w, Qt::Key_Right); // and the round is over
        QVERIFY(m_w->roundSummaryWindow());
        QTest::mouseClick(m_w->roundSummaryWindow()->findChild<QPushButton*>("Command2"), Qt::LeftButton);
    } else if (how == "drill") {
        m_w->setTypingDrill(true);
        QTest::keyClick(m_w->answerBox(), Qt::Key_S, Qt::ControlModifier);
    } else {
        QTest::keyClick(m_w, Qt::Key_S);
    }
    QVERIFY(m_shuffleDraws > 0);
    QVERIFY(m_w->Check2()->Checked());
    QVERIFY2(deck[curcard].trouble != 0, qPrintable(deck[curcard].question));
    QCOMPARE(mainRenderData()->maintext(), deck[curcard].question);
    QCOMPARE(roundCounter().figures().seen, 1);
    if (trouble.size() == 3)
        QCOMPARE(int(curcard), 0);
    for (int k = 0; k < 3; ++k) { // the filter holds on
        QTest::keyClick(m_w, Qt::Key_PageDown);
        QVERIFY(deck[curcard].trouble != 0);
    }
}

// Escape did not close the round summary; it does, as Close does, wherever its focus is.
void TestFrmMain::escapeLeftRoundSummaryOpen_data() {
    QTest::addColumn<QString>("focus");
    QTest::newRow("Close") << "Command3";
    QTest::newRow("Shuffle and go again") << "Command2";
    QTest::newRow("figures") << "Label2";
}

void TestFrmMain::escapeLeftRoundSummaryOpen() {
    QFETCH(QString, focus);
    app().roundSummary = 2;
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(m_w, Qt::Key_Right);
    QPointer<frmSummary> w = m_w->roundSummaryWindow();
    QVERIFY(w);
    QVERIFY(QTest::qWaitForWindowActive(w));
    QWidget* target = w->findChild<QWidget*>(focus);
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    QTRY_VERIFY(!w);
    QCOMPARE(int(curcard), 2); // closed, nothing else
    QCOMPARE(m_shuffleDraws, 0);
}

// The popup menu's items had no underlined letters. Each has one, no two the same, and where
// the item has a key in the key map, it is that key's letter.
void TestFrmMain::popupMenuWithoutMnemonics() {
    QSet<QChar> letters;
    for (QAction* a : m_w->mP()->actions()) {
        if (a->isSeparator())
            continue;
        const QString text = a->text();
        QCOMPARE(text.count('&'), 1);
        const QChar letter = text.at(text.indexOf('&') + 1).toUpper();
        QVERIFY2(letter.isLetter(), qPrintable(text));
        QVERIFY2(!letters.contains(letter), qPrintable(text));
        letters.insert(letter);
        if (!a->shortcut().isEmpty()) // "Ctrl+F" ends in its letter
            QCOMPARE(letter, a->shortcut().toString().back());
    }
    QCOMPARE(letters.size(), 17);
}

// The card's status said "1 trouble cards". Singular for one, on presenting and on turning
// back to the front.
void TestFrmMain::oneTroubleCardsOnCard_data() {
    QTest::addColumn<int>("trouble");
    QTest::addColumn<QString>("status");
    QTest::newRow("none") << 0 << "showing card 1 of 3; 0 trouble cards";
    QTest::newRow("one") << 1 << "showing card 1 of 3; 1 trouble card";
    QTest::newRow("two") << 2 << "showing card 1 of 3; 2 trouble cards";
}

void TestFrmMain::oneTroubleCardsOnCard() {
    QFETCH(int, trouble);
    QFETCH(QString, status);
    for (int i = 0; i < trouble; ++i)
        deck[i].trouble = -1;
    ShowFirstCard();
    QCOMPARE(mainRenderData()->toplefttext(), status);
    QTest::keyClick(m_w, Qt::Key_Return);
    QTest::keyClick(m_w, Qt::Key_Return);
    QCOMPARE(mainRenderData()->toplefttext(), status);
}

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
