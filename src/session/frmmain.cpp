#include "frmmain.h"
#include "frmsummary.h"

#include "answermatcher.h"
#include "appstate.h"
#include "cardmanager.h"
#include "cardspeech.h"
#include "cardview.h"
#include "clock.h"
#include "deck.h"
#include "duecounts.h"
#include "duereview.h"
#include "ivordalite.h"
#include "modmain.h"
#include "modrender.h"
#include "programhistory.h"
#include "prompter.h"
#include "qexcheck.h"
#include "qexflatbutton.h"
#include "qexhl.h"
#include "r_data.h"
#include "r_renderer.h"
#include "shuffler.h"
#include "statswindow.h"
#include "virtualkey.h"
#include "windowroles.h"

#include <QAccessible>
#include <QActionGroup>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTimer>
#include <iterator>

namespace {
QPointer<frmMain>& instance() {
    static QPointer<frmMain> w;
    return w;
}

const QString kIdleText = QStringLiteral("Roll mouse over controls to see descriptions");
const char* const kGradeNames[4] = {"Again", "Hard", "Good", "Easy"};

// Right clicks on the card face open the menu of the window beneath.
class RightClickFilter : public QObject {
public:
    explicit RightClickFilter(frmMain* w) : QObject(w), m_w(w) {}
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonPress) {
            auto* me = static_cast<QMouseEvent*>(e);
            if (me->button() == Qt::RightButton) {
                if (!app().busy)
                    m_w->popupMenuAt(static_cast<QWidget*>(obj)->mapTo(m_w, me->position().toPoint()));
                return true;
            }
        }
        return QObject::eventFilter(obj, e);
    }

private:
    frmMain* m_w;
};

// The drill's own keys reach the window before the box takes them as text.
class DrillKeyFilter : public QObject {
public:
    DrillKeyFilter(QObject* parent, std::function<bool(QKeyEvent*)> onKey)
        : QObject(parent), m_onKey(std::move(onKey)) {}
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() == QEvent::KeyPress && m_onKey(static_cast<QKeyEvent*>(e)))
            return true;
        return QObject::eventFilter(obj, e);
    }

private:
    std::function<bool(QKeyEvent*)> m_onKey;
};

// The verdict as the card shows it. What was typed (or, for "almost", the card's text) may be
// long: it is cut short with an ellipsis so that the verdict keeps to the room the top-left
// text leaves, and at least half the row, instead of running over it.
QString verdictOnCard(Verdict verdict, const QString& typed, const QString& expected) {
    const QString whole = AnswerMatcher::verdictText(verdict, typed, expected);
    r_renderer* r = mainRenderer();
    auto d = mainRenderData();
    if (!r || !d || verdict == Verdict::Right)
        return whole;
    constexpr int kGap = 12;
    const int row = r->cornerRowWidth();
    const int left = d->tlshow() && !d->toplefttext().isEmpty() ? r->cornerTextWidth(d->toplefttext()) + kGap : 0;
    const int room = std::max(row / 2, row - left);
    if (r->cornerTextWidth(whole) <= room)
        return whole;
    const QString part = verdict == Verdict::Wrong ? typed.simplified() : expected;
    QString shown;
    for (qsizetype n = part.size() - 1; n >= 0; --n) {
        if (n > 0 && part.at(n - 1).isHighSurrogate())
            continue; // never half a character
        const QString cut = part.left(n) + QChar(0x2026);
        shown = verdict == Verdict::Wrong ? AnswerMatcher::verdictText(verdict, cut, expected)
                                          : AnswerMatcher::verdictText(verdict, typed, cut);
        if (r->cornerTextWidth(shown) <= room)
            break;
    }
    return shown;
}
} // namespace

StudyCommands& studyCommands() {
    static StudyCommands c;
    return c;
}

frmMain* mainWindow() {
    // A window that was unloaded may still wait for its deletion: it is not the loaded one.
    if (instance() && instance()->property("quarnelUnloaded").toBool())
        instance() = nullptr;
    return instance().data();
}

frmMain* loadMainWindow() {
    if (mainWindow())
        return instance();
    auto* w = new frmMain;
    if (app().shutdownSignal) {
        w->deleteLater();
        return nullptr;
    }
    instance() = w;
    RestoreWindowPosition(w);
    w->Check2()->setChecked(troubledefault);
    w->doEnableds(true);
    w->show();
    // The card window takes the keyboard as soon as it appears.
    w->raise();
    w->activateWindow();
    w->setFocus();
    w->StartHoverTimer();
    return w;
}

frmMain::frmMain() {
    setObjectName(QStringLiteral("frmMain"));
    installWindowRoles();
    setWindowTitle(QStringLiteral("Quarnel 2007 - Orvandel"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(640, 420);

    m_card = new CardView(this);
    m_card->setObjectName(QStringLiteral("cardFace"));
    m_card->setGeometry(rect());
    m_card->installEventFilter(new RightClickFilter(this));

    const QString captions[4] = {QStringLiteral("Menu"), QStringLiteral(">>"), QStringLiteral("<<"),
                                 QStringLiteral("Answer")};
    const QString descriptions[4] = {QStringLiteral("Show Menu"), QStringLiteral("Next Card"),
                                     QStringLiteral("Previous Card"), QStringLiteral("Toggle Question and Answer")};
    for (int i = 0; i < 4; ++i) {
        auto* b = new qexFlatButton(m_card);
        b->setObjectName(QStringLiteral("qexFlatButton%1").arg(i + 1));
        b->setCaption(captions[i]);
        // Tab reaches the controls; a click leaves the keyboard with the window's map.
        b->setFocusPolicy(Qt::TabFocus);
        m_buttons[i] = b;
        const QString d = descriptions[i];
        connect(b, &qexFlatButton::MouseOver, this, [this, d] { hover(d); });
        connect(b, &qexFlatButton::MouseOut, this, [this] { StartHoverTimer(); });
        connect(b, &qexFlatButton::KeyDown, this, [this](int vk, int shift) { controlKey(vk, shift); });
    }
    connect(m_buttons[0], &qexFlatButton::Click, this, [this] {
        qexFlatButton* b = m_buttons[0];
        popupMenuAt(b->mapTo(this, QPoint(0, b->height())));
    });
    connect(m_buttons[1], &qexFlatButton::Click, this, [this] { navigate(true); });
    connect(m_buttons[2], &qexFlatButton::Click, this, [this] { navigate(false); });
    connect(m_buttons[3], &qexFlatButton::Click, this, [] { ToggleQuestionAnswer(); });

    m_check1 = new qexCheck(m_card);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_check1->setCaption(QStringLiteral("I had trouble with this card"));
    m_check2 = new qexCheck(m_card);
    m_check2->setObjectName(QStringLiteral("Check2"));
    m_check2->setCaption(QStringLiteral("Show only trouble cards"));
    for (qexCheck* c : {m_check1, m_check2}) {
        c->setFocusPolicy(Qt::TabFocus);
        const QString d = c == m_check1 ? QStringLiteral("Sets whether you had trouble with this card or not")
                                        : QStringLiteral("Toggles whether or not to show only trouble cards");
        connect(c, &qexCheck::MouseOver, this, [this, d] { hover(d); });
        connect(c, &qexCheck::MouseOut, this, [this] { StartHoverTimer(); });
        connect(c, &qexCheck::KeyDown, this, [this](int vk, int shift) { controlKey(vk, shift); });
    }
    connect(m_check1, &qexCheck::Click, this, [this] { SetCurrentTrouble(m_check1->Checked()); });

    m_link = new qexHL(m_card);
    m_link->setObjectName(QStringLiteral("qexHL1"));
    m_link->setCaption(QStringLiteral("View Product Website"));
    m_link->setFocusPolicy(Qt::TabFocus);
    connect(m_link, &qexHL::Click, this, [] {
        if (studyCommands().productPage)
            studyCommands().productPage();
    });

    // The grade buttons of the review of due cards, under the card's text.
    const QString gradeNames[4] = {QStringLiteral("Again"), QStringLiteral("Hard"), QStringLiteral("Good"),
                                   QStringLiteral("Easy")};
    const QString gradeDescriptions[4] = {
        QStringLiteral("Grade 1: you didn't know it; the card comes back soon"),
        QStringLiteral("Grade 2: you knew it with difficulty"), QStringLiteral("Grade 3: you knew it"),
        QStringLiteral("Grade 4: you knew it at once; the card comes back much later")};
    for (int i = 0; i < 4; ++i) {
        auto* b = new qexFlatButton(m_card);
        b->setObjectName(QStringLiteral("grade") + gradeNames[i]);
        b->setCaption(gradeNames[i]);
        b->setFocusPolicy(Qt::TabFocus);
        b->hide();
        m_gradeButtons[i] = b;
        const QString d = gradeDescriptions[i];
        connect(b, &qexFlatButton::MouseOver, this, [this, d] { hover(d); });
        connect(b, &qexFlatButton::MouseOut, this, [this] { StartHoverTimer(); });
        connect(b, &qexFlatButton::KeyDown, this, [this](int vk, int shift) { controlKey(vk, shift); });
        connect(b, &qexFlatButton::Click, this, [this, i] { grade(i + 1); });
    }

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    connect(m_timer1, &QTimer::timeout, this, [this] { hoverTick(); });

    m_answerBox = new QLineEdit(m_card);
    m_answerBox->setObjectName(QStringLiteral("answerBox"));
    m_answerBox->setAccessibleName(QStringLiteral("Your answer"));
    m_answerBox->setPlaceholderText(QStringLiteral("Type the other side and press Return"));
    m_answerBox->setAlignment(Qt::AlignCenter);
    // The window's menu stands in for the box's own editing menu.
    m_answerBox->setContextMenuPolicy(Qt::NoContextMenu);
    m_answerBox->installEventFilter(new DrillKeyFilter(this, [this](QKeyEvent* e) { return drillKey(e); }));
    m_answerBox->hide();
    // A control with the focus takes the drill's keys before its own key map, and its typing
    // goes to the box.
    auto* controlKeys = new DrillKeyFilter(this, [this](QKeyEvent* e) { return drillControlKey(e); });
    for (QWidget* c : std::initializer_list<QWidget*>{m_buttons[0], m_buttons[1], m_buttons[2], m_buttons[3], m_check1,
                                                      m_check2, m_link, m_gradeButtons[0], m_gradeButtons[1],
                                                      m_gradeButtons[2], m_gradeButtons[3]})
        c->installEventFilter(controlKeys);

    m_speech = new CardSpeech(this);
    buildMenu();
    layoutControls();
    syncStudyOptions();
    // Tab goes through the controls as they stand, left to right, row by row.
    QWidget* order[] = {m_gradeButtons[0], m_gradeButtons[1], m_gradeButtons[2], m_gradeButtons[3], m_buttons[0],
                        m_buttons[2],      m_buttons[3],      m_buttons[1],      m_check1,          m_check2,
                        m_link};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    CardManagerHooks& h = cardManagerHooks();
    h.filterChecked = [] { return instance() && instance()->m_check2->Checked(); };
    h.setFilterChecked = [](bool on) {
        if (instance())
            instance()->m_check2->setChecked(on);
    };
    h.setTroubleChecked = [](bool on) {
        if (instance())
            instance()->m_check1->setChecked(on);
    };
    h.cardWindow = []() -> CardView* { return instance() ? instance()->m_card : nullptr; };
    h.presenting = [] {
        if (instance())
            instance()->m_speech->presenting();
    };
    h.cardPresented = [] {
        if (instance())
            instance()->drillCardPresented();
    };
    h.faceTurned = [] {
        if (instance()) {
            instance()->m_speech->turned();
            instance()->updateGradeButtons();
        }
    };
    setRenderTimerWindow(this);
}

frmMain::~frmMain() {
    m_speech->stop();
    if (renderTimerWindow() == this)
        setRenderTimerWindow(nullptr);
}

qexFlatButton* frmMain::button(int n) const { return n >= 1 && n <= 4 ? m_buttons[n - 1] : nullptr; }

qexFlatButton* frmMain::gradeButton(int n) const { return n >= 1 && n <= 4 ? m_gradeButtons[n - 1] : nullptr; }

void frmMain::layoutControls() {
    const int stripTop = height() - 60;
    const int row1 = stripTop + 8, row2 = stripTop + 34;
    m_buttons[0]->setGeometry(8, row1, 64, 22);
    m_buttons[2]->setGeometry(80, row1, 48, 22);
    m_buttons[3]->setGeometry(134, row1, 80, 22);
    m_buttons[1]->setGeometry(220, row1, 48, 22);
    m_check1->setGeometry(8, row2, 230, 20);
    m_check2->setGeometry(246, row2, 200, 20);
    m_link->move(width() - 150, row1 + 3);
    // Under the card's text, above the bottom corner texts.
    m_answerBox->setGeometry((width() - 320) / 2, stripTop - 62, 320, 26);
    constexpr int kGradeWidth = 112, kGradeGap = 8;
    const int gradeLeft = (width() - (4 * kGradeWidth + 3 * kGradeGap)) / 2;
    for (int i = 0; i < 4; ++i)
        m_gradeButtons[i]->setGeometry(gradeLeft + i * (kGradeWidth + kGradeGap), stripTop - 60, kGradeWidth, 22);
}

void frmMain::buildMenu() {
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("mP"));
    m_menu->setTitle(QStringLiteral("Menu"));
    // Every item has a letter of its own (the underlined one), the key map's where it can.
    auto add = [this](const char* name, const QString& caption, const QString& accel, std::function<void()> f) {
        QAction* a = m_menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        if (!accel.isEmpty()) {
            a->setShortcut(QKeySequence(accel));
            // The label shows the key; the window's keyboard map runs the command.
            a->setShortcutContext(Qt::WidgetShortcut);
        }
        connect(a, &QAction::triggered, this, std::move(f));
        return a;
    };
    add("mP_n", QStringLiteral("&New Session"), QString(), [this] { newSessionCommand(); });
    m_menu->addSeparator();
    add("mP_sp", QStringLiteral("Save &Progress"), QString(), [this] {
        if (studyCommands().saveProgress)
            studyCommands().saveProgress(this);
    });
    add("mP_ss", QStringLiteral("&Export Cards"), QString(), [this] {
        if (studyCommands().exportCards)
            studyCommands().exportCards(this);
    });
    add("mP_eh", QStringLiteral("Export Revie&w History..."), QString(), [this] {
        if (studyCommands().exportHistory)
            studyCommands().exportHistory(this);
    });
    add("mP_st", QStringLiteral("Stat&istics..."), QString(), [this] {
        if (ivordalite* master = app().master.get())
            statsui::showStatistics(listedChapterFiles(*master), this);
    });
    m_menu->addSeparator();
    add("mP_vac", QStringLiteral("&View All Cards"), QStringLiteral("Ctrl+V"), [] {
        if (studyCommands().viewAllCards)
            studyCommands().viewAllCards();
    });
    add("mP_fc", QStringLiteral("&Find Card"), QStringLiteral("Ctrl+F"), [] {
        if (studyCommands().findCard)
            studyCommands().findCard();
    });
    add("mP_sc", QStringLiteral("&Shuffle Cards"), QStringLiteral("Ctrl+S"), [] { ShuffleCommand(); });
    add("mP_ra", QStringLiteral("Read A&loud"), QStringLiteral("Ctrl+L"), [this] { readAloud(); });
    m_menu->addSeparator();
    // The side each card shows first: one of three.
    auto* sides = new QActionGroup(this);
    const char* sideNames[] = {"mP_qf", "mP_af", "mP_mx"};
    const QString sideCaptions[] = {QStringLiteral("&Question First"), QStringLiteral("Answe&r First"),
                                    QStringLiteral("&Mixed Sides")};
    const QString sideKeys[] = {QStringLiteral("Ctrl+Q"), QStringLiteral("Ctrl+R"), QStringLiteral("Ctrl+M")};
    for (int i = 0; i < 3; ++i) {
        QAction* a = add(sideNames[i], sideCaptions[i], sideKeys[i], [this, i] { setCardDirection(i); });
        a->setCheckable(true);
        sides->addAction(a);
        m_sideActions[i] = a;
    }
    m_drillAction = add("mP_ta", QStringLiteral("&Type the Answers"), QStringLiteral("Ctrl+T"),
                        [this] { setTypingDrill(!typingDrill()); });
    m_drillAction->setCheckable(true);
    m_menu->addSeparator();
    add("mP_o", QStringLiteral("&Options"), QStringLiteral("Ctrl+O"), [] {
        if (studyCommands().options)
            studyCommands().options();
    });
    add("mP_qh", QStringLiteral("Quick &Help"), QString(), [this] { QuickHelp(); });
    add("mP_a", QStringLiteral("&About"), QStringLiteral("Ctrl+A"), [] {
        if (studyCommands().about)
            studyCommands().about();
    });
    m_menu->addSeparator();
    add("mP_e", QStringLiteral("E&xit"), QStringLiteral("Ctrl+X"), [this] { close(); });
}

void frmMain::setCardDirection(int direction) {
    app().cardDirection = direction;
    syncStudyOptions();
    if (mainRenderData())
        ApplyCardDirection();
    drillCardPresented();
}

void frmMain::syncStudyOptions() {
    for (int i = 0; i < 3; ++i)
        m_sideActions[i]->setChecked(app().cardDirection == i);
    m_drillAction->setChecked(app().typeAnswers);
    const bool wasShown = m_answerBox->isVisibleTo(this);
    m_answerBox->setVisible(app().typeAnswers);
    if (app().typeAnswers && !wasShown) {
        drillCardPresented();
        m_answerBox->setFocus();
    } else if (!app().typeAnswers && wasShown) {
        setFocus();
    }
}

bool frmMain::typingDrill() const {
    return app().typeAnswers;
}

void frmMain::setTypingDrill(bool on) {
    app().typeAnswers = on;
    syncStudyOptions();
}

void frmMain::drillCardPresented() {
    m_presentedAtMs = appClock().steadyMs();
    m_proposedGrade = 0;
    updateGradeButtons();
    m_drillChecked = false;
    m_answerBox->clear();
    m_answerBox->setReadOnly(false);
    m_answerBox->setAccessibleDescription(QString());
}

void frmMain::drillReturn() {
    if (!typingDrill())
        return;
    if (!m_drillChecked)
        checkAnswer();
    else if (review::dueReview().active() && m_proposedGrade)
        grade(m_proposedGrade);
    else
        navigate(true);
}

void frmMain::checkAnswer() {
    auto d = mainRenderData();
    if (!d || curcard < 0 || curcard >= deckUpper())
        return;
    const Card& c = deck[curcard];
    const QString expected = CurrentAnswerFirst() ? c.question : c.answer;
    const QString typed = m_answerBox->text();
    const Verdict verdict = AnswerMatcher(app().forgiveAccents).check(typed, expected);
    roundCounter().answered(verdict);
    if (verdict == Verdict::Wrong)
        SetCurrentTrouble(true);
    else if (verdict == Verdict::Right && c.trouble != 0 && app().rightClearsTrouble)
        SetCurrentTrouble(false);
    if (ShowingFrontSide())
        ToggleQuestionAnswer();
    const QString text = AnswerMatcher::verdictText(verdict, typed, expected);
    d->setToprighttext(verdictOnCard(verdict, typed, expected));
    d->trreset();
    if (r_renderer* r = mainRenderer())
        r->drawtobuffer(true);
    m_drillChecked = true;
    m_answerBox->setReadOnly(true);
    // In the review the verdict proposes a grade, which Return gives; 1 to 4 give another.
    const int proposed = verdict == Verdict::Right ? 3 : verdict == Verdict::Almost ? 2 : 1;
    m_proposedGrade = review::dueReview().active() ? proposed : 0;
    updateGradeButtons();
    // Screen readers hear the verdict on the box that has the focus.
    m_answerBox->setAccessibleDescription(
        m_proposedGrade ? text + QStringLiteral(" Return grades it ") + QLatin1String(kGradeNames[proposed - 1]) +
                              QStringLiteral("; 1 to 4 choose another grade.")
                        : text);
    QAccessibleEvent alert(m_answerBox, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
}

// Keys while the drill is on: Return, Page Up, Page Down, Escape, the menu keys and the
// menu's Ctrl keys act; everything else is text for the box and never a command of the key map.
bool frmMain::drillKey(QKeyEvent* e) {
    if (!typingDrill() || app().busy)
        return false;
    const bool menuKey = e->key() == Qt::Key_Menu || (e->key() == Qt::Key_F10 && (e->modifiers() & Qt::ShiftModifier));
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!e->isAutoRepeat())
            drillReturn();
        return true;
    case Qt::Key_PageUp:
        navigate(false);
        return true;
    case Qt::Key_PageDown:
        navigate(true);
        return true;
    case Qt::Key_Escape:
        setTypingDrill(false);
        return true;
    default:
        break;
    }
    if (menuKey) {
        popupMenuAt(m_answerBox->geometry().bottomLeft() + m_card->mapTo(this, QPoint()));
        return true;
    }
    // Once the answer is checked, 1 to 4 grade the card.
    if (m_drillChecked && e->key() >= Qt::Key_1 && e->key() <= Qt::Key_4 &&
        !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        if (!e->isAutoRepeat())
            grade(e->key() - Qt::Key_0);
        return true;
    }
    // The keys the menu shows next to its items run them, as a click on the item would.
    if ((e->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
        const QKeySequence pressed(QKeyCombination(Qt::ControlModifier, Qt::Key(e->key())));
        for (QAction* a : m_menu->actions()) {
            if (a->isSeparator() || a->shortcut() != pressed)
                continue;
            if (a->isEnabled() && !e->isAutoRepeat())
                a->trigger();
            return true;
        }
    }
    return false;
}

bool frmMain::drillControlKey(QKeyEvent* e) {
    if (!typingDrill())
        return false;
    if (drillKey(e))
        return true;
    // Space stays the focused control's click.
    if (e->key() == Qt::Key_Space || !isDrillText(e))
        return false;
    typeIntoAnswerBox(e);
    return true;
}

bool frmMain::isDrillText(const QKeyEvent* e) const {
    return !app().busy && !e->text().isEmpty() && e->text().at(0).isPrint() &&
           !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

void frmMain::typeIntoAnswerBox(const QKeyEvent* e) {
    // After a check the box is read-only until the next card: the key is dropped. The box
    // hands back a key it ignores, to the window, and the window never sends one again while
    // it is passing one on.
    if (m_answerBox->isReadOnly() || m_typingIntoBox)
        return;
    const QScopedValueRollback<bool> guard(m_typingIntoBox, true);
    m_answerBox->setFocus();
    QKeyEvent copy(e->type(), e->key(), e->modifiers(), e->text());
    QCoreApplication::sendEvent(m_answerBox, &copy);
}

bool frmMain::roundSummaryDue() const {
    // The review of due cards ends when nothing is left, with a summary of its own.
    if (review::dueReview().active())
        return false;
    const int mode = app().roundSummary;
    if (mode == 0 || (mode == 1 && !typingDrill()))
        return false;
    const bool filter = m_check2->Checked();
    return roundCounter().complete(deckUpper(), [filter](int slot) { return !filter || deck[slot].trouble != 0; });
}

void frmMain::showRoundSummary(const QStringList& reviewLines) {
    const RoundFigures figures = roundCounter().figures();
    // The summary ends the round: what comes after it counts for the next one.
    roundCounter().begin();
    auto* w = new frmSummary(this, figures, typingDrill() || figures.answered() > 0, CountTroubleCards() > 0);
    if (!reviewLines.isEmpty())
        w->setReviewLines(reviewLines);
    w->onDrillTrouble = [this] { drillTroubleCards(); };
    w->onShuffle = [] { ShuffleCommand(); };
    m_summary = w;
    // Over the middle of the card, where the eyes are; a window without a position of its
    // own would open in a corner of the screen where no window manager places it.
    w->adjustSize();
    w->move(mapToGlobal(rect().center()) - w->rect().center());
    w->show();
    w->setFocus();
}

void frmMain::drillTroubleCards() {
    m_check2->setChecked(true);
    roundCounter().begin();
    // From the last card the search for the next trouble card starts at the first card.
    curcard = StepCard(false, 0);
    ShowNextCard();
}

void frmMain::navigate(bool forward) {
    if (roundSummaryDue()) {
        showRoundSummary();
        return;
    }
    if (forward)
        ShowNextCard();
    else
        ShowPreviousCard();
}

void frmMain::updateGradeButtons() {
    const bool show = review::dueReview().active() && curcard >= 0 && curcard < deckUpper() && !ShowingFrontSide();
    if (show) {
        const std::array<QString, 4> waits = review::gradeIntervals(curcard);
        for (int i = 0; i < 4; ++i) {
            QString caption = QLatin1String(kGradeNames[i]);
            if (!waits[size_t(i)].isEmpty())
                caption += QStringLiteral("  ") + waits[size_t(i)];
            m_gradeButtons[i]->setAccessibleName(QStringLiteral("%1, key %2").arg(caption).arg(i + 1));
            // The grade the typed answer's verdict proposes carries the Return sign.
            if (m_proposedGrade == i + 1)
                caption += QStringLiteral(" \u21B5");
            m_gradeButtons[i]->setCaption(caption);
        }
    }
    for (int i = 0; i < 4; ++i)
        m_gradeButtons[i]->setVisible(show);
    // In the review the answer box sits above the grade buttons.
    const int boxTop = m_gradeButtons[0]->y() - (review::dueReview().active() ? 34 : 2);
    m_answerBox->move(m_answerBox->x(), boxTop);
}

void frmMain::grade(int g) {
    if (app().busy || g < 1 || g > 4 || curcard < 0 || curcard >= deckUpper() || ShowingFrontSide())
        return;
    const auto value = fsrs::Grade(g);
    const bool inReview = review::dueReview().active();
    const QString source = inReview ? QStringLiteral("review")
                                    : typingDrill() ? QStringLiteral("drill") : QStringLiteral("study");
    const std::optional<fsrs::Card> after =
        review::gradeSlot(curcard, value, appClock().steadyMs() - m_presentedAtMs, source);
    if (!after)
        gradeNotKept();
    if (value == fsrs::Grade::Again)
        SetCurrentTrouble(true);
    if (!inReview) {
        navigate(true);
        return;
    }
    const qint64 now = review::now().toMSecsSinceEpoch();
    review::dueReview().graded(curcard, value, after, now);
    const int next = review::dueReview().nextSlot(curcard, now);
    if (next < 0)
        finishReview();
    else
        ShowCardAt(qint16(next));
}

void frmMain::gradeNotKept() {
    // The reason the history can't be used is told once; studying goes on without it.
    if (const QString problem = review::takeHistoryProblem(); !problem.isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Review History"),
                       problem + QStringLiteral("\n\nGrades are not kept until this is put right; studying goes on "
                                                "as before."));
        return;
    }
    auto d = mainRenderData();
    if (!d || !review::historyProblem().isEmpty())
        return;
    // A card of a progress file: its chapter file is not known.
    d->setBottomlefttext(review::chapterOfSlot(curcard) ? QStringLiteral("The grade could not be kept")
                                                        : QStringLiteral("Cards of a saved study run can't be graded"));
    d->blreset();
}

void frmMain::finishReview() {
    const QStringList lines = review::dueReview().summaryLines();
    review::dueReview().end();
    // The cards stay for an ordinary run: the corner counts them again.
    if (auto d = mainRenderData()) {
        d->setToplefttext(StatusText(true));
        if (r_renderer* r = mainRenderer())
            r->drawtobuffer(true);
    }
    updateGradeButtons();
    showRoundSummary(lines);
}

void frmMain::doEnableds(bool flag) {
    for (qexFlatButton* b : m_buttons)
        b->setEnabled(flag);
    m_check1->setEnabled(flag);
    m_check2->setEnabled(flag);
}

void frmMain::StartHoverTimer() {
    if (!app().showMouseHover)
        return;
    m_timer1->setInterval(2000);
    m_timer1->start();
}

void frmMain::StopHoverTimer() {
    m_timer1->stop();
    m_timer1->setInterval(0);
}

void frmMain::hover(const QString& description) {
    auto d = mainRenderData();
    if (!app().showMouseHover || !d || app().busy)
        return;
    d->setBottomlefttext(description);
    d->blreset();
    if (r_renderer* r = mainRenderer())
        r->drawtobuffer(true);
    StopHoverTimer();
}

void frmMain::hoverTick() {
    if (!app().showMouseHover)
        return;
    auto d = mainRenderData();
    if (!d || app().busy) {
        StopHoverTimer();
        return;
    }
    if (d->bottomlefttext() != kIdleText) {
        d->setBottomlefttext(kIdleText);
        d->startbltime(5);
        if (r_renderer* r = mainRenderer())
            r->drawtobuffer(true);
    }
}

void frmMain::keyCommand(int vk) {
    if (app().busy || vk < 13 || vk > 88)
        return;
    if (typingDrill()) {
        // Typing never runs a command of the map; the drill's own keys stay.
        switch (vk) {
        case 13:
            drillReturn();
            break;
        case 27:
            setTypingDrill(false);
            break;
        case 33:
            navigate(false);
            break;
        case 34:
            navigate(true);
            break;
        case 49:
        case 50:
        case 51:
        case 52:
            if (m_drillChecked)
                grade(vk - 48);
            break;
        default:
            break;
        }
        return;
    }
    switch (vk) {
    case 49:
    case 50:
    case 51:
    case 52:
        grade(vk - 48);
        break;
    case 13: ToggleQuestionAnswer(); break;
    case 32:
        m_check1->setChecked(!m_check1->Checked());
        SetCurrentTrouble(m_check1->Checked());
        break;
    case 37:
        navigate(false);
        break;
    case 39:
        navigate(true);
        break;
    case 65:
        if (studyCommands().about)
            studyCommands().about();
        break;
    case 70:
        if (studyCommands().findCard)
            studyCommands().findCard();
        break;
    case 77:
        setCardDirection(2);
        break;
    case 81:
        setCardDirection(0);
        break;
    case 82:
        setCardDirection(1);
        break;
    case 79:
        if (studyCommands().options)
            studyCommands().options();
        break;
    case 83:
        ShuffleCommand();
        break;
    case 84:
        setTypingDrill(true);
        break;
    case 76:
        readAloud();
        break;
    case 86:
        if (studyCommands().viewAllCards)
            studyCommands().viewAllCards();
        break;
    case 88: close(); break;
    default: break;
    }
}

void frmMain::keyPressEvent(QKeyEvent* e) {
    if (typingDrill()) {
        // Text typed while the box has lost the focus goes to the box; what the box hands
        // back (read-only after a check) is not sent to it again.
        if (!drillKey(e) && isDrillText(e))
            typeIntoAnswerBox(e);
        e->accept();
        return;
    }
    if (e->isAutoRepeat() && e->key() != Qt::Key_Left && e->key() != Qt::Key_Right) {
        e->accept();
        return;
    }
    controlKey(virtualKeyFromQt(e->key()), shiftStateFromQt(e->modifiers()));
    e->accept();
}

void frmMain::controlKey(int vk, int shift) {
    // The menu key and Shift+F10 open the menu where the Menu button would.
    if (vk == 93 || (vk == 121 && (shift & 1))) {
        if (!app().busy)
            popupMenuAt(m_buttons[0]->mapTo(this, QPoint(0, m_buttons[0]->height())));
        return;
    }
    keyCommand(vk);
}

void frmMain::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::RightButton && !app().busy)
        popupMenuAt(e->position().toPoint());
    QWidget::mousePressEvent(e);
}

void frmMain::popupMenuAt(const QPoint& local) {
    m_lastMenuPos = local;
    m_menu->popup(mapToGlobal(local));
}

void frmMain::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!m_loaded) {
        m_loaded = true;
        m_newsession = false;
    }
}

void frmMain::closeEvent(QCloseEvent* e) {
    if (property("quarnelUnloaded").toBool()) {
        e->accept();
        return;
    }
    if (app().busy) {
        e->ignore();
        return;
    }
    SaveWindowPosition(this, false);
    m_speech->stop();
    e->accept();
    if (m_newsession) {
        // The chapter window builds a fresh main window for the next deck.
        if (instance() == this)
            instance() = nullptr;
        deleteLater();
        return;
    }
    ShutdownSystem(0, false);
}

void frmMain::newSessionCommand() {
    m_newsession = true;
    NewSession();
    close();
}

QString frmMain::quickHelpText() {
    const QString nl = QStringLiteral("\r\n");
    QString t;
    t += QStringLiteral("Introduction") + nl;
    t += QStringLiteral("============") + nl;
    t += QStringLiteral("This program is a quarnel system designed primarily for studying vocabulary. It supports "
                        "double-sided ") +
         QStringLiteral("'cards' with the vocabulary word on one side and the definition and/or translation on the "
                        "other side. ") +
         QStringLiteral("The card deck can also be shuffled quickly and easily using the 'Shuffle Cards' feature.") +
         nl + nl;
    t += QStringLiteral("Quick Help") + nl;
    t += QStringLiteral("==========") + nl;
    t += QStringLiteral("1. Use the '<<' and '>>' buttons to navigate through the cards") + nl;
    t += QStringLiteral("2. To see the answer, click on the answer button") + nl;
    t += QStringLiteral("3. To shuffle the deck, click on the menu button and then click 'Shuffle Cards'") + nl;
    t += QStringLiteral("4. Cards where the answer is known can be removed from card rotation by unchecking the 'I "
                        "had trouble with this card' box") +
         nl + nl;
    const char* rest[] = {"Keyboard Shortcuts",
                          "==================",
                          "These shortcuts will work in the main quarnel window only",
                          "Left Arrow = Previous Card",
                          "Right Arrow = Next Card",
                          "Space Bar = Trouble Toggle",
                          "Return Key = Question/Answer Toggle",
                          "o = Options Dialog",
                          "s = Shuffle Deck",
                          "v = View All Loaded Cards",
                          "f = Find Card Dialog",
                          "a = Show About Box",
                          "x = Exit Program",
                          "q = Question First (cards show their questions)",
                          "r = Answer First (cards show their answers)",
                          "m = Mixed Sides (each card shows either side)",
                          "t = Type the Answers (typing drill)",
                          "l = Read Aloud (says the side shown; Ctrl+L in the typing drill)",
                          "",
                          "Typing Drill",
                          "============",
                          "With 'Type the Answers' on, type the other side of each card into the box under it",
                          "Return = Check the Answer; the card turns and says Right, Almost or Wrong",
                          "Return again = Next Card; wrong answers become trouble cards",
                          "Page Up = Previous Card, Page Down = Next Card, Escape = End the Drill",
                          "While the drill is on, letters and the Space Bar go into the box, not to the shortcuts",
                          "",
                          "Grades and Reviews",
                          "==================",
                          "Once a card has turned: 1 = Again, 2 = Hard, 3 = Good, 4 = Easy",
                          "A grade is kept in your review history and the next card comes; Again marks a trouble card",
                          "'Review Due' in the chapter window studies the cards due today, then new cards",
                          "'Statistics...' in the menu shows your reviews, what comes due and each chapter's progress",
                          "In its typing drill, Return gives the grade the verdict proposes (marked on its button)"};
    for (const char* line : rest)
        t += QString::fromLatin1(line) + nl;
    return t;
}

void frmMain::readAloud() {
    if (!app().busy)
        m_speech->readAloudPressed();
}

void frmMain::QuickHelp() {
    prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Quick Help"), quickHelpText());
}
