#include "frmfind.h"

#include "cardmanager.h"
#include "cardview.h"
#include "casefold.h"
#include "clstimer.h"
#include "deck.h"
#include "frmviewer.h"
#include "modmain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>
#include <string>

namespace {
QPointer<frmFind>& instance() {
    static QPointer<frmFind> f;
    return f;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    return b;
}

QCheckBox* checkBox(const QString& name, const QString& text, QWidget* parent) {
    auto* c = new QCheckBox(text, parent);
    c->setObjectName(name);
    c->setChecked(true);
    return c;
}

// Leading and trailing spaces only; other white space belongs to the search text.
QString trimSpaces(const QString& text) {
    qsizetype from = 0, to = text.size();
    while (from < to && text.at(from) == QLatin1Char(' '))
        ++from;
    while (to > from && text.at(to - 1) == QLatin1Char(' '))
        --to;
    return text.mid(from, to - from);
}

bool isChecked(const QCheckBox* box) { return box->checkState() == Qt::Checked; }

} // namespace

int sliderTickFrequency(int n) {
    const int whole = (n + 2) / 10;
    const int rest = (n + 2) % 10;
    if (rest > 5 || (rest == 5 && whole % 2 == 1))
        return whole + 1;
    return whole;
}

bool cardNumberFromText(const QString& text, double& number) {
    const QString t = text.trimmed();
    bool ok = false;
    double value = QLocale::system().toDouble(t, &ok);
    if (!ok)
        value = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(value))
        return false;
    number = std::floor(value);
    return true;
}

frmFind::frmFind() {
    setObjectName(QStringLiteral("frmFind"));
    setWindowTitle(QStringLiteral("Find Card"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_ts = new QTabWidget(this);
    m_ts->setObjectName(QStringLiteral("ts"));
    m_ts->setDocumentMode(true);

    // "Jump to ID"
    auto* jump = new QWidget;
    jump->setObjectName(QStringLiteral("pageJump"));
    auto* jumpLabel = new QLabel(QStringLiteral("Jump to"), jump);
    jumpLabel->setObjectName(QStringLiteral("Label2"));
    m_text1 = new QLineEdit(jump);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(QStringLiteral("Jump to card number"));
    m_slider = new QSlider(Qt::Horizontal, jump);
    m_slider->setObjectName(QStringLiteral("Slider1"));
    m_slider->setAccessibleName(QStringLiteral("Card number"));
    m_slider->setTickPosition(QSlider::TicksBelow);
    for (int i = 0; i < 2; ++i) {
        m_label1[i] = new QLabel(jump);
        m_label1[i]->setObjectName(QStringLiteral("Label1_%1").arg(i + 2));
    }
    m_label1[1]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPushButton* minButton = button(QStringLiteral("Command1"), QStringLiteral("min"), jump);
    QPushButton* maxButton = button(QStringLiteral("Command4"), QStringLiteral("max"), jump);
    QPushButton* goButton = button(QStringLiteral("Command3"), QStringLiteral("Go"), jump);
    auto* jumpLay = new QGridLayout(jump);
    jumpLay->addWidget(jumpLabel, 0, 0);
    jumpLay->addWidget(m_text1, 0, 1, 1, 2);
    jumpLay->addWidget(goButton, 0, 3);
    jumpLay->addWidget(m_slider, 1, 0, 1, 4);
    jumpLay->addWidget(m_label1[0], 2, 0);
    jumpLay->addWidget(minButton, 2, 1);
    jumpLay->addWidget(maxButton, 2, 2);
    jumpLay->addWidget(m_label1[1], 2, 3);
    jumpLay->setRowStretch(3, 1);

    // "Find by Name"
    auto* find = new QWidget;
    find->setObjectName(QStringLiteral("pageFind"));
    m_text2 = new QLineEdit(find);
    m_text2->setObjectName(QStringLiteral("Text2"));
    m_text2->setAccessibleName(QStringLiteral("Find text"));
    auto* frame = new QGroupBox(QStringLiteral("Search in ..."), find);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_check1 = checkBox(QStringLiteral("Check1"), QStringLiteral("Questions"), frame);
    m_check2 = checkBox(QStringLiteral("Check2"), QStringLiteral("Answers"), frame);
    auto* frameLay = new QHBoxLayout(frame);
    frameLay->addWidget(m_check1);
    frameLay->addWidget(m_check2);
    m_check3 = checkBox(QStringLiteral("Check3"), QStringLiteral("Match Case"), find);
    QPushButton* searchButton = button(QStringLiteral("Command5"), QStringLiteral("Search"), find);
    auto* hint = new QLabel(QStringLiteral("Type * to display all loaded cards"), find);
    hint->setObjectName(QStringLiteral("Label3"));
    auto* findLay = new QGridLayout(find);
    findLay->addWidget(m_text2, 0, 0);
    findLay->addWidget(searchButton, 0, 1);
    findLay->addWidget(frame, 1, 0);
    findLay->addWidget(m_check3, 1, 1);
    findLay->addWidget(hint, 2, 0, 1, 2);
    findLay->setRowStretch(3, 1);

    m_ts->addTab(jump, QStringLiteral("Jump to ID"));
    m_ts->addTab(find, QStringLiteral("Find by Name"));
    m_ts->setCurrentIndex(0);
    // Return runs the command of the page in view: Go on "Jump to ID", Search on "Find by
    // Name". Only a button that already sits in the dialog can become its default.
    const auto defaultOfPage = [goButton, searchButton](int page) {
        goButton->setDefault(page == 0);
        searchButton->setDefault(page == 1);
    };
    defaultOfPage(0);
    connect(m_ts, &QTabWidget::currentChanged, this, defaultOfPage);

    QPushButton* done = button(QStringLiteral("Command2"), QStringLiteral("Done"), this);
    done->setAutoDefault(false);
    auto* lay = new QVBoxLayout(this);
    lay->addWidget(m_ts);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(done);
    lay->addLayout(bottom);
    resize(380, 220);

    CardView* card = cardManagerHooks().cardWindow ? cardManagerHooks().cardWindow() : nullptr;
    RestoreWindowPositionBeside(this, card ? card->window() : nullptr);

    // The range, the labels and the start value are those of the deck at load time.
    const int n = deckUpper();
    m_label1[0]->setText(QStringLiteral("1"));
    m_label1[1]->setText(QString::number(n));
    m_slider->setMinimum(1);
    m_slider->setMaximum(n);
    m_slider->setValue(curcard + 1);
    m_slider->setTickInterval(sliderTickFrequency(n));
    m_text1->setText(QString::number(curcard + 1));

    connect(m_slider, &QSlider::valueChanged, this, [this](int v) { m_text1->setText(QString::number(v)); });
    // The number box follows the slider even when the slider is already at that end.
    connect(minButton, &QPushButton::clicked, this, [this] {
        m_slider->setValue(m_slider->minimum());
        m_text1->setText(QString::number(m_slider->value()));
    });
    connect(maxButton, &QPushButton::clicked, this, [this] {
        m_slider->setValue(m_slider->maximum());
        m_text1->setText(QString::number(m_slider->value()));
    });
    connect(goButton, &QPushButton::clicked, this, &frmFind::goClicked);
    connect(searchButton, &QPushButton::clicked, this, [] { SearchCards(); });
    connect(done, &QPushButton::clicked, this, &QWidget::close);
}

frmFind::~frmFind() = default;

QLabel* frmFind::Label1(int element) const {
    return element == 2 || element == 3 ? m_label1[element - 2] : nullptr;
}

void frmFind::reject() { close(); }

void frmFind::closeEvent(QCloseEvent* e) {
    e->accept();
    if (m_closing)
        return;
    m_closing = true;
    SaveWindowPosition(this, false);
    unloadViewerWindow();
    if (instance() == this)
        instance() = nullptr;
    hide();
    deleteLater();
}

void frmFind::goClicked() {
    double k = 0, low = 0, high = 0;
    if (!cardNumberFromText(m_text1->text(), k) || !cardNumberFromText(m_label1[0]->text(), low) ||
        !cardNumberFromText(m_label1[1]->text(), high))
        return;
    if (k < low || k > high)
        return;
    // The labels date from the window's load; the deck may have been replaced since.
    if (k < 1 || k > deckUpper())
        return;
    curcard = qint16(k - 1);
    ShowCurrentCard();
}

frmFind* findWindow() {
    frmFind* f = instance();
    if (f && f->property("quarnelUnloaded").toBool())
        return nullptr;
    return f;
}

void ShowFindWindow() {
    frmFind* f = findWindow();
    if (!f) {
        f = new frmFind;
        instance() = f;
    }
    BringToFront(f);
}

void SearchCards() {
    frmFind* f = findWindow();
    if (!f)
        return;
    const QString text = trimSpaces(f->Text2()->text());
    f->Text2()->setText(text);
    if (text == QLatin1String("*") || text.isEmpty()) {
        ViewAllCards();
        return;
    }
    if (text == QLatin1String("show_mem_usage")) {
        loadViewerWindow()->showMemoryUsage();
        return;
    }
    frmViewer* v = loadViewerWindow();
    v->show();
    const bool matchCase = isChecked(f->Check3());
    const bool inQuestions = isChecked(f->Check1());
    const bool inAnswers = isChecked(f->Check2());
    const QString needle = matchCase ? text : foldCase(text);

    ViewerModel* model = v->model();
    model->beginFill(ViewerModel::Mode::Cards);
    clsTimer timer;
    timer.ResetTimer();
    int count = 0;
    const int upper = deckUpper();
    std::u16string buffer;
    const auto hit = [&](const QString& text) {
        return matchCase ? text.contains(needle) : foldCase(text, buffer).contains(needle);
    };
    for (int i = 0; i <= upper; ++i) {
        const Card& c = deck.at(i);
        const bool questionHit = inQuestions && hit(c.question);
        const bool answerHit = inAnswers && hit(c.answer);
        if (questionHit || answerHit) {
            AddViewerItem(qint16(i + 1), c.question, c.answer, c.timesviewed, c.chaptertitle, c.trouble != 0,
                          questionHit, answerHit);
            ++count;
        }
    }
    timer.StopTimer();
    model->endFill();
    v->setWindowTitle(timer.strElapsed(QStringLiteral("Item Viewer - [found ") + QString::number(count) +
                                       QStringLiteral(" items in %t seconds]")));
    BringToFront(v);
}
