// What a screen reader meets in every window of both programs: each window announces itself
// as a window or a dialog with a name, each control has a name, and check boxes changed by a
// key or by moving to another card tell their new state.
#include "appstate.h"
#include "cardview.h"
#include "deck.h"
#include "editorwindow.h"
#include "frmabout.h"
#include "frmchapter.h"
#include "frmfind.h"
#include "frmmain.h"
#include "frmoptions.h"
#include "frmprogress.h"
#include "frmsetup.h"
#include "frmsplash.h"
#include "frmviewer.h"
#include "importdialog.h"
#include "modmain.h"
#include "modrender.h"
#include "qexcheck.h"
#include "studywiring.h"
#include "studyfixture.h"
#include "testsupport.h"
#include "wordlistreader.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QBuffer>
#include <QCheckBox>
#include <QLineEdit>
#include <QTableView>
#include <QTreeWidget>
#include <QtTest>

namespace {

// Roles of the things a user works with or reads: each needs a name of its own. Containers
// (panes, groupings, fillers) and the cells of lists and tables (whose text is the data,
// possibly empty) are not checked; column headers are.
bool needsName(QAccessible::Role role) {
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::ComboBox:
    case QAccessible::EditableText:
    case QAccessible::SpinBox:
    case QAccessible::Slider:
    case QAccessible::Dial:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::ColumnHeader:
    case QAccessible::Link:
    case QAccessible::PageTab:
    case QAccessible::PageTabList:
    case QAccessible::ProgressBar:
    case QAccessible::Graphic:
    case QAccessible::StaticText:
    case QAccessible::ToolBar:
        return true;
    default:
        return false;
    }
}

QString describe(QAccessibleInterface* iface) {
    QString id;
    if (QObject* o = iface->object())
        id = QString::fromLatin1(o->metaObject()->className()) + QLatin1Char(' ') + o->objectName();
    return QStringLiteral("%1 [role %2]").arg(id.trimmed()).arg(int(iface->role()));
}

// Everything found wrong below `iface`, one line each.
void walk(QAccessibleInterface* iface, const QString& path, QStringList& faults, int depth = 0) {
    if (!iface || depth > 30)
        return;
    const QAccessible::Role role = iface->role();
    if (role == QAccessible::Cell || role == QAccessible::ListItem || role == QAccessible::TreeItem ||
        role == QAccessible::Row)
        return;
    const QString here = path + QStringLiteral(" > ") + describe(iface);
    if (needsName(role) && iface->text(QAccessible::Name).trimmed().isEmpty())
        faults << QStringLiteral("no name: ") + here;
    if (role == QAccessible::Client || role == QAccessible::Window || role == QAccessible::Dialog) {
        // A window inside a window (the card face is a picture, the preview too) is fine;
        // a nameless filler holding controls is what a screen reader cannot explain.
        if (QObject* o = iface->object(); o && o->isWidgetType() && static_cast<QWidget*>(o)->isWindow())
            faults << QStringLiteral("window inside the tree: ") + here;
    }
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), here, faults, depth + 1);
}

// Checks one top-level window and everything in it.
QStringList faultsOf(QWidget* window) {
    QStringList faults;
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(window);
    if (!iface)
        return {QStringLiteral("no accessibility interface")};
    const QString top = describe(iface);
    if (iface->role() != QAccessible::Window && iface->role() != QAccessible::Dialog)
        faults << QStringLiteral("not a window or dialog: ") + top;
    if (iface->text(QAccessible::Name).trimmed().isEmpty())
        faults << QStringLiteral("window without a name: ") + top;
    for (int i = 0; i < iface->childCount(); ++i)
        walk(iface->child(i), top, faults);
    return faults;
}

// Containers a screen reader stops at: a frame or group box, or any filler that takes the
// focus. Each needs a name, or the reader announces nothing there.
QStringList namelessContainers(QAccessibleInterface* iface, const QString& path, int depth = 0) {
    QStringList faults;
    if (!iface || depth > 30)
        return faults;
    const QAccessible::Role role = iface->role();
    if (role == QAccessible::Cell || role == QAccessible::ListItem || role == QAccessible::TreeItem ||
        role == QAccessible::Row)
        return faults;
    const QString here = path + QStringLiteral(" > ") + describe(iface);
    const bool frame = role == QAccessible::Grouping || role == QAccessible::Border;
    const bool filler = role == QAccessible::Client || role == QAccessible::Pane ||
                        role == QAccessible::LayeredPane;
    const QWidget* w = qobject_cast<QWidget*>(iface->object());
    const bool focusable = w && w->focusPolicy() != Qt::NoFocus;
    if ((frame || (filler && focusable)) && iface->text(QAccessible::Name).trimmed().isEmpty())
        faults << QStringLiteral("nameless container: ") + here;
    for (int i = 0; i < iface->childCount(); ++i)
        faults << namelessContainers(iface->child(i), here, depth + 1);
    return faults;
}
} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void windowsNamed_data();
    void windowsNamed();
    void checkStateShown_data();
    void checkStateShown();
    void setupWizardByActions_data();
    void setupWizardByActions();
    void namelessFramesAndHiddenProgressInTree_data();
    void namelessFramesAndHiddenProgressInTree();

private:
    void startStudy();
    QWidget* studyWindow(const QString& window);
    QTemporaryDir m_docs;
    std::unique_ptr<ScriptedPrompter> m_prompter;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    QList<int> m_quits;
    QList<QPointer<QWidget>> m_own;
};

void TestAccessibility::init() {
    resetStudyProgram(m_docs.path(), m_quits);
    m_prompter = std::make_unique<ScriptedPrompter>();
    m_dialogs = std::make_unique<ScriptedDialogs>();
}

void TestAccessibility::cleanup() {
    QVERIFY2(m_prompter->unexpected.isEmpty(), qPrintable(m_prompter->unexpected.join(", ")));
    QVERIFY2(m_dialogs->unexpected.isEmpty(), qPrintable(m_dialogs->unexpected.join(", ")));
    UnloadSplash();
    releaseMainRenderPair();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName().startsWith(QLatin1String("frm")))
            m_own.append(w);
    for (const QPointer<QWidget>& w : std::as_const(m_own)) {
        if (w)
            w->setProperty("quarnelUnloaded", true);
        delete w.data();
    }
    m_own.clear();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_prompter.reset();
    m_dialogs.reset();
}

// The first start with the setup wizard answered, then the first sample chapter chosen.
// Starts a study run and opens one of its windows by name; the chapter window when the name is
// not one of the card window's.
QWidget* TestAccessibility::studyWindow(const QString& window) {
    QWidget* w = nullptr;
    startStudy();
    if (window == "chapter window") {
        w = chapterWindow();
    } else {
        chapterWindow()->LV1()->topLevelItem(0)->setSelected(true);
        chapterWindow()->okClicked();
        frmMain* card = mainWindow();
        if (!card)
            return nullptr; // the caller's check of the window fails
        if (window == "card window") {
            w = card;
        } else if (window == "typing drill") {
            card->setTypingDrill(true);
            w = card;
        } else if (window == "round summary") {
            card->showRoundSummary();
            w = card->roundSummaryWindow();
        } else if (window == "Find") {
            ShowFindWindow();
            w = findWindow();
        } else if (window == "Item Viewer") {
            ViewAllCards();
            w = viewerWindow();
        } else if (window == "progress") {
            ViewAllCards();
            w = viewerWindow()->ensureProgressWindow();
            w->show();
        } else if (window == "Preferences") {
            ShowOptionsWindow();
            w = optionsWindow();
        } else if (window == "About") {
            ShowAboutWindow();
            w = aboutWindow();
        }
    }
    return w;
}

void TestAccessibility::startStudy() {
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
    Main();
    QVERIFY(chapterWindow());
}

void TestAccessibility::windowsNamed_data() {
    QTest::addColumn<QString>("window");
    for (const char* w : {"setup wizard", "chapter window", "card window", "typing drill", "round summary", "Find",
                          "Item Viewer", "progress", "Preferences", "About", "splash", "editor", "import preview"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void TestAccessibility::windowsNamed() {
    QFETCH(QString, window);
    QWidget* w = nullptr;
    if (window == "setup wizard") {
        w = new frmSetup;
    } else if (window == "editor") {
        w = new qredit::EditorWindow;
        w->setObjectName("frmEditorUnderTest");
    } else if (window == "import preview") {
        QBuffer in;
        in.setData("Englisch;Deutsch\nhouse;Haus\ntree;Baum\n");
        QVERIFY(in.open(QIODevice::ReadOnly));
        const wordlist::WordTable table = wordlist::WordListReader::read(in);
        QVERIFY(table.ok());
        w = new qredit::ImportDialog(
            "words.csv", [table](const wordlist::ReadOptions&) { return table; }, table);
    } else if (window == "splash") {
        ShowSplash();
        w = splashWindow();
    } else {
        w = studyWindow(window);
    }
    QVERIFY(w);
    m_own.append(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    const QStringList faults = faultsOf(w);
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("\n") + faults.join(QLatin1Char('\n'))));
}

// A check box changed by a key, by its accessible action or by moving to a card with another
// trouble mark shows its new state to assistive technology. (The state-change events
// themselves only flow where a bridge is active; scripts/accessibility-tree.sh watches them.)
void TestAccessibility::checkStateShown_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("checked");
    QTest::newRow("trouble box by the Space key") << QString("space") << true;
    QTest::newRow("trouble box by moving to a trouble card") << QString("to trouble card") << true;
    QTest::newRow("trouble box by moving back") << QString("back") << false;
    QTest::newRow("trouble box by its accessible action") << QString("action") << true;
    QTest::newRow("Find window's check box by the Space key") << QString("find") << false;
}

void TestAccessibility::checkStateShown() {
    QFETCH(QString, how);
    QFETCH(bool, checked);
    startStudy();
    chapterWindow()->LV1()->topLevelItem(0)->setSelected(true);
    chapterWindow()->okClicked();
    frmMain* card = mainWindow();
    QVERIFY(card);
    QVERIFY(QTest::qWaitForWindowExposed(card));
    QWidget* box = card->Check1();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(box);
    QVERIFY(iface);
    QVERIFY(iface->state().checkable);
    QVERIFY(!iface->state().checked);
    if (how == "space") {
        QTest::keyClick(card, Qt::Key_Space);
    } else if (how == "to trouble card" || how == "back") {
        deck[1].trouble = -1;
        QTest::keyClick(card, Qt::Key_Right);
        if (how == "back") {
            QVERIFY(iface->state().checked);
            QTest::keyClick(card, Qt::Key_Left);
        }
    } else if (how == "action") {
        QVERIFY(iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    } else if (how == "find") {
        ShowFindWindow();
        frmFind* find = findWindow();
        QVERIFY(find);
        m_own.append(find);
        find->ts()->setCurrentIndex(1);
        box = find->Check1();
        QVERIFY(find->Check1()->isChecked()); // questions are searched by default
        iface = QAccessible::queryAccessibleInterface(box);
        QVERIFY(iface && iface->state().checked);
        QTest::keyClick(box, Qt::Key_Space);
    }
    QCOMPARE(bool(iface->state().checked), checked);
    QCOMPARE(iface->text(QAccessible::Name).isEmpty(), false);
}

// A screen reader answers the setup wizard with the radio buttons' toggle action, which
// checks a button without clicking it: Finished must come on all the same.
void TestAccessibility::setupWizardByActions_data() {
    QTest::addColumn<QString>("option");
    QTest::newRow("trouble by default") << QString("Option1");
    QTest::newRow("no trouble by default") << QString("Option2");
}

void TestAccessibility::setupWizardByActions() {
    QFETCH(QString, option);
    auto* w = new frmSetup;
    m_own.append(w);
    w->show();
    auto* finished = w->findChild<QAbstractButton*>("Command1");
    auto* choice = w->findChild<QAbstractButton*>(option);
    QVERIFY(finished && choice);
    QVERIFY(!finished->isEnabled());
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(choice);
    QVERIFY(iface && iface->actionInterface());
    iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QVERIFY(choice->isChecked());
    QVERIFY(finished->isEnabled());
}

// The hidden "Loading List ..." window stayed among the program's windows that assistive
// technology lists; Preferences held a nameless nested frame and Find a nameless filler that
// takes the focus. Every window of the study program, its frames and focusable fillers named.
void TestAccessibility::namelessFramesAndHiddenProgressInTree_data() {
    QTest::addColumn<QString>("window");
    for (const char* w : {"chapter window", "card window", "round summary", "Find", "Item Viewer", "Preferences",
                          "About"})
        QTest::newRow(w) << QString::fromLatin1(w);
}

void TestAccessibility::namelessFramesAndHiddenProgressInTree() {
    QFETCH(QString, window);
    QWidget* w = studyWindow(window);
    QVERIFY(w);
    m_own.append(w);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QStringList faults;
    QAccessibleInterface* top = QAccessible::queryAccessibleInterface(w);
    QVERIFY(top);
    for (int i = 0; i < top->childCount(); ++i)
        faults << namelessContainers(top->child(i), describe(top));
    // Among the program's windows, a progress window is listed only while it is shown.
    QAccessibleInterface* program = QAccessible::queryAccessibleInterface(qApp);
    QVERIFY(program);
    for (int i = 0; i < program->childCount(); ++i) {
        QAccessibleInterface* c = program->child(i);
        auto* shown = c ? qobject_cast<QWidget*>(c->object()) : nullptr;
        if (shown && shown->objectName() == QLatin1String("frmProgress") && !shown->isVisible())
            faults << QStringLiteral("hidden window listed: ") + shown->windowTitle();
    }
    QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("\n") + faults.join(QLatin1Char('\n'))));
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
