// The Preferences window on a real main card window: colours reach the main card and the
// master database only through OK, the trouble-by-default rule with its "Persistency"
// question, the rerun request, the fade and hover settings, the tabs and the unloading, and
// the scheduling choices of the review of due cards.
#include "appstate.h"
#include "cardmanager.h"
#include "cardview.h"
#include "deck.h"
#include "frmmain.h"
#include "frmoptions.h"
#include "ivordalite.h"
#include "modmain.h"
#include "modrender.h"
#include "programhistory.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "r_data.h"
#include "r_renderer.h"
#include "testsupport.h"
#include "themestep.h"
#include "windowtimers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QtTest>

namespace {
constexpr qint32 kStoredB = 0x203040; // the middle colour stored before each case
constexpr qint32 kChosen = 0x3366CC;

// On the indicator: the box itself may be wider than its caption.
void clickBox(QCheckBox* box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2)); }

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

qint32 colorRef(QRgb p) { return qRed(p) | (qGreen(p) << 8) | (qBlue(p) << 16); }

// The colour entries of the file on disk, read by a store of its own.
QMap<QString, qint32> coloursOnDisk(const QString& path) {
    QMap<QString, qint32> out;
    ivordalite store;
    if (!store.mount(path, false))
        return out;
    for (int i = store.lb(); i <= store.ub(); ++i) {
        QString name, s, tag;
        bool isstring = false;
        qint32 v = 0;
        store.ienum(qint16(i), name, isstring, s, v, tag);
        if (!isstring && tag == QLatin1String("color_metrics"))
            out.insert(name, v);
    }
    store.unmount();
    return out;
}
} // namespace

class TestFrmOptions : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void colourListShowsNamedAliases();
    void selectingShowsColour();
    void chosenColourAndOkReachMainCard();
    void unconfirmedColoursReachNothing_data();
    void unconfirmedColoursReachNothing();
    void resetDefaultsRepaintsPreviewOnly();
    void persistency_data();
    void persistency();
    void keyboardToggleChangesNothing();
    void mouseBackToRuleClearsLatch();
    void rerunSetup_data();
    void rerunSetup();
    void fadeControls_data();
    void fadeControls();
    void settingsActAtOnce();
    void tabsAndPreviewTimer();
    void unloadingOrder();
    void showTwiceKeepsOneWindow();
    void escapeCancelsPreferences();
    void focusBackOnListAfterColourDialog();
    void studyFrameChoosesDirection();
    void roundSummaryChoice_data();
    void roundSummaryChoice();
    void reviewChoicesShown_data();
    void reviewChoicesShown();
    void reviewChoicesConfirmed_data();
    void reviewChoicesConfirmed();
    void reviewChoicesByKeyboard();
    void readAloudChoice_data();
    void readAloudChoice();
    void untouchedReadAloudKeepsSysQexBytes();

private:
    frmOptions* open();
    template <typename T> T* control(const char* name) {
        T* c = optionsWindow() ? optionsWindow()->findChild<T*>(QLatin1String(name)) : nullptr;
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    void select(const QString& text);
    qint32 mainMiddle() const;
    qint32 previewMiddle() const;
    void makeDeck(int n, bool trouble);

    QTemporaryDir m_home;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QString m_path;
};

void TestFrmOptions::init() {
    AppState::reset();
    app().homeFolder = m_home.path();
    m_path = masterPath();
    QFile::remove(m_path);
    app().master = std::make_unique<ivordalite>();
    QVERIFY(app().master->mount(m_path, false));
    {
        r_data defaults;
        defaults.setdefaults();
        defaults.UpdateColorByAlias(QStringLiteral("backcolor_b"), kStoredB);
    }
    app().historyPathOverride = m_home.filePath(QStringLiteral("history.sqlite"));
    app().alphaSupported = true;
    app().alphaEffects = false;
    troubledefault = true;
    app().troubleDefaultPending = true;
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
    FlushDeck(true);
    makeDeck(3, false);
    curcard = 0;
    QVERIFY(loadMainWindow());
    InitCardSurface();
    ShowFirstCard();
    ApplyTheme();
}

void TestFrmOptions::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(", ")));
    CloseOptionsAsCancel();
    releaseMainRenderPair();
    delete mainWindow();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    app().hooks = LoaderHooks{};
    app().master.reset();
    review::closeProgramHistory();
    m_dialogs.reset();
    m_prompter.reset();
}

void TestFrmOptions::makeDeck(int n, bool trouble) {
    deck = QVector<Card>(n + 1);
    for (int i = 0; i < n; ++i) {
        deck[i].question = QStringLiteral("q%1").arg(i + 1);
        deck[i].answer = QStringLiteral("a%1").arg(i + 1);
        deck[i].chaptertitle = QStringLiteral("Lesson");
        deck[i].trouble = trouble ? -1 : 0;
    }
}

frmOptions* TestFrmOptions::open() {
    ShowOptionsWindow();
    frmOptions* w = optionsWindow();
    if (w && !w->loaded())
        qFatal("Preferences not loaded");
    return w;
}

void TestFrmOptions::select(const QString& text) {
    auto* lv = control<QListWidget>("LV");
    const auto found = lv->findItems(text, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    lv->setCurrentItem(found.first());
}

// Column M of the card area, a row above the main text and below the corner texts.
qint32 TestFrmOptions::mainMiddle() const {
    const QImage& img = mainWindow()->cardView()->shownImage();
    return colorRef(img.pixel(qRound(img.width() / 2.0), 60));
}

qint32 TestFrmOptions::previewMiddle() const {
    const QImage& img = optionsWindow()->findChild<CardView*>(QStringLiteral("Picture2"))->shownImage();
    return colorRef(img.pixel(qRound(img.width() / 2.0), 30));
}

void TestFrmOptions::colourListShowsNamedAliases() {
    // A blank alias and an extra alias added by hand, besides the placeholder.
    app().master->add(QStringLiteral("   "), QString(), 0x123456, QStringLiteral("color_metrics"));
    app().master->add(QStringLiteral("card_edge_x"), QString(), 0x654321, QStringLiteral("color_metrics"));
    open();
    auto* lv = control<QListWidget>("LV");
    QStringList shown;
    for (int i = 0; i < lv->count(); ++i)
        shown << lv->item(i)->text();
    const QStringList expected{"backcolor a",       "backcolor b",       "main text shadow", "main text forecolor",
                               "tr text shadow",    "tr text forecolor", "tl text shadow",   "tl text forecolor",
                               "br text shadow",    "br text forecolor", "bl text shadow",   "bl text forecolor",
                               "card edge x"};
    QCOMPARE(shown, expected);
    QCOMPARE(optionsWindow()->previewData()->cub(), qint16(14)); // the blank alias is in the table, not the list
    QVERIFY(!control<QPushButton>("Command3")->isEnabled());
}

void TestFrmOptions::selectingShowsColour() {
    open();
    select(QStringLiteral("backcolor b"));
    auto* b3 = control<QPushButton>("Command3");
    QVERIFY(b3->isEnabled());
    QVERIFY(b3->text().isEmpty());
    QCOMPARE(optionsWindow()->command3Colour(), kStoredB);
    QVERIFY2(b3->styleSheet().contains(QLatin1String("#403020")), qPrintable(b3->styleSheet()));
    select(QStringLiteral("main text forecolor"));
    QCOMPARE(optionsWindow()->command3Colour(), 0xFFFFFF);
}

void TestFrmOptions::chosenColourAndOkReachMainCard() {
    QCOMPARE(mainMiddle(), kStoredB);
    open();
    QCOMPARE(previewMiddle(), kStoredB);
    select(QStringLiteral("backcolor b"));
    m_dialogs->answerColor(kChosen);
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    // Any colour, opened fully, starting from the button's colour.
    QCOMPARE(m_dialogs->colorInitial, QList<uint32_t>{uint32_t(kStoredB)});
    QCOMPARE(m_dialogs->colorFlags, QList<uint32_t>{0x100u | 0x2u | 0x1u});
    QCOMPARE(optionsWindow()->command3Colour(), kChosen);
    QVERIFY(control<QListWidget>("LV")->isEnabled());
    QVERIFY(control<QPushButton>("Command3")->isEnabled());
    QCOMPARE(previewMiddle(), kChosen);
    // Not confirmed yet: the main card and the file keep the old colour.
    QCOMPARE(mainMiddle(), kStoredB);
    QCOMPARE(coloursOnDisk(m_path).value("backcolor_b"), kStoredB);

    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QVERIFY(!optionsWindow());
    QCOMPARE(mainMiddle(), kChosen);
    QCOMPARE(mainRenderData()->GetColorByAlias("backcolor_b", 0), kChosen);
    QCOMPARE(coloursOnDisk(m_path).value("backcolor_b"), kChosen);
    const ThemeColours t = themeColours(0, kChosen, 0xFFFFFF);
    for (int i = 1; i <= 4; ++i) {
        QCOMPARE(mainWindow()->button(i)->BackcolorMouse(), kChosen);
        QCOMPARE(mainWindow()->button(i)->Forecolor(), t.C);
    }
}

// Escape is Cancel: the window goes, the chosen colour reaches nothing.
void TestFrmOptions::escapeCancelsPreferences() {
    frmOptions* w = open();
    QVERIFY(QTest::qWaitForWindowActive(w));
    select(QStringLiteral("backcolor b"));
    m_dialogs->answerColor(kChosen);
    QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(!optionsWindow());
    QCOMPARE(mainMiddle(), kStoredB);
}

// After the colour dialog the focus is on the colour list again, not on "reset defaults",
// where the next Space would reset every colour.
void TestFrmOptions::focusBackOnListAfterColourDialog() {
    frmOptions* w = open();
    QVERIFY(QTest::qWaitForWindowActive(w));
    auto* lv = control<QListWidget>("LV");
    select(QStringLiteral("backcolor b"));
    lv->setFocus();
    m_dialogs->answerColor(kChosen);
    QTest::keyClick(control<QPushButton>("Command3"), Qt::Key_Space);
    QCOMPARE(optionsWindow()->command3Colour(), kChosen);
    QCOMPARE(QApplication::focusWidget(), lv);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(optionsWindow()->previewData()->GetColorByAlias("backcolor_b", 0), kChosen);
}

void TestFrmOptions::unconfirmedColoursReachNothing_data() {
    QTest::addColumn<bool>("chooseColour");
    QTest::addColumn<bool>("resetDefaults");
    QTest::addColumn<QString>("how"); // the way the window goes
    QTest::newRow("colour, Cancel") << true << false << "Cancel";
    QTest::newRow("reset defaults, Cancel") << false << true << "Cancel";
    QTest::newRow("colour, reset defaults, Cancel") << true << true << "Cancel";
    QTest::newRow("reset defaults, closed") << false << true << "close";
    QTest::newRow("colour, reset defaults, shutdown") << true << true << "shutdown";
}

void TestFrmOptions::unconfirmedColoursReachNothing() {
    QFETCH(bool, chooseColour);
    QFETCH(bool, resetDefaults);
    QFETCH(QString, how);
    const QMap<QString, qint32> before = coloursOnDisk(m_path);
    QCOMPARE(before.value("backcolor_b"), kStoredB);
    open();
    if (chooseColour) {
        select(QStringLiteral("backcolor a"));
        m_dialogs->answerColor(0x00FF00);
        QTest::mouseClick(control<QPushButton>("Command3"), Qt::LeftButton);
    }
    if (resetDefaults) {
        QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
        QCOMPARE(previewMiddle(), 0xDE5549);
    }
    if (how == QLatin1String("Cancel"))
        QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    else if (how == QLatin1String("close"))
        optionsWindow()->close();
    else
        CloseOptionsAsCancel();
    QVERIFY(!optionsWindow());
    QCOMPARE(mainMiddle(), kStoredB);
    QCOMPARE(mainRenderData()->GetColorByAlias("backcolor_a", -1), 0);
    QCOMPARE(coloursOnDisk(m_path), before);
    if (how == QLatin1String("shutdown")) {
        // The main render data goes last and writes the confirmed colours once more.
        releaseMainRenderPair();
        QCOMPARE(coloursOnDisk(m_path), before);
    }
}

void TestFrmOptions::resetDefaultsRepaintsPreviewOnly() {
    LogRecorder log;
    open();
    select(QStringLiteral("backcolor b"));
    auto* lv = control<QListWidget>("LV");
    QListWidgetItem* first = lv->item(0);
    QTest::mouseClick(control<QPushButton>("Command4"), Qt::LeftButton);
    QVERIFY(log.indexOf("forcing metrics data manager to defaults/n") >= 0);
    QCOMPARE(previewMiddle(), 0xDE5549);
    // The list is not refilled and the button keeps what it showed.
    QCOMPARE(lv->item(0), first);
    QCOMPARE(lv->count(), 12);
    QCOMPARE(optionsWindow()->command3Colour(), kStoredB);
    QCOMPARE(mainMiddle(), kStoredB);
}

void TestFrmOptions::persistency_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("ruleAfter");
    QTest::addColumn<bool>("pendingAfter");
    QTest::addColumn<bool>("boxAfter");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("cardsReset");
    const QString plain = QStringLiteral("Make cards trouble by default");
    QTest::newRow("Yes") << int(MsgResult::Yes) << false << false << false << plain << true;
    QTest::newRow("No") << int(MsgResult::No) << true << false << true
                        << QStringLiteral("Make cards trouble by default (latched: False)") << false;
    QTest::newRow("Cancel") << int(MsgResult::Cancel) << true << true << true << plain << false;
}

void TestFrmOptions::persistency() {
    QFETCH(int, answer);
    QFETCH(bool, ruleAfter);
    QFETCH(bool, pendingAfter);
    QFETCH(bool, boxAfter);
    QFETCH(QString, caption);
    QFETCH(bool, cardsReset);
    makeDeck(3, true);
    curcard = 1;
    mainWindow()->Check2()->setChecked(true);
    mainRenderData()->setMaintext(QStringLiteral("stale"));
    open();
    QTabBar* ts = control<QTabBar>("ts");
    ts->setCurrentIndex(1);
    auto* check3 = control<QCheckBox>("Check3");
    QVERIFY(check3->isChecked());
    QCOMPARE(check3->text(), QStringLiteral("Make cards trouble by default"));
    m_prompter->expect(MsgResult(answer), QStringLiteral("Persistency"));
    clickBox(check3);
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Question);
    QCOMPARE(m_prompter->boxes[0].buttons, MsgButtons::YesNoCancel);
    QCOMPARE(m_prompter->boxes[0].text,
             QStringLiteral("You can enforce this change immediately or at the program's next run. If you enforce it "
                            "immediately, then all cards' trouble status will be reset."));
    QCOMPARE(troubledefault, ruleAfter);
    QCOMPARE(app().troubleDefaultPending, pendingAfter);
    QCOMPARE(check3->isChecked(), boxAfter);
    QCOMPARE(check3->text(), caption);
    for (int i = 0; i < 3; ++i)
        QCOMPARE(deck[i].trouble, qint16(cardsReset ? 0 : -1));
    QCOMPARE(mainWindow()->Check2()->Checked(), !cardsReset);
    QCOMPARE(mainRenderData()->maintext(), cardsReset ? QStringLiteral("q2") : QStringLiteral("stale"));

    // Reopening shows the same state.
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    open();
    QCOMPARE(control<QCheckBox>("Check3")->text(), caption);
    QCOMPARE(control<QCheckBox>("Check3")->isChecked(), ruleAfter);
}

void TestFrmOptions::keyboardToggleChangesNothing() {
    open();
    control<QTabBar>("ts")->setCurrentIndex(1);
    auto* check3 = control<QCheckBox>("Check3");
    check3->setFocus();
    QTest::keyClick(check3, Qt::Key_Space);
    QVERIFY(!check3->isChecked());
    QVERIFY(troubledefault);
    QVERIFY(app().troubleDefaultPending);
    QCOMPARE(check3->text(), QStringLiteral("Make cards trouble by default"));
    QVERIFY(m_prompter->boxes.isEmpty());
}

void TestFrmOptions::mouseBackToRuleClearsLatch() {
    app().troubleDefaultPending = false; // latched in an earlier visit
    open();
    control<QTabBar>("ts")->setCurrentIndex(1);
    auto* check3 = control<QCheckBox>("Check3");
    QCOMPARE(check3->text(), QStringLiteral("Make cards trouble by default (latched: False)"));
    QVERIFY(check3->isChecked());
    // Off by keyboard (nothing happens), back on with the mouse: equal to the rule in force.
    QTest::keyClick(check3, Qt::Key_Space);
    clickBox(check3);
    QVERIFY(check3->isChecked());
    QVERIFY(app().troubleDefaultPending);
    QCOMPARE(check3->text(), QStringLiteral("Make cards trouble by default"));
    QVERIFY(m_prompter->boxes.isEmpty());
}

void TestFrmOptions::rerunSetup_data() {
    QTest::addColumn<bool>("ok");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void TestFrmOptions::rerunSetup() {
    QFETCH(bool, ok);
    open();
    control<QTabBar>("ts")->setCurrentIndex(1);
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Preferences"));
    clickBox(control<QCheckBox>("Check4"));
    QCOMPARE(m_prompter->boxes.size(), 1);
    QCOMPARE(m_prompter->boxes[0].icon, MsgIcon::Information);
    QCOMPARE(m_prompter->boxes[0].text,
             QStringLiteral("You will lose all custom settings if you continue with this option. If you are unsure, "
                            "uncheck the box before closing the Preferences dialog."));
    QVERIFY(!app().forgetSettingsAtExit);
    // Unticking says nothing; ticking again warns again.
    clickBox(control<QCheckBox>("Check4"));
    QCOMPARE(m_prompter->boxes.size(), 1);
    m_prompter->expect(MsgResult::Ok, QStringLiteral("Preferences"));
    clickBox(control<QCheckBox>("Check4"));
    QCOMPARE(m_prompter->boxes.size(), 2);
    QTest::mouseClick(control<QPushButton>(ok ? "Command1" : "Command2"), Qt::LeftButton);
    QCOMPARE(app().forgetSettingsAtExit, ok);

    // The whole way to the next start.
    int wizardRuns = 0;
    app().hooks.beforeUnloadWindows = [] { CloseOptionsAsCancel(); };
    app().hooks.releaseRenderer = [] { releaseMainRenderPair(); };
    app().hooks.quitProcess = [](int) {};
    app().hooks.runSetupWizard = [&wizardRuns](QWidget*) { ++wizardRuns; };
    ShutdownSystem(0, false);
    QCOMPARE(QFile::exists(m_path), !ok);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    LoadSystem(true);
    QCOMPARE(wizardRuns, ok ? 1 : 0);
    QVERIFY(QFile::exists(m_path));
    // The colours stored before the reset survive only without it.
    QCOMPARE(coloursOnDisk(m_path).value("backcolor_b", -1), ok ? -1 : kStoredB);
}

void TestFrmOptions::fadeControls_data() {
    QTest::addColumn<bool>("supported");
    QTest::addColumn<bool>("effects");
    QTest::addColumn<int>("level");
    QTest::addColumn<int>("shown");
    QTest::newRow("supported, on") << true << true << 90 << 90;
    QTest::newRow("supported, off") << true << false << 90 << 90;
    QTest::newRow("unsupported, on") << false << true << 50 << 50;
    QTest::newRow("unsupported, off") << false << false << 1 << 1;
    QTest::newRow("level above the slider") << true << true << 200 << 100;
    QTest::newRow("level below the slider") << true << true << 0 << 1;
}

void TestFrmOptions::fadeControls() {
    QFETCH(bool, supported);
    QFETCH(bool, effects);
    QFETCH(int, level);
    QFETCH(int, shown);
    app().alphaSupported = supported;
    app().alphaEffects = effects;
    app().alphaLevel = level;
    open();
    auto* check1 = control<QCheckBox>("Check1");
    auto* slider = control<QSlider>("Slider1");
    QCOMPARE(check1->isEnabled(), supported);
    QCOMPARE(check1->isChecked(), effects);
    QCOMPARE(slider->minimum(), 1);
    QCOMPARE(slider->maximum(), 100);
    QCOMPARE(slider->pageStep(), 10);
    QCOMPARE(slider->value(), shown);
    for (const char* name : {"Frame2", "Label3", "Label4", "Label5", "Slider1"})
        QCOMPARE(optionsWindow()->findChild<QWidget*>(name)->isEnabled(), supported && effects);
    // Shown clamped, kept until the slider moves.
    QCOMPARE(app().alphaLevel, level);
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    QCOMPARE(app().alphaLevel, level);
}

void TestFrmOptions::settingsActAtOnce() {
    app().alphaLevel = 200;
    app().showMouseHover = true;
    open();
    control<QTabBar>("ts")->setCurrentIndex(1);
    auto* check1 = control<QCheckBox>("Check1");
    clickBox(check1);
    QVERIFY(app().alphaEffects);
    QVERIFY(control<QSlider>("Slider1")->isEnabled());
    auto* slider = control<QSlider>("Slider1");
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    QCOMPARE(app().alphaLevel, 99);
    QTest::keyClick(slider, Qt::Key_PageDown);
    QCOMPARE(app().alphaLevel, 89);
    clickBox(check1);
    QVERIFY(!app().alphaEffects);
    QVERIFY(!control<QGroupBox>("Frame2")->isEnabled());
    clickBox(control<QCheckBox>("Check2"));
    QVERIFY(!app().showMouseHover);
    // Cancel keeps them: they were never part of the confirmation.
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    QVERIFY(!app().showMouseHover);
    QCOMPARE(app().alphaLevel, 89);
}

void TestFrmOptions::tabsAndPreviewTimer() {
    frmOptions* w = open();
    auto* ts = control<QTabBar>("ts");
    QCOMPARE(ts->count(), 3);
    QCOMPARE(ts->tabText(0), QStringLiteral("Colors"));
    QCOMPARE(ts->tabText(1), QStringLiteral("User Interface"));
    QCOMPARE(ts->tabText(2), QStringLiteral("Reviews"));
    auto* pane0 = control<QWidget>("Picture1_0");
    auto* pane1 = control<QWidget>("Picture1_1");
    auto* pane2 = control<QWidget>("Picture1_2");
    auto* preview = control<CardView>("Picture2");
    QCOMPARE(ts->currentIndex(), 0);
    QVERIFY(pane0->isVisible() && !pane1->isVisible() && !pane2->isVisible());
    QVERIFY(!WindowTimers::isActive(preview, 0));
    QVERIFY(control<QTimer>("Timer1")->isActive());
    QCOMPARE(control<QTimer>("Timer1")->interval(), 50);
    for (int expected : {1, 2, 0, 1}) {
        QTest::keyClick(control<QListWidget>("LV"), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(ts->currentIndex(), expected);
        QCOMPARE(pane0->isVisible(), expected == 0);
        QCOMPARE(pane1->isVisible(), expected == 1);
        QCOMPARE(pane2->isVisible(), expected == 2);
        QCOMPARE(WindowTimers::isActive(preview, 0), expected != 0);
    }
    QCOMPARE(WindowTimers::interval(preview, 0), 50);
    // The preview paints its own texts with its own colours, card-sized, no reductions.
    QCOMPARE(w->previewData()->maintext(), QStringLiteral("maintext"));
    QCOMPARE(w->previewData()->toplefttext(), QStringLiteral("tltext"));
    QCOMPARE(w->previewData()->bottomrighttext(), QStringLiteral("brtext"));
    const QImage& img = preview->shownImage();
    QCOMPARE(img.size(), preview->size());
    QCOMPARE(colorRef(img.pixel(qRound(img.width() / 2.0), img.height() - 1)), kStoredB);
}

void TestFrmOptions::unloadingOrder() {
    LogRecorder log;
    frmOptions* w = open();
    QPointer<frmOptions> guard(w);
    std::weak_ptr<r_data> data = w->previewData();
    const int loaded = log.indexOf(" .. frmOptions renderer loaded/n");
    QVERIFY(loaded >= 0);
    w->move(120, 90);
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    QVERIFY(!optionsWindow());
    const int halted = log.indexOf(" .. frmOptions renderer halted/n", loaded);
    QVERIFY(halted > loaded);
    const int down = log.indexOf("renderer going down/n", halted);
    QVERIFY(down > halted);
    QVERIFY(log.indexOf(" .. renderer released ok/n", down) > down);
    // The preview data is gone and wrote nothing as it went.
    QVERIFY(data.expired());
    for (int i = halted; i < log.lines.size(); ++i)
        QVERIFY2(!log.lines[i].startsWith(QLatin1String("wrote ")), qPrintable(log.lines[i]));
    QCOMPARE(app().master->gettag("frmOptions.left"), QStringLiteral("metrics"));
    QCOMPARE(app().master->getlong("frmOptions.left", -1), 120 * twipsPerPixelX());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!guard);
    // Opened again, it comes back where it was.
    QCOMPARE(open()->pos(), QPoint(120, 90));
}

void TestFrmOptions::showTwiceKeepsOneWindow() {
    frmOptions* w = open();
    QCOMPARE(w->windowTitle(), QStringLiteral("Preferences"));
    ShowOptionsWindow();
    QCOMPARE(optionsWindow(), w);
    const QWidgetList tops = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(tops.begin(), tops.end(), [](QWidget* t) { return t->objectName() == "frmOptions"; }), 1);
}

void TestFrmOptions::studyFrameChoosesDirection() {
    open();
    control<QTabBar>("ts")->setCurrentIndex(1);
    auto* combo = control<QComboBox>("Combo1");
    QVERIFY(combo->isVisibleTo(optionsWindow()));
    QCOMPARE(combo->currentText(), QStringLiteral("Question First"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down); // "Answer First"
    QCOMPARE(app().cardDirection, 1);
    QCOMPARE(mainRenderData()->maintext(), QStringLiteral("a1"));
    QVERIFY(mainWindow()->mP()->findChild<QAction*>("mP_af")->isChecked());
    QCOMPARE(deck[0].timesviewed, qint16(1));
    QVERIFY(control<QCheckBox>("Check6")->isChecked()); // accents forgiven by default
    QVERIFY(!control<QCheckBox>("Check7")->isChecked());
    clickBox(control<QCheckBox>("Check5"));
    QVERIFY(app().typeAnswers);
    QVERIFY(mainWindow()->answerBox()->isVisibleTo(mainWindow()));
    clickBox(control<QCheckBox>("Check7"));
    QVERIFY(app().rightClearsTrouble);
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    open();
    QCOMPARE(control<QComboBox>("Combo1")->currentIndex(), 1);
    QVERIFY(control<QCheckBox>("Check5")->isChecked());
}

// Like the other settings of the pane, the choice acts at once and is not part of what OK
// confirms: Cancel keeps it too. The master database gets it at shutdown.
void TestFrmOptions::roundSummaryChoice_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<QString>("button");
    QTest::newRow("never to every round, OK") << 0 << 2 << "Command1";
    QTest::newRow("default to never, Cancel") << 1 << 0 << "Command2";
    QTest::newRow("every round to default, OK") << 2 << 1 << "Command1";
    QTest::newRow("default to every round, Cancel") << 1 << 2 << "Command2";
}

void TestFrmOptions::roundSummaryChoice() {
    QFETCH(int, stored);
    QFETCH(int, chosen);
    QFETCH(QString, button);
    const QStringList captions{"Never", "After a round of typed answers", "After every round"};
    // Trouble cards all, since the main window starts with the trouble-only filter on here.
    makeDeck(3, true);
    ShowFirstCard();
    app().master->add(QStringLiteral("round_summary"), QString(), stored, QStringLiteral("options"));
    ReadStudyOptions();
    open();
    control<QTabBar>("ts")->setCurrentIndex(1);
    auto* combo = control<QComboBox>("Combo2");
    QCOMPARE(combo->currentText(), captions[stored]);
    combo->setFocus();
    for (int i = stored; i != chosen; i += chosen > stored ? 1 : -1)
        QTest::keyClick(combo, chosen > stored ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(app().roundSummary, chosen);
    QTest::mouseClick(control<QPushButton>(qPrintable(button)), Qt::LeftButton);
    QVERIFY(!optionsWindow());
    QCOMPARE(app().roundSummary, chosen);
    // A plain round over the three cards ends in the summary only "After every round".
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(mainWindow(), Qt::Key_Right);
    QCOMPARE(mainWindow()->roundSummaryWindow() != nullptr, chosen == 2);
    open();
    QCOMPARE(control<QComboBox>("Combo2")->currentText(), captions[chosen]);
    WriteStudyOptions();
    QCOMPARE(app().master->getlong(QStringLiteral("round_summary"), -1), chosen);
    QCOMPARE(app().master->gettag(QStringLiteral("round_summary")), QStringLiteral("options"));
}

namespace {
const char* const kReviewKeys[] = {"review_retention", "review_new_per_day", "review_day_start", "review_fuzz"};
constexpr int kAbsent = INT_MIN; // a key not in sys.qex
} // namespace

// What sys.qex holds is what the window shows, brought into each control's range.
void TestFrmOptions::reviewChoicesShown_data() {
    QTest::addColumn<QList<int>>("stored"); // retention, new a day, day start, fuzz
    QTest::addColumn<QString>("retention");
    QTest::addColumn<int>("perDay");
    QTest::addColumn<QString>("hour");
    QTest::addColumn<bool>("fuzz");
    const int x = kAbsent;
    QTest::newRow("nothing stored") << QList<int>{x, x, x, x} << "90%" << 20 << "4:00" << true;
    QTest::newRow("chosen before") << QList<int>{85, 50, 6, 0} << "85%" << 50 << "6:00" << false;
    QTest::newRow("lowest of each") << QList<int>{70, 0, 0, -1} << "70%" << 0 << "0:00" << true;
    QTest::newRow("highest of each") << QList<int>{97, 9999, 23, -1} << "97%" << 9999 << "23:00" << true;
    QTest::newRow("below the ranges") << QList<int>{69, -1, -1, 0} << "70%" << 0 << "4:00" << false;
    QTest::newRow("above the ranges") << QList<int>{98, 10000, 24, 5} << "97%" << 9999 << "4:00" << true;
    // Held by the program without going through sys.qex: the window brings them in itself.
    QTest::newRow("held above the ranges") << QList<int>{120, 20000, 24, 1, 0} << "97%" << 9999 << "4:00" << true;
    QTest::newRow("held below the ranges") << QList<int>{0, -5, -1, 0, 0} << "70%" << 0 << "4:00" << false;
}

void TestFrmOptions::reviewChoicesShown() {
    QFETCH(QList<int>, stored);
    QFETCH(QString, retention);
    QFETCH(int, perDay);
    QFETCH(QString, hour);
    QFETCH(bool, fuzz);
    if (stored.size() > 4) {
        app().desiredRetention = stored[0];
        app().newCardsPerDay = stored[1];
        app().dayStartHour = stored[2];
        app().intervalFuzz = stored[3] != 0;
    } else {
        for (int i = 0; i < 4; ++i)
            if (stored[i] != kAbsent)
                app().master->add(QLatin1String(kReviewKeys[i]), QString(), stored[i], QStringLiteral("options"));
        ReadStudyOptions();
    }
    open();
    control<QTabBar>("ts")->setCurrentIndex(2);
    QVERIFY(control<QGroupBox>("Frame4")->isVisibleTo(optionsWindow()));
    QCOMPARE(control<QGroupBox>("Frame4")->title(), QStringLiteral("Scheduling"));
    QCOMPARE(control<QSpinBox>("Spin1")->text(), retention);
    QCOMPARE(control<QSpinBox>("Spin2")->value(), perDay);
    auto* combo = control<QComboBox>("Combo3");
    QCOMPARE(combo->count(), 24);
    QCOMPARE(combo->itemText(0), QStringLiteral("0:00"));
    QCOMPARE(combo->currentText(), hour);
    QCOMPARE(control<QCheckBox>("Check8")->isChecked(), fuzz);
    // Each label stands on its control's row, left of it; the box has a row of its own below.
    const char* const rows[][2] = {{"Label8", "Spin1"}, {"Label9", "Spin2"}, {"Label10", "Combo3"}};
    int bottom = 0;
    for (const auto& [label, field] : rows) {
        const QRect l = control<QLabel>(label)->geometry(), f = control<QWidget>(field)->geometry();
        QVERIFY2(l.right() < f.left() && l.center().y() > f.top() && l.center().y() < f.bottom(), label);
        QVERIFY2(f.top() > bottom, field);
        bottom = f.bottom();
    }
    QVERIFY(control<QCheckBox>("Check8")->geometry().top() > bottom);
}

// OK puts the choices in force (the history schedules with them at once) and sys.qex keeps
// those that differ from the defaults; Cancel, Escape and the close box leave all as it was.
void TestFrmOptions::reviewChoicesConfirmed_data() {
    QTest::addColumn<QList<int>>("chosen"); // retention, new a day, day start, fuzz (0/1)
    QTest::addColumn<QString>("how");
    QTest::addColumn<QList<bool>>("written"); // each key in sys.qex after WriteStudyOptions
    QTest::newRow("all changed, OK") << QList<int>{80, 35, 0, 0} << "OK" << QList<bool>{true, true, true, true};
    QTest::newRow("retention only, OK") << QList<int>{97, 20, 4, 1} << "OK"
                                        << QList<bool>{true, false, false, false};
    QTest::newRow("fuzz only, OK") << QList<int>{90, 20, 4, 0} << "OK" << QList<bool>{false, false, false, true};
    QTest::newRow("defaults, OK") << QList<int>{90, 20, 4, 1} << "OK" << QList<bool>{false, false, false, false};
    QTest::newRow("all changed, Cancel") << QList<int>{80, 35, 0, 0} << "Cancel"
                                         << QList<bool>{false, false, false, false};
    QTest::newRow("all changed, Escape") << QList<int>{75, 1, 23, 0} << "Escape"
                                         << QList<bool>{false, false, false, false};
    QTest::newRow("all changed, closed") << QList<int>{75, 1, 23, 0} << "close"
                                         << QList<bool>{false, false, false, false};
}

void TestFrmOptions::reviewChoicesConfirmed() {
    QFETCH(QList<int>, chosen);
    QFETCH(QString, how);
    QFETCH(QList<bool>, written);
    history::History* h = review::programHistory();
    QVERIFY(h);
    frmOptions* w = open();
    QVERIFY(QTest::qWaitForWindowActive(w));
    control<QTabBar>("ts")->setCurrentIndex(2);
    control<QSpinBox>("Spin1")->setValue(chosen[0]);
    control<QSpinBox>("Spin2")->setValue(chosen[1]);
    control<QComboBox>("Combo3")->setCurrentIndex(chosen[2]);
    if (control<QCheckBox>("Check8")->isChecked() != (chosen[3] != 0))
        clickBox(control<QCheckBox>("Check8"));
    // Nothing is in force before OK.
    QCOMPARE(app().desiredRetention, 90);
    QCOMPARE(app().intervalFuzz, true);
    if (how == QLatin1String("OK"))
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    else if (how == QLatin1String("Cancel"))
        QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    else if (how == QLatin1String("Escape"))
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else
        w->close();
    QVERIFY(!optionsWindow());
    const bool ok = how == QLatin1String("OK");
    const QList<int> expected = ok ? chosen : QList<int>{90, 20, 4, 1};
    QCOMPARE(app().desiredRetention, expected[0]);
    QCOMPARE(app().newCardsPerDay, expected[1]);
    QCOMPARE(app().dayStartHour, expected[2]);
    QCOMPARE(app().intervalFuzz, expected[3] != 0);
    QCOMPARE(h->settings().desiredRetention, expected[0] / 100.0);
    QCOMPARE(h->settings().fuzz, expected[3] != 0);

    WriteStudyOptions();
    QVERIFY(app().master->save());
    ivordalite onDisk;
    QVERIFY(onDisk.mount(m_path, false));
    for (int i = 0; i < 4; ++i) {
        bool found = false;
        const qint32 v = onDisk.getlong(QLatin1String(kReviewKeys[i]), kAbsent, found);
        QCOMPARE(found, written[i]);
        if (found) {
            QCOMPARE(v, i == 3 ? (expected[3] ? -1 : 0) : expected[i]);
            QCOMPARE(onDisk.gettag(QLatin1String(kReviewKeys[i])), QStringLiteral("options"));
        }
    }
    onDisk.unmount();

    // Opened again, the window shows what is in force.
    open();
    QCOMPARE(control<QSpinBox>("Spin1")->value(), expected[0]);
    QCOMPARE(control<QComboBox>("Combo3")->currentIndex(), expected[2]);
}

// Each choice is reached by its letter and the keys of its control, and is named for a
// screen reader.
void TestFrmOptions::reviewChoicesByKeyboard() {
    frmOptions* w = open();
    QVERIFY(QTest::qWaitForWindowActive(w));
    control<QTabBar>("ts")->setCurrentIndex(2);
    struct Reach {
        Qt::Key letter;
        const char* control;
        const char* name;
    };
    const Reach reaches[] = {{Qt::Key_R, "Spin1", "Desired retention"},
                             {Qt::Key_N, "Spin2", "New cards a day"},
                             {Qt::Key_D, "Combo3", "The study day begins at"},
                             {Qt::Key_S, "Check8", ""}};
    for (const Reach& r : reaches) {
        auto* c = control<QWidget>(r.control);
        QTest::keyClick(QApplication::focusWidget(), r.letter, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), c);
        if (*r.name)
            QCOMPARE(c->accessibleName(), QLatin1String(r.name));
    }
    // Alt+S also toggles the box (after the click's animation).
    QTRY_VERIFY(!control<QCheckBox>("Check8")->isChecked());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_N, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(control<QComboBox>("Combo3")->currentText(), QStringLiteral("5:00"));
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    QVERIFY(!optionsWindow());
    QCOMPARE(app().desiredRetention, 91);
    QCOMPARE(app().newCardsPerDay, 30);
    QCOMPARE(app().dayStartHour, 5);
    QVERIFY(!app().intervalFuzz);
}

// "Read aloud" and the listening drill act at once, like the rest of the Studying frame, and
// sys.qex holds them only when they differ from the defaults (never, off) or were stored before.
void TestFrmOptions::readAloudChoice_data() {
    QTest::addColumn<int>("stored");    // read_aloud in sys.qex; kAbsent: none
    QTest::addColumn<int>("listening"); // listening_drill in sys.qex; kAbsent: none
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<bool>("listen");
    QTest::addColumn<QList<int>>("written"); // read_aloud, listening_drill after the write; kAbsent: none
    const int x = kAbsent;
    QTest::newRow("nothing stored, nothing chosen") << x << x << "Never" << 0 << false << QList<int>{x, x};
    QTest::newRow("nothing stored, the question") << x << x << "Never" << 1 << false << QList<int>{1, x};
    QTest::newRow("nothing stored, both, listening") << x << x << "Never" << 2 << true << QList<int>{2, -1};
    QTest::newRow("both stored, back to never") << 2 << -1 << "Both sides" << 0 << false << QList<int>{0, 0};
    QTest::newRow("question stored, kept") << 1 << x << "The question when it shows" << 1 << false
                                           << QList<int>{1, x};
    QTest::newRow("out of range reads as never") << 3 << x << "Never" << 0 << false << QList<int>{0, x};
    QTest::newRow("below the range reads as never") << -1 << x << "Never" << 0 << false << QList<int>{0, x};
}

void TestFrmOptions::readAloudChoice() {
    QFETCH(int, stored);
    QFETCH(int, listening);
    QFETCH(QString, shown);
    QFETCH(int, chosen);
    QFETCH(bool, listen);
    QFETCH(QList<int>, written);
    if (stored != kAbsent)
        app().master->add(QStringLiteral("read_aloud"), QString(), stored, QStringLiteral("options"));
    if (listening != kAbsent)
        app().master->add(QStringLiteral("listening_drill"), QString(), listening, QStringLiteral("options"));
    ReadStudyOptions();
    open();
    control<QTabBar>("ts")->setCurrentIndex(1);
    auto* combo = control<QComboBox>("Combo4");
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->currentText(), shown);
    auto* box = control<QCheckBox>("Check9");
    QCOMPARE(box->text(), QStringLiteral("Listening drill: hear the question, type the answer"));
    QCOMPARE(box->isChecked(), listening != kAbsent && listening != 0);
    QVERIFY(box->isVisibleTo(optionsWindow()));
    combo->setFocus();
    const int from = combo->currentIndex();
    for (int i = from; i != chosen; i += chosen > from ? 1 : -1)
        QTest::keyClick(combo, chosen > from ? Qt::Key_Down : Qt::Key_Up);
    if (box->isChecked() != listen)
        clickBox(box);
    // In force at once, and kept through Cancel.
    QCOMPARE(app().readAloud, chosen);
    QCOMPARE(app().listeningDrill, listen);
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    QCOMPARE(app().readAloud, chosen);
    WriteStudyOptions();
    const char* const keys[] = {"read_aloud", "listening_drill"};
    for (int i = 0; i < 2; ++i) {
        bool found = false;
        const qint32 v = app().master->getlong(QLatin1String(keys[i]), kAbsent, found);
        QCOMPARE(found ? v : kAbsent, written[i]);
        if (found)
            QCOMPARE(app().master->gettag(QLatin1String(keys[i])), QStringLiteral("options"));
    }
    open();
    QCOMPARE(control<QComboBox>("Combo4")->currentIndex(), chosen);
}

// Someone who never touches the choice keeps a sys.qex of the Windows program byte for byte;
// one who tries it and puts it back keeps the bytes the Preferences window leaves (its place
// on the screen).
void TestFrmOptions::untouchedReadAloudKeepsSysQexBytes() {
    app().master->unmount();
    QFile::remove(m_path);
    QVERIFY(QFile::copy(QStringLiteral(QUARNEL_TEST_DATA "/western-sys.qex"), m_path));
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    const QByteArray windows = readAll(m_path);
    app().master = std::make_unique<ivordalite>();
    QVERIFY(app().master->mount(m_path, false));
    ReadStudyOptions();
    QCOMPARE(app().readAloud, 0);
    QCOMPARE(app().listeningDrill, false);
    WriteStudyOptions();
    QVERIFY(app().master->save());
    QCOMPARE(readAll(m_path), windows);

    auto roundTrip = [this](bool tryIt) {
        open();
        control<QTabBar>("ts")->setCurrentIndex(1);
        if (tryIt) {
            auto* combo = control<QComboBox>("Combo4");
            combo->setFocus();
            QTest::keyClick(combo, Qt::Key_Down);
            QTest::keyClick(combo, Qt::Key_Up);
            clickBox(control<QCheckBox>("Check9"));
            clickBox(control<QCheckBox>("Check9"));
        }
        QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
        WriteStudyOptions();
        QVERIFY(app().master->save());
    };
    roundTrip(false);
    const QByteArray placed = readAll(m_path);
    roundTrip(true);
    QCOMPARE(readAll(m_path), placed);
}

QTEST_MAIN(TestFrmOptions)
#include "tst_frmoptions.moc"
