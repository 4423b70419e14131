#include "frmviewer.h"

#include "appstate.h"
#include "cardmanager.h"
#include "cardview.h"
#include "deck.h"
#include "frmprogress.h"
#include "modmain.h"
#include "windowroles.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QPointer<frmViewer>& instance() {
    static QPointer<frmViewer> v;
    return v;
}

const QString kRestCaption = QStringLiteral("Item Viewer");

// A slot of the card range for a number shown in a row, or -1. The rows may be older than
// the deck (a new session loads another one), so the number is checked again.
int slotOfNumber(qint16 number) {
    const int slot = int(number) - 1;
    return slot >= 0 && slot < deckUpper() ? slot : -1;
}
} // namespace

frmViewer::frmViewer() {
    setObjectName(QStringLiteral("frmViewer"));
    installWindowRoles();
    setWindowTitle(kRestCaption);
    setAttribute(Qt::WA_DeleteOnClose, false);

    m_model = new ViewerModel(this);
    m_lv = new QTableView(this);
    m_lv->setObjectName(QStringLiteral("LV"));
    m_lv->setAccessibleName(QStringLiteral("Cards"));
    m_lv->setModel(m_model);
    m_lv->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_lv->setSelectionMode(QAbstractItemView::SingleSelection);
    m_lv->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_lv->setWordWrap(false);
    m_lv->setShowGrid(false);
    m_lv->verticalHeader()->hide();
    m_lv->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_lv->verticalHeader()->setDefaultSectionSize(m_lv->fontMetrics().height() + 6);
    m_lv->horizontalHeader()->setStretchLastSection(true);
    m_lv->horizontalHeader()->setHighlightSections(false);
    m_lv->viewport()->installEventFilter(this);
    m_lv->installEventFilter(this);

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(m_lv);

    connect(m_lv, &QTableView::clicked, this, &frmViewer::rowClicked);
    connect(m_model, &ViewerModel::troubleToggled, this, &frmViewer::troubleToggled);
    // Every fill (all cards, a search, the memory view) ends with a reset of the model.
    connect(m_model, &QAbstractItemModel::modelReset, this, &frmViewer::fitColumns);

    resize(640, 360);
}

frmViewer::~frmViewer() = default;

void frmViewer::fitColumns() {
    const int n = m_model->columnCount();
    if (n == 0)
        return;
    if (layout())
        layout()->activate();
    QHeaderView* header = m_lv->horizontalHeader();
    // What each column needs: its widest text (the view looks at a sample of the rows, so a
    // full deck is measured quickly) and its title.
    QList<int> need(n), order(n);
    for (int c = 0; c < n; ++c) {
        need[c] = std::max(static_cast<QAbstractItemView*>(m_lv)->sizeHintForColumn(c), header->sectionSizeHint(c));
        order[c] = c;
    }
    // The narrow columns get what they need; the wide ones share what is left of the window.
    std::stable_sort(order.begin(), order.end(), [&need](int a, int b) { return need[a] < need[b]; });
    int left = m_lv->viewport()->width();
    for (int i = 0; i < n; ++i) {
        const int c = order[i];
        const int share = std::max(left / (n - i), header->minimumSectionSize());
        const int width = std::min(need[c], share);
        header->resizeSection(c, width);
        left -= width;
    }
}

frmProgress* frmViewer::ensureProgressWindow() {
    if (!m_progress)
        m_progress = new frmProgress(this);
    return m_progress;
}

void frmViewer::addItem(qint16 number, const QString& question, const QString& answer, qint16 views,
                        const QString& chapter, bool trouble, bool boldQuestion, bool boldAnswer) {
    if (m_model->mode() != ViewerModel::Mode::Cards && !m_model->filling()) {
        // A card row after the memory view: the card columns come back first.
        m_model->beginFill(ViewerModel::Mode::Cards);
        m_model->endFill();
    }
    m_model->appendCard({number, question, answer, views, chapter, trouble, boldQuestion, boldAnswer});
}

void frmViewer::showMemoryUsage() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    QByteArray text;
    if (maps.open(QIODevice::ReadOnly))
        text = maps.readAll();
    const QList<MemoryRegion> regions = privateMemoryRegions(text);
    quint64 total = 0;
    m_model->beginFill(ViewerModel::Mode::Memory);
    for (const MemoryRegion& r : regions) {
        m_model->appendMemory({r.address, r.width});
        total += r.width;
    }
    m_model->endFill();
    setWindowTitle(QStringLiteral("Total hunk memory usage: ") + formatHunkTotal(total) + QStringLiteral(" bytes"));
    BringToFront(this);
}

void frmViewer::closeEvent(QCloseEvent* e) {
    SaveWindowPosition(this, false);
    e->accept();
    if (m_progress)
        m_progress->hide();
    if (instance() == this)
        instance() = nullptr;
    deleteLater();
}

bool frmViewer::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_lv->viewport() && e->type() == QEvent::MouseButtonPress)
        m_toggledByMouse = false;
    // From the keyboard: Return on a row jumps to its card, Space ticks the row's box,
    // whichever column of the row is current.
    if (watched == m_lv && e->type() == QEvent::KeyPress) {
        const auto* k = static_cast<QKeyEvent*>(e);
        const QModelIndex current = m_lv->currentIndex();
        if (current.isValid() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
                m_toggledByMouse = false;
                rowClicked(current);
                return true;
            }
            if (k->key() == Qt::Key_Space && m_model->mode() == ViewerModel::Mode::Cards) {
                const QModelIndex box = m_model->index(current.row(), 0);
                const bool on = box.data(Qt::CheckStateRole).toInt() == Qt::Checked;
                m_model->setData(box, on ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
                m_toggledByMouse = false;
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, e);
}

void frmViewer::rowClicked(const QModelIndex& index) {
    if (m_toggledByMouse) {
        m_toggledByMouse = false;
        return;
    }
    if (!index.isValid() || m_model->mode() != ViewerModel::Mode::Cards)
        return;
    const int slot = slotOfNumber(m_model->cardRow(index.row()).number);
    if (slot < 0)
        return;
    curcard = qint16(slot);
    ShowCurrentCard();
}

void frmViewer::troubleToggled(qint16 number, bool trouble) {
    m_toggledByMouse = true;
    const int slot = slotOfNumber(number);
    if (slot >= 0)
        deck[slot].trouble = trouble ? -1 : 0;
}

frmViewer* viewerWindow() {
    frmViewer* v = instance();
    // The shutdown unloads windows without closing them.
    if (v && v->property("quarnelUnloaded").toBool())
        return nullptr;
    return v;
}

frmViewer* loadViewerWindow() {
    if (frmViewer* v = viewerWindow())
        return v;
    auto* v = new frmViewer;
    instance() = v;
    CardView* card = cardManagerHooks().cardWindow ? cardManagerHooks().cardWindow() : nullptr;
    RestoreWindowPositionBeside(v, card ? card->window() : nullptr);
    return v;
}

void unloadViewerWindow() {
    if (frmViewer* v = viewerWindow())
        v->close();
}

void ViewAllCards() {
    frmViewer* v = loadViewerWindow();
    v->setWindowTitle(QStringLiteral("Item Viewer - Items Loading .. Please Wait .."));
    v->show();
    QPointer<frmProgress> progress = v->ensureProgressWindow();
    progress->setWindowTitle(QStringLiteral("Loading List ..."));
    progress->show();
    QPointer<frmViewer> guard = v;
    QCoreApplication::processEvents();
    // While events ran, the viewer may have been closed or the program may have begun to end.
    if (!guard || viewerWindow() != v || app().shutdownSignal) {
        if (progress)
            progress->hide();
        return;
    }

    QTableView* lv = v->LV();
    ViewerModel* model = v->model();
    lv->setUpdatesEnabled(false);
    model->beginFill(ViewerModel::Mode::Cards);
    const int n = deckUpper();
    QProgressBar* pb = progress->PB();
    // One card gives the empty range 0..0; no card at all gives the same.
    pb->setRange(0, qMax(0, n - 1));
    for (int i = 0; i < n; ++i) {
        const Card& c = deck.at(i);
        AddViewerItem(qint16(i + 1), c.question, c.answer, c.timesviewed, c.chaptertitle, c.trouble != 0, false,
                      false);
        pb->setValue(i);
    }
    model->endFill();
    lv->setUpdatesEnabled(true);
    progress->hide();
    v->setWindowTitle(kRestCaption);
    BringToFront(v);
}

void AddViewerItem(qint16 number, const QString& question, const QString& answer, qint16 views,
                   const QString& chapter, bool trouble, bool boldQuestion, bool boldAnswer) {
    // Called once per row of a fill: the loaded window is taken as it is, without the
    // (slower) look at whether the shutdown is unloading it.
    frmViewer* v = instance();
    if (!v)
        v = loadViewerWindow();
    v->addItem(number, question, answer, views, chapter, trouble, boldQuestion, boldAnswer);
}

QList<MemoryRegion> privateMemoryRegions(const QByteArray& maps) {
    QList<MemoryRegion> out;
    for (const QByteArray& line : maps.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        const QByteArray& range = fields.at(0);
        const QByteArray& perms = fields.at(1);
        if (perms.size() < 4 || perms.at(3) != 'p' || perms.startsWith("---"))
            continue;
        const int dash = range.indexOf('-');
        if (dash <= 0)
            continue;
        bool okStart = false, okEnd = false;
        const quint64 start = range.left(dash).toULongLong(&okStart, 16);
        const quint64 end = range.mid(dash + 1).toULongLong(&okEnd, 16);
        if (!okStart || !okEnd || end <= start)
            continue;
        out.append({start, end - start});
    }
    return out;
}

QString formatHunkTotal(quint64 total) {
    const QString digits = QString::number(total).rightJustified(8, QLatin1Char('0'));
    const QString sep = QLocale::system().groupSeparator();
    QString out;
    for (int i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += sep;
        out += digits.at(i);
    }
    return out;
}
