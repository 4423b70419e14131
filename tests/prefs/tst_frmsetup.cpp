// The first-run setup wizard: its captions and initial state, Finished only after a choice,
// the two answers stored with empty tags in order, no way out but Finished, and the first
// use that follows a reset request at New Session.
#include "appstate.h"
#include "deck.h"
#include "frmsetup.h"
#include "ivordalite.h"
#include "modmain.h"
#include "testsupport.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>
#include <QtTest>

namespace {
struct StoredEntry {
    int index = -1;
    qint32 value = 0;
    QString tag;
};
StoredEntry find(const ivordalite& store, const QString& key) {
    for (int i = store.lb(); i <= store.ub(); ++i) {
        QString name, s, tag;
        bool isstring = false;
        qint32 v = 0;
        store.ienum(qint16(i), name, isstring, s, v, tag);
        if (name == key && !isstring)
            return {i, v, tag};
    }
    return {};
}
} // namespace

class TestFrmSetup : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void captionsAndStartState();
    void finishedNeedsAChoice();
    void returnOnFocusedFinishedFinishes();
    void storedAnswers_data();
    void storedAnswers();
    void noWayOutButFinished();
    void deadCloseBox_data();
    void deadCloseBox();
    void runSetupWizardIsModalOnTopAndReleased();
    void resetThenNewSessionIsFirstUse();

private:
    template <typename T> T* control(QWidget* w, const char* name) {
        T* c = w->findChild<T*>(QLatin1String(name));
        if (!c)
            qFatal("no control %s", name);
        return c;
    }
    QTemporaryDir m_home;
    std::unique_ptr<ScriptedPrompter> m_prompter;
};

void TestFrmSetup::init() {
    AppState::reset();
    app().homeFolder = m_home.path();
    QFile::remove(masterPath());
    app().master = std::make_unique<ivordalite>();
    QVERIFY(app().master->mount(masterPath(), false));
    m_prompter = std::make_unique<ScriptedPrompter>();
}

void TestFrmSetup::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    app().hooks = LoaderHooks{};
    app().master.reset();
    m_prompter.reset();
}

void TestFrmSetup::captionsAndStartState() {
    frmSetup w;
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("Quarnel 2007 Initial Setup"));
    const QList<QPair<const char*, QString>> labels{
        {"Label1", "Welcome to Quarnel 2007"},
        {"Label2", "This wizard will help you customize the program to your preferences."},
        {"Label3", "Select this option if you normally don't get the answers right on the first try."},
        {"Label4", "Select this option if you normally get the answers right on the first try."}};
    for (const auto& [name, text] : labels)
        QCOMPARE(control<QLabel>(&w, name)->text(), text);
    QCOMPARE(control<QGroupBox>(&w, "Frame1")->title(),
             QStringLiteral("Automatic Trouble Marking - You can modify these settings later in the options box."));
    auto* o1 = control<QRadioButton>(&w, "Option1");
    auto* o2 = control<QRadioButton>(&w, "Option2");
    QCOMPARE(o1->text(), QStringLiteral("I want the cards to be marked as trouble cards by default"));
    QCOMPARE(o2->text(), QStringLiteral("I do NOT want the cards to be marked as trouble by default"));
    QVERIFY(o1->font().bold() && o2->font().bold());
    QVERIFY(!o1->isChecked() && !o2->isChecked());
    const QFont heading = control<QLabel>(&w, "Label1")->font();
    QCOMPARE(heading.family(), QStringLiteral("Times New Roman"));
    QCOMPARE(heading.pointSize(), 16);
    auto* check1 = control<QCheckBox>(&w, "Check1");
    QCOMPARE(check1->text(), QStringLiteral("Show mouse hover descriptions"));
    QVERIFY(check1->isChecked());
    auto* finished = control<QPushButton>(&w, "Command1");
    QCOMPARE(finished->text(), QStringLiteral("Finished"));
    QVERIFY(!finished->isEnabled());
    // Top to bottom in the order of the form.
    int lastY = -1;
    for (QWidget* c : QList<QWidget*>{control<QLabel>(&w, "Label1"), control<QLabel>(&w, "Label2"),
                                      control<QLabel>(&w, "Label3"), o1, control<QLabel>(&w, "Label4"), o2, check1}) {
        const int y = c->mapTo(&w, QPoint(0, 0)).y();
        QVERIFY2(y > lastY, qPrintable(c->objectName()));
        lastY = y;
    }
    QVERIFY(!w.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(w.windowFlags().testFlag(Qt::CustomizeWindowHint)); // no dead close box either
}

void TestFrmSetup::finishedNeedsAChoice() {
    frmSetup w;
    w.show();
    auto* finished = control<QPushButton>(&w, "Command1");
    QTest::mouseClick(finished, Qt::LeftButton);
    QVERIFY(w.isVisible());
    QCOMPARE(app().master->getlong("trouble_by_default", 7), 7);
    QTest::mouseClick(control<QCheckBox>(&w, "Check1"), Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(!finished->isEnabled());
    QTest::mouseClick(control<QRadioButton>(&w, "Option1"), Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(finished->isEnabled());
    QTest::mouseClick(control<QRadioButton>(&w, "Option2"), Qt::LeftButton, {}, QPoint(8, 8));
    QVERIFY(finished->isEnabled());
    QVERIFY(control<QRadioButton>(&w, "Option2")->isChecked());
    QVERIFY(!control<QRadioButton>(&w, "Option1")->isChecked());
}

void TestFrmSetup::returnOnFocusedFinishedFinishes() {
    frmSetup w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::mouseClick(control<QRadioButton>(&w, "Option2"), Qt::LeftButton, {}, QPoint(8, 8));
    auto* finished = control<QPushButton>(&w, "Command1");
    finished->setFocus();
    QTest::keyClick(finished, Qt::Key_Return);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    QCOMPARE(app().master->getlong("trouble_by_default", 7), 0);
}

void TestFrmSetup::storedAnswers_data() {
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("untickHover");
    QTest::addColumn<int>("trouble");
    QTest::addColumn<int>("hover");
    QTest::newRow("first option, hover untouched") << "Option1" << false << -1 << -1;
    QTest::newRow("second option, hover untouched") << "Option2" << false << 0 << -1;
    QTest::newRow("second option, hover off") << "Option2" << true << 0 << 0;
    QTest::newRow("first option, hover off") << "Option1" << true << -1 << 0;
}

void TestFrmSetup::storedAnswers() {
    QFETCH(QString, option);
    QFETCH(bool, untickHover);
    QFETCH(int, trouble);
    QFETCH(int, hover);
    frmSetup w;
    w.show();
    QTest::mouseClick(control<QRadioButton>(&w, option.toLatin1().constData()), Qt::LeftButton, {}, QPoint(8, 8));
    if (untickHover)
        QTest::mouseClick(control<QCheckBox>(&w, "Check1"), Qt::LeftButton, {}, QPoint(8, 8));
    QTest::mouseClick(control<QPushButton>(&w, "Command1"), Qt::LeftButton);
    QVERIFY(!w.isVisible());
    QCOMPARE(w.result(), int(QDialog::Accepted));
    const StoredEntry t = find(*app().master, "trouble_by_default");
    const StoredEntry h = find(*app().master, "show_mouse_hover");
    QCOMPARE(t.value, trouble);
    QCOMPARE(h.value, hover);
    QCOMPARE(t.tag, QString());
    QCOMPARE(h.tag, QString());
    QVERIFY(t.index > 0);
    QVERIFY(h.index > t.index);
}

void TestFrmSetup::noWayOutButFinished() {
    frmSetup w;
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(w.isVisible());
    // Enter doesn't finish either before a choice.
    QTest::keyClick(&w, Qt::Key_Return);
    QVERIFY(w.isVisible());
    QCOMPARE(app().master->ub(), qint16(0));
}

// Window managers that ignore the hint against a close box showed one that did nothing. It
// finishes the wizard with what is chosen; with nothing chosen, cards start unmarked.
void TestFrmSetup::deadCloseBox_data() {
    QTest::addColumn<QString>("option"); // empty: none chosen
    QTest::addColumn<bool>("untickHover");
    QTest::addColumn<int>("trouble");
    QTest::addColumn<int>("hover");
    QTest::newRow("nothing chosen") << "" << false << 0 << -1;
    QTest::newRow("nothing chosen, hover off") << "" << true << 0 << 0;
    QTest::newRow("first option") << "Option1" << false << -1 << -1;
}

void TestFrmSetup::deadCloseBox() {
    QFETCH(QString, option);
    QFETCH(bool, untickHover);
    QFETCH(int, trouble);
    QFETCH(int, hover);
    QWidget owner;
    owner.show();
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<frmSetup*>(QApplication::activeModalWidget());
        if (!w)
            return;
        if (!option.isEmpty())
            QTest::mouseClick(control<QRadioButton>(w, qPrintable(option)), Qt::LeftButton, {}, QPoint(8, 8));
        if (untickHover)
            QTest::mouseClick(control<QCheckBox>(w, "Check1"), Qt::LeftButton, {}, QPoint(8, 8));
        // The close box of the frame, as the window manager asks.
        w->windowHandle()->close();
        QCoreApplication::processEvents();
        if (w->isVisible())
            w->done(QDialog::Rejected); // a dead box: leave without storing anything
    });
    RunSetupWizard(&owner);
    QCOMPARE(app().master->getlong("trouble_by_default", 7), trouble);
    QCOMPARE(app().master->getlong("show_mouse_hover", 7), hover);
}

void TestFrmSetup::runSetupWizardIsModalOnTopAndReleased() {
    QWidget owner;
    owner.setObjectName("splash");
    owner.show();
    QPointer<QWidget> seen;
    bool topmost = false, modal = false;
    QWidget* parent = nullptr;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<frmSetup*>(QApplication::activeModalWidget());
        if (!w)
            return;
        seen = w;
        topmost = w->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        modal = w->isModal();
        parent = w->parentWidget();
        QTest::mouseClick(control<QRadioButton>(w, "Option2"), Qt::LeftButton, {}, QPoint(8, 8));
        QTest::mouseClick(control<QPushButton>(w, "Command1"), Qt::LeftButton);
    });
    RunSetupWizard(&owner);
    QVERIFY(modal);
    QVERIFY(topmost);
    QCOMPARE(parent, &owner);
    QVERIFY(!seen); // released
    QCOMPARE(app().master->getlong("trouble_by_default", 7), 0);
    QCOMPARE(app().master->getlong("show_mouse_hover", 7), -1);
}

void TestFrmSetup::resetThenNewSessionIsFirstUse() {
    // A session under way: the master database exists and is mounted.
    app().master->add("flist_count", QString(), 0, QString());
    QVERIFY(app().master->save());
    QList<QWidget*> owners;
    int quits = 0;
    app().hooks.runSetupWizard = [&owners](QWidget* owner) {
        owners << owner;
        // The wizard answers "not trouble by default".
        app().master->add("trouble_by_default", QString(), 0, QString());
        app().master->add("show_mouse_hover", QString(), -1, QString());
    };
    app().hooks.quitProcess = [&quits](int) { ++quits; };
    // Without the request a new session is no first use.
    NewSession();
    QCOMPARE(owners.size(), 0);
    RequestDatabaseReset();
    NewSession();
    QCOMPARE(quits, 0);
    QCOMPARE(owners.size(), 1);
    QCOMPARE(owners[0], nullptr); // no splash at a new session
    QVERIFY(QFile::exists(masterPath()));
    QVERIFY(!app().forgetSettingsAtExit);
    QCOMPARE(app().master->getlong("flist_count", -1), 4);
    QVERIFY(!troubledefault);
    // The request is used up: the next new session keeps the file.
    NewSession();
    QCOMPARE(owners.size(), 1);
}

QTEST_MAIN(TestFrmSetup)
#include "tst_frmsetup.moc"
