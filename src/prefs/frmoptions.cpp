#include "frmoptions.h"

#include "appstate.h"
#include "cardmanager.h"
#include "cardview.h"
#include "deck.h"
#include "frmmain.h"
#include "gcommondialog.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "modmain.h"
#include "modrender.h"
#include "programhistory.h"
#include "prompter.h"
#include "qexcheck.h"
#include "r_data.h"
#include "r_renderer.h"
#include "settingsoccasion.h"
#include "themestep.h"
#include "windowroles.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QTabBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace {
const QString kColourTag = QStringLiteral("color_metrics");
const QString kTroubleCaption = QStringLiteral("Make cards trouble by default");
constexpr int kAliasRole = Qt::UserRole;

QPointer<frmOptions>& instance() {
    static QPointer<frmOptions> w;
    return w;
}

// The trouble-by-default box acts only when the mouse toggles it; a keyboard toggle
// changes its look and nothing else.
class ReleaseCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;
    std::function<void()> onMouseToggle;

protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool before = isChecked();
        QCheckBox::mouseReleaseEvent(e);
        if (e->button() == Qt::LeftButton && isChecked() != before && onMouseToggle)
            onMouseToggle();
    }
};

// A click on the preview copies the card again.
class ClickFilter : public QObject {
public:
    ClickFilter(QObject* parent, std::function<void()> onClick) : QObject(parent), m_onClick(std::move(onClick)) {}
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() == QEvent::MouseButtonRelease)
            m_onClick();
        return QObject::eventFilter(obj, e);
    }

private:
    std::function<void()> m_onClick;
};

QString css(qint32 c) {
    return QStringLiteral("#%1%2%3")
        .arg(c & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((c >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((c >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

// The open master database, or a store of our own over "sys.qex" while there is none.
template <typename Work> void withColourStore(Work work) {
    if (ivordalite* m = app().master.get()) {
        work(*m);
        return;
    }
    const QString path = masterPath();
    if (app().homeFolder.isEmpty() || !ivordalite::fe(path))
        return;
    ivordalite store;
    if (!store.mount(path, false))
        return;
    work(store);
    store.unmount();
}
} // namespace

frmOptions* optionsWindow() { return instance().data(); }

void ShowOptionsWindow() {
    if (frmOptions* w = instance()) {
        w->show();
        w->raise();
        w->activateWindow();
        return;
    }
    auto* w = new frmOptions(mainWindow());
    instance() = w;
    w->load();
}

void CloseOptionsAsCancel() {
    if (frmOptions* w = instance())
        w->Command2Click();
}

QString frmOptions::check3Caption(bool pending, bool inForce) {
    if (pending == inForce)
        return kTroubleCaption;
    return kTroubleCaption + QStringLiteral(" (latched: ") + (pending ? QStringLiteral("True") : QStringLiteral("False")) +
           QStringLiteral(")");
}

frmOptions::frmOptions(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmOptions"));
    installWindowRoles();
    setWindowTitle(QStringLiteral("Preferences"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    QFont f(QStringLiteral("Tahoma"));
    f.setPointSize(9);
    setFont(f);
    buildControls();
}

frmOptions::~frmOptions() {
    // Deleted without an unload (its owner went first): end the preview all the same.
    if (!m_unloaded) {
        m_unloaded = true;
        m_loaded = false;
        stopPreview();
        if (!m_confirmed && m_defaultsWritten)
            restoreStoredColours();
    }
}

void frmOptions::buildControls() {
    m_ts = new QTabBar(this);
    m_ts->setObjectName(QStringLiteral("ts"));
    m_ts->addTab(QStringLiteral("Colors"));
    m_ts->addTab(QStringLiteral("User Interface"));
    m_ts->addTab(QStringLiteral("Reviews"));
    m_ts->setExpanding(false);
    m_ts->setDrawBase(false);

    // The tab strip's client area; the panes lie on it, one over the other.
    auto* client = new QFrame(this);
    client->setObjectName(QStringLiteral("tsClient"));
    client->setFrameShape(QFrame::StyledPanel);
    // A screen reader entering the frame hears the page in view.
    client->setAccessibleName(m_ts->tabText(0));
    connect(m_ts, &QTabBar::currentChanged, client, [this, client](int i) { client->setAccessibleName(m_ts->tabText(i)); });
    auto* stack = new QGridLayout(client);
    stack->setContentsMargins(10, 10, 10, 10);
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QWidget(client);
        m_panes[i]->setObjectName(QStringLiteral("Picture1_%1").arg(i));
        stack->addWidget(m_panes[i], 0, 0);
    }

    // Pane 0: the colours.
    m_colourFrame = new QGroupBox(QStringLiteral("Color Elements"), m_panes[0]);
    m_colourFrame->setObjectName(QStringLiteral("Frame1"));
    m_label1 = new QLabel(QStringLiteral("Element"), m_colourFrame);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_lv = new QListWidget(m_colourFrame);
    m_lv->setObjectName(QStringLiteral("LV"));
    m_lv->setAccessibleName(QStringLiteral("Color elements"));
    m_lv->setSelectionMode(QAbstractItemView::SingleSelection);
    m_label1->setBuddy(m_lv);
    m_label2 = new QLabel(QStringLiteral("Color"), m_colourFrame);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_command3 = new QPushButton(m_colourFrame);
    m_command3->setObjectName(QStringLiteral("Command3"));
    m_command3->setAccessibleName(QStringLiteral("Color"));
    m_command3->setFixedSize(72, 24);
    m_command3->setEnabled(false);
    m_label2->setBuddy(m_command3);
    m_command4 = new QPushButton(QStringLiteral("reset defaults"), m_colourFrame);
    m_command4->setObjectName(QStringLiteral("Command4"));
    auto* cg = new QGridLayout(m_colourFrame);
    cg->addWidget(m_label1, 0, 0, 1, 2);
    cg->addWidget(m_lv, 1, 0, 1, 2);
    cg->addWidget(m_label2, 2, 0);
    cg->addWidget(m_command3, 2, 1, Qt::AlignLeft);
    cg->addWidget(m_command4, 3, 0, 1, 2);
    cg->setColumnStretch(1, 1);

    m_picture2 = new CardView(m_panes[0]);
    m_picture2->setObjectName(QStringLiteral("Picture2"));
    m_picture2->setAccessibleName(QStringLiteral("Preview"));
    // The renderer takes the card size once, so it is fixed before the preview starts.
    m_picture2->setFixedSize(260, 190);
    m_picture2->installEventFilter(new ClickFilter(this, [this] {
        if (m_renderer)
            m_renderer->Refresh();
    }));
    auto* p0 = new QHBoxLayout(m_panes[0]);
    p0->setContentsMargins(0, 0, 0, 0);
    p0->addWidget(m_colourFrame, 1);
    p0->addWidget(m_picture2, 0, Qt::AlignTop);

    // Pane 1: the user interface.
    m_check1 = new QCheckBox(QStringLiteral("Enable Transparency (Windows 2000 or later)"), m_panes[1]);
    m_check1->setObjectName(QStringLiteral("Check1"));
    m_fadeFrame = new QGroupBox(m_panes[1]);
    m_fadeFrame->setObjectName(QStringLiteral("Frame2"));
    // The frame has no title on screen; its label says what it holds.
    m_fadeFrame->setAccessibleName(QStringLiteral("Fade speed"));
    m_label3 = new QLabel(QStringLiteral("Fade speed"), m_fadeFrame);
    m_label3->setObjectName(QStringLiteral("Label3"));
    m_label4 = new QLabel(QStringLiteral("slower"), m_fadeFrame);
    m_label4->setObjectName(QStringLiteral("Label4"));
    m_label5 = new QLabel(QStringLiteral("faster"), m_fadeFrame);
    m_label5->setObjectName(QStringLiteral("Label5"));
    m_slider1 = new QSlider(Qt::Horizontal, m_fadeFrame);
    m_slider1->setObjectName(QStringLiteral("Slider1"));
    m_slider1->setRange(1, 100);
    m_slider1->setSingleStep(1);
    m_slider1->setPageStep(10);
    m_slider1->setTickPosition(QSlider::TicksBelow);
    m_slider1->setTickInterval(10);
    m_slider1->setAccessibleName(QStringLiteral("Fade speed"));
    m_label3->setBuddy(m_slider1);
    auto* fg = new QGridLayout(m_fadeFrame);
    fg->addWidget(m_label3, 0, 0, 1, 3);
    fg->addWidget(m_label4, 1, 0);
    fg->addWidget(m_slider1, 1, 1);
    fg->addWidget(m_label5, 1, 2);
    fg->setColumnStretch(1, 1);
    m_check2 = new QCheckBox(QStringLiteral("Show mouse hover descriptions"), m_panes[1]);
    m_check2->setObjectName(QStringLiteral("Check2"));
    auto* check3 = new ReleaseCheckBox(kTroubleCaption, m_panes[1]);
    check3->onMouseToggle = [this] { check3Released(); };
    m_check3 = check3;
    m_check3->setObjectName(QStringLiteral("Check3"));
    m_check4 = new QCheckBox(QStringLiteral("Rerun initial setup next time program runs"), m_panes[1]);
    m_check4->setObjectName(QStringLiteral("Check4"));
    auto* p1 = new QVBoxLayout(m_panes[1]);
    p1->setContentsMargins(0, 0, 0, 0);
    p1->addWidget(m_check1);
    p1->addWidget(m_fadeFrame);
    p1->addSpacing(6);
    p1->addWidget(m_check2);
    p1->addWidget(m_check3);
    p1->addWidget(m_check4);
    p1->addSpacing(6);
    p1->addWidget(buildStudyFrame(m_panes[1]));
    p1->addStretch(1);

    // Pane 2: the reviews of due cards.
    auto* p2 = new QVBoxLayout(m_panes[2]);
    p2->setContentsMargins(0, 0, 0, 0);
    p2->addWidget(buildReviewFrame(m_panes[2]));
    p2->addStretch(1);

    m_command1 = new QPushButton(QStringLiteral("OK"), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setDefault(true);
    m_command2 = new QPushButton(QStringLiteral("Cancel"), this);
    m_command2->setObjectName(QStringLiteral("Command2"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_command1);
    buttons->addWidget(m_command2);

    auto* root = new QVBoxLayout(this);
    root->setSpacing(0);
    root->addWidget(m_ts);
    root->addWidget(client, 1);
    root->addSpacing(10);
    root->addLayout(buttons);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(50);

    connect(m_ts, &QTabBar::currentChanged, this, [this] { tabChanged(); });
    auto* nextTabKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(nextTabKey, &QShortcut::activated, this, [this] { nextTab(); });
    // Escape is Cancel.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, [this] { Command2Click(); });
    connect(m_lv, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { itemSelected(item); });
    connect(m_lv, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { itemSelected(item); });
    connect(m_command3, &QPushButton::clicked, this, [this] { Command3Click(); });
    connect(m_command4, &QPushButton::clicked, this, [this] { Command4Click(); });
    connect(m_check1, &QCheckBox::clicked, this, [this](bool on) {
        app().alphaEffects = on;
        setFadeEnabled(on);
    });
    connect(m_slider1, &QSlider::valueChanged, this, [](int v) { app().alphaLevel = v; });
    connect(m_check2, &QCheckBox::clicked, this, [](bool on) { app().showMouseHover = on; });
    connect(m_check4, &QCheckBox::clicked, this, [this](bool on) { check4Clicked(on); });
    connect(m_command1, &QPushButton::clicked, this, [this] { Command1Click(); });
    connect(m_command2, &QPushButton::clicked, this, [this] { Command2Click(); });
    connect(m_timer1, &QTimer::timeout, this, [this] { timerTick(); });

    m_panes[1]->hide();
    m_panes[2]->hide();
    root->activate();
    resize(sizeHint());
}

// How cards are studied. Like the other settings of the pane, each acts at once.
QGroupBox* frmOptions::buildStudyFrame(QWidget* pane) {
    m_studyFrame = new QGroupBox(QStringLiteral("Studying"), pane);
    m_studyFrame->setObjectName(QStringLiteral("Frame3"));
    m_label6 = new QLabel(QStringLiteral("Cards show first"), m_studyFrame);
    m_label6->setObjectName(QStringLiteral("Label6"));
    m_combo1 = new QComboBox(m_studyFrame);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->addItems(
        {QStringLiteral("Question First"), QStringLiteral("Answer First"), QStringLiteral("Mixed Sides")});
    m_label6->setBuddy(m_combo1);
    m_combo1->view()->setAccessibleName(m_label6->text());
    m_check5 = new QCheckBox(QStringLiteral("Type the Answers"), m_studyFrame);
    m_check5->setObjectName(QStringLiteral("Check5"));
    m_check6 = new QCheckBox(QStringLiteral("Forgive accents and German spellings (ae, oe, ue, ss)"), m_studyFrame);
    m_check6->setObjectName(QStringLiteral("Check6"));
    m_check7 = new QCheckBox(QStringLiteral("Clear trouble marks on a right answer"), m_studyFrame);
    m_check7->setObjectName(QStringLiteral("Check7"));
    m_label7 = new QLabel(QStringLiteral("Round summary"), m_studyFrame);
    m_label7->setObjectName(QStringLiteral("Label7"));
    m_combo2 = new QComboBox(m_studyFrame);
    m_combo2->setObjectName(QStringLiteral("Combo2"));
    m_combo2->addItems({QStringLiteral("Never"), QStringLiteral("After a round of typed answers"),
                        QStringLiteral("After every round")});
    m_label7->setBuddy(m_combo2);
    m_combo2->view()->setAccessibleName(m_label7->text());
    auto* label11 = new QLabel(QStringLiteral("Read aloud"), m_studyFrame);
    label11->setObjectName(QStringLiteral("Label11"));
    m_combo4 = new QComboBox(m_studyFrame);
    m_combo4->setObjectName(QStringLiteral("Combo4"));
    m_combo4->addItems({QStringLiteral("Never"), QStringLiteral("The question when it shows"),
                        QStringLiteral("Both sides")});
    label11->setBuddy(m_combo4);
    m_combo4->view()->setAccessibleName(label11->text());
    m_check9 = new QCheckBox(QStringLiteral("Listening drill: hear the question, type the answer"), m_studyFrame);
    m_check9->setObjectName(QStringLiteral("Check9"));
    m_check9->setAccessibleDescription(
        QStringLiteral("In the typing drill the question is spoken and hidden; Ctrl+L says it again"));
    auto* grid = new QGridLayout(m_studyFrame);
    grid->addWidget(m_label6, 0, 0);
    grid->addWidget(m_combo1, 0, 1, Qt::AlignLeft);
    grid->addWidget(m_check5, 1, 0, 1, 2);
    grid->addWidget(m_check6, 2, 0, 1, 2);
    grid->addWidget(m_check7, 3, 0, 1, 2);
    grid->addWidget(m_label7, 4, 0);
    grid->addWidget(m_combo2, 4, 1, Qt::AlignLeft);
    grid->addWidget(label11, 5, 0);
    grid->addWidget(m_combo4, 5, 1, Qt::AlignLeft);
    grid->addWidget(m_check9, 6, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    connect(m_check5, &QCheckBox::clicked, this, [](bool on) {
        if (frmMain* w = mainWindow())
            w->setTypingDrill(on);
        else
            app().typeAnswers = on;
    });
    connect(m_check6, &QCheckBox::clicked, this, [](bool on) { app().forgiveAccents = on; });
    connect(m_check7, &QCheckBox::clicked, this, [](bool on) { app().rightClearsTrouble = on; });
    connect(m_combo2, &QComboBox::activated, this, [](int index) { app().roundSummary = index; });
    connect(m_combo4, &QComboBox::activated, this, [](int index) { app().readAloud = index; });
    connect(m_check9, &QCheckBox::clicked, this, [](bool on) { app().listeningDrill = on; });
    connect(m_combo1, &QComboBox::activated, this, [](int index) {
        if (frmMain* w = mainWindow())
            w->setCardDirection(index);
        else
            app().cardDirection = index;
    });
    return m_studyFrame;
}

// How due cards are scheduled. Unlike the rest of the pane, these wait for OK: a changed
// retention reschedules every card graded from then on.
QGroupBox* frmOptions::buildReviewFrame(QWidget* pane) {
    m_reviewFrame = new QGroupBox(QStringLiteral("Scheduling"), pane);
    m_reviewFrame->setObjectName(QStringLiteral("Frame4"));
    auto* label8 = new QLabel(QStringLiteral("Desired &retention"), m_reviewFrame);
    label8->setObjectName(QStringLiteral("Label8"));
    m_spin1 = new QSpinBox(m_reviewFrame);
    m_spin1->setObjectName(QStringLiteral("Spin1"));
    m_spin1->setRange(70, 97);
    m_spin1->setSuffix(QStringLiteral("%"));
    m_spin1->setAccessibleName(QStringLiteral("Desired retention"));
    m_spin1->setAccessibleDescription(QStringLiteral("The share of cards you want to remember when they come due"));
    label8->setBuddy(m_spin1);
    auto* label9 = new QLabel(QStringLiteral("&New cards a day"), m_reviewFrame);
    label9->setObjectName(QStringLiteral("Label9"));
    m_spin2 = new QSpinBox(m_reviewFrame);
    m_spin2->setObjectName(QStringLiteral("Spin2"));
    m_spin2->setRange(0, 9999);
    m_spin2->setAccessibleName(QStringLiteral("New cards a day"));
    label9->setBuddy(m_spin2);
    auto* label10 = new QLabel(QStringLiteral("The study &day begins at"), m_reviewFrame);
    label10->setObjectName(QStringLiteral("Label10"));
    m_combo3 = new QComboBox(m_reviewFrame);
    m_combo3->setObjectName(QStringLiteral("Combo3"));
    for (int hour = 0; hour < 24; ++hour)
        m_combo3->addItem(QStringLiteral("%1:00").arg(hour));
    m_combo3->setAccessibleName(QStringLiteral("The study day begins at"));
    m_combo3->view()->setAccessibleName(QStringLiteral("The study day begins at"));
    label10->setBuddy(m_combo3);
    m_check8 = new QCheckBox(QStringLiteral("&Spread the intervals a little so that cards learnt together come apart"),
                             m_reviewFrame);
    m_check8->setObjectName(QStringLiteral("Check8"));
    auto* grid = new QGridLayout(m_reviewFrame);
    grid->addWidget(label8, 0, 0);
    grid->addWidget(m_spin1, 0, 1, Qt::AlignLeft);
    grid->addWidget(label9, 1, 0);
    grid->addWidget(m_spin2, 1, 1, Qt::AlignLeft);
    grid->addWidget(label10, 2, 0);
    grid->addWidget(m_combo3, 2, 1, Qt::AlignLeft);
    grid->addWidget(m_check8, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    return m_reviewFrame;
}

void frmOptions::applyReviewChoices() {
    AppState& a = app();
    a.desiredRetention = m_spin1->value();
    a.newCardsPerDay = m_spin2->value();
    a.dayStartHour = m_combo3->currentIndex();
    a.intervalFuzz = m_check8->isChecked();
    review::applyOptions();
}

void frmOptions::load() {
    AppState& a = app();
    m_check1->setEnabled(a.alphaSupported);
    m_check1->setChecked(a.alphaEffects);
    {
        // The level runs 0..255, the slider 1..100: a level outside is shown at the nearer
        // end and kept until the user moves the slider.
        const QSignalBlocker quiet(m_slider1);
        m_slider1->setValue(std::clamp(a.alphaLevel, 1, 100));
    }
    setFadeEnabled(a.alphaEffects && a.alphaSupported);
    m_check2->setChecked(a.showMouseHover);
    m_check3->setChecked(troubledefault);
    m_check3->setText(check3Caption(a.troubleDefaultPending, troubledefault));
    m_combo1->setCurrentIndex(std::clamp(a.cardDirection, 0, 2));
    m_check5->setChecked(a.typeAnswers);
    m_check6->setChecked(a.forgiveAccents);
    m_check7->setChecked(a.rightClearsTrouble);
    m_combo2->setCurrentIndex(std::clamp(a.roundSummary, 0, 2));
    m_combo4->setCurrentIndex(std::clamp(a.readAloud, 0, 2));
    m_check9->setChecked(a.listeningDrill);
    // Spin boxes hold their own range; an hour outside the day is shown as the default.
    m_spin1->setValue(a.desiredRetention);
    m_spin2->setValue(a.newCardsPerDay);
    m_combo3->setCurrentIndex(a.dayStartHour >= 0 && a.dayStartHour <= 23 ? a.dayStartHour : 4);
    m_check8->setChecked(a.intervalFuzz);

    RestoreWindowPosition(this);
    show();
    m_timer1->start();
    Pause(10, true);
    if (m_unloaded)
        return;

    snapshotStoredColours();
    m_data = std::make_shared<r_data>();
    // Only OK stores the preview's colours; releasing the copy writes nothing.
    m_data->setWriteOnRelease(false);
    m_data->setMaintext(QStringLiteral("maintext"));
    m_data->setToplefttext(QStringLiteral("tltext"));
    m_data->setToprighttext(QStringLiteral("trtext"));
    m_data->setBottomlefttext(QStringLiteral("bltext"));
    m_data->setBottomrighttext(QStringLiteral("brtext"));
    m_renderer = std::make_unique<r_renderer>();
    m_renderer->init(m_picture2, m_data, 50.0f, 0, 0);
    m_renderer->drawtobuffer(true);
    m_renderer->StartTimer();
    LogMessage(QStringLiteral(" .. frmOptions renderer loaded/n"), 3);
    m_loaded = true;

    fillColourList();
    tabChanged();
}

void frmOptions::tabChanged() {
    for (QWidget* p : m_panes)
        p->hide();
    const int pane = std::clamp(m_ts->currentIndex(), 0, 2);
    m_panes[pane]->show();
    if (!m_loaded || !m_renderer)
        return;
    // As the window has always done it: the preview's own refresh timer rests while the
    // preview is in sight (Timer1 copies it then) and runs while it is hidden.
    if (m_panes[0]->isVisibleTo(this))
        m_renderer->HaltTimer();
    else
        m_renderer->StartTimer();
}

void frmOptions::nextTab() { m_ts->setCurrentIndex((m_ts->currentIndex() + 1) % m_ts->count()); }

void frmOptions::setFadeEnabled(bool on) {
    m_fadeFrame->setEnabled(on);
    for (QWidget* w : {static_cast<QWidget*>(m_label3), static_cast<QWidget*>(m_label4),
                       static_cast<QWidget*>(m_label5), static_cast<QWidget*>(m_slider1)})
        w->setEnabled(on);
}

void frmOptions::fillColourList() {
    m_lv->clear();
    if (!m_data)
        return;
    for (int i = m_data->clb(); i <= m_data->cub(); ++i) {
        QString alias;
        qint32 colour = 0;
        m_data->cenum(qint16(i), alias, colour);
        if (alias.trimmed().isEmpty())
            continue;
        auto* item = new QListWidgetItem(QString(alias).replace(QLatin1Char('_'), QLatin1Char(' ')), m_lv);
        // The shown text turns "_" into blanks; the alias itself is kept beside it, so an
        // alias that holds a blank of its own is still found.
        item->setData(kAliasRole, alias);
    }
}

void frmOptions::itemSelected(QListWidgetItem* item) {
    if (!item || !m_data)
        return;
    setCommand3Colour(m_data->GetColorByAlias(item->data(kAliasRole).toString(), 0));
    m_command3->setEnabled(true);
}

void frmOptions::setCommand3Colour(qint32 colour) {
    m_command3Colour = colour;
    m_command3->setStyleSheet(QStringLiteral("QPushButton#Command3 { background-color: %1; border: 1px solid #808080; }"
                                             "QPushButton#Command3:disabled { border-color: #c0c0c0; }")
                                  .arg(css(colour)));
}

void frmOptions::Command3Click() {
    m_lv->setEnabled(false);
    m_command3->setEnabled(false);
    GCommonDialog dialog;
    qint32 colour = m_command3Colour;
    const bool chosen = dialog.VBChooseColor(colour, true, true, false, this);
    if (m_unloaded)
        return;
    if (chosen) {
        setCommand3Colour(colour);
        if (QListWidgetItem* item = m_lv->currentItem(); item && m_data)
            m_data->UpdateColorByAlias(item->data(kAliasRole).toString(), colour);
    }
    m_lv->setEnabled(true);
    m_command3->setEnabled(true);
    // While the list and the colour button were disabled the focus moved on to "reset
    // defaults", where the next Space would reset every colour: it goes back to the list.
    m_lv->setFocus(Qt::OtherFocusReason);
    if (m_renderer)
        m_renderer->drawtobuffer(true);
}

void frmOptions::Command4Click() {
    if (!m_data)
        return;
    SettingsOccasion occasion;
    m_data->setdefaults();
    m_defaultsWritten = true;
    if (m_renderer)
        m_renderer->drawtobuffer(true);
}

void frmOptions::timerTick() {
    if (!m_loaded || !m_renderer)
        return;
    m_renderer->drawtobuffer(true);
    m_renderer->Refresh();
}

void frmOptions::check3Released() {
    if (!m_loaded)
        return;
    AppState& a = app();
    const bool chosen = m_check3->isChecked();
    if (chosen == troubledefault) {
        a.troubleDefaultPending = chosen;
        m_check3->setText(kTroubleCaption);
        return;
    }
    const MsgResult answer =
        prompter().ask(MsgIcon::Question, MsgButtons::YesNoCancel, QStringLiteral("Persistency"),
                       QStringLiteral("You can enforce this change immediately or at the program's next run. If you "
                                      "enforce it immediately, then all cards' trouble status will be reset."));
    if (m_unloaded)
        return;
    switch (answer) {
    case MsgResult::Yes:
        troubledefault = chosen;
        a.troubleDefaultPending = chosen;
        ResetAllTrouble();
        ShowCurrentCard();
        m_check3->setText(kTroubleCaption);
        if (frmMain* w = mainWindow())
            w->Check2()->setChecked(chosen);
        break;
    case MsgResult::No:
        a.troubleDefaultPending = chosen;
        m_check3->setText(check3Caption(chosen, troubledefault));
        m_check3->setChecked(troubledefault);
        break;
    default:
        m_check3->setChecked(troubledefault);
        break;
    }
}

void frmOptions::check4Clicked(bool checked) {
    if (!checked)
        return;
    prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Preferences"),
                   QStringLiteral("You will lose all custom settings if you continue with this option. If you are "
                                  "unsure, uncheck the box before closing the Preferences dialog."));
}

void frmOptions::Command1Click() {
    if (m_unloaded)
        return;
    SettingsOccasion occasion;
    if (m_check4->isChecked())
        RequestDatabaseReset();
    if (m_data)
        m_data->writeout();
    if (auto main = mainRenderData())
        main->readin();
    if (r_renderer* r = mainRenderer()) {
        r->drawtobuffer(true);
        r->Refresh();
    }
    ApplyTheme();
    applyReviewChoices();
    m_confirmed = true;
    unload();
}

void frmOptions::Command2Click() { unload(); }

void frmOptions::closeEvent(QCloseEvent* e) {
    unload();
    e->accept();
}

void frmOptions::stopPreview() {
    m_timer1->stop();
    LogMessage(QStringLiteral(" .. frmOptions renderer halted/n"), 3);
    if (m_renderer)
        m_renderer->killrenderer(true);
    m_renderer.reset();
    m_data.reset();
}

void frmOptions::unload() {
    if (m_unloaded)
        return;
    SettingsOccasion occasion;
    m_unloaded = true;
    m_loaded = false;
    stopPreview();
    if (!m_confirmed && m_defaultsWritten)
        restoreStoredColours();
    SaveWindowPosition(this, false);
    // The shutdown's window list skips it from now on; the object goes with the event loop.
    setProperty("quarnelUnloaded", true);
    if (instance() == this)
        instance() = nullptr;
    hide();
    deleteLater();
}

void frmOptions::snapshotStoredColours() {
    m_storedColours.clear();
    withColourStore([this](ivordalite& store) {
        for (int i = store.lb(); i <= store.ub(); ++i) {
            QString name, valuestring, tag;
            bool isstring = false;
            qint32 valuelong = 0;
            store.ienum(qint16(i), name, isstring, valuestring, valuelong, tag);
            if (!isstring && tag == kColourTag)
                m_storedColours.append({name, valuelong});
        }
    });
}

void frmOptions::restoreStoredColours() {
    withColourStore([this](ivordalite& store) {
        for (const auto& [alias, colour] : std::as_const(m_storedColours))
            if (!SettingsOccasion::add(store, alias, QString(), colour, kColourTag))
                return;
        if (SettingsOccasion::save(store))
            LogMessage(QStringLiteral("put back ") + QString::number(m_storedColours.size()) +
                       QStringLiteral(" color definitions/n"));
    });
}
