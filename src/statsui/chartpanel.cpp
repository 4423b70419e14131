#include "chartpanel.h"

#include "appstate.h"
#include "gcommondialog.h"
#include "prompter.h"
#include "regularfile.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QBuffer>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QStackedWidget>
#include <QSvgGenerator>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>

namespace statsui {

namespace {
QWidget* viewportOf(QWidget* w) {
    auto* area = qobject_cast<QAbstractScrollArea*>(w);
    return area ? area->viewport() : nullptr;
}

// A file name from a chart's title: "Coming Due.png".
QString proposedName(const QString& title) {
    QString name = title;
    name.replace(QLatin1Char('/'), QLatin1Char(' '));
    return name + QStringLiteral(".png");
}
} // namespace

ChartPanel::ChartPanel(const QString& title, QWidget* chart, QWidget* parent)
    : QWidget(parent), m_titleText(title), m_chart(chart) {
    m_title = new QLabel(title, this);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);

    m_table = new QTableWidget(this);
    m_table->setObjectName(QStringLiteral("table"));
    m_table->setAccessibleName(title);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_table->installEventFilter(this);
    m_table->viewport()->installEventFilter(this);

    m_stack = new QStackedWidget(this);
    if (m_chart) {
        m_chart->setParent(m_stack);
        m_chart->setObjectName(QStringLiteral("chart"));
        m_chart->setAccessibleName(title);
        m_chart->setFocusPolicy(Qt::StrongFocus);
        m_chart->installEventFilter(this);
        if (QWidget* v = viewportOf(m_chart))
            v->installEventFilter(this);
        m_stack->addWidget(m_chart);
    }
    m_stack->addWidget(m_table);
    m_title->setBuddy(m_stack->currentWidget());

    auto* lay = new QVBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->addWidget(m_title);
    lay->addWidget(m_stack, 1);
}

void ChartPanel::setFigures(const FigureTable& figures) {
    m_figures = figures;
    m_table->clear();
    m_table->setColumnCount(int(figures.header.size()));
    m_table->setRowCount(int(figures.rows.size()));
    m_table->setHorizontalHeaderLabels(figures.header);
    for (int r = 0; r < figures.rows.size(); ++r) {
        const QStringList& row = figures.rows.at(r);
        for (int c = 0; c < row.size(); ++c) {
            auto* item = new QTableWidgetItem(row.at(c));
            if (c > 0)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    m_highlight = -1;
    if (drawHighlight)
        drawHighlight(-1);
    if (m_chart)
        m_chart->setAccessibleDescription(QString());
}

void ChartPanel::setShowTable(bool on) {
    if (!m_chart)
        return;
    const bool hadFocus = shown()->hasFocus();
    m_stack->setCurrentWidget(on ? static_cast<QWidget*>(m_table) : m_chart);
    m_title->setBuddy(shown());
    if (hadFocus)
        shown()->setFocus();
}

bool ChartPanel::showsTable() const { return m_stack->currentWidget() == m_table; }

QWidget* ChartPanel::shown() const { return m_stack->currentWidget(); }

void ChartPanel::setHighlighted(int row) {
    if (row < -1 || row >= m_figures.rows.size())
        return;
    m_highlight = row;
    if (drawHighlight)
        drawHighlight(row);
    if (row >= 0)
        m_table->selectRow(row);
    announce();
}

void ChartPanel::announce() {
    if (!m_chart)
        return;
    m_chart->setAccessibleDescription(m_figures.describe(m_highlight, QStringLiteral("; ")));
    if (m_highlight >= 0 && m_chart->isVisible())
        QToolTip::showText(highlightedGlobalPos(), m_figures.describe(m_highlight, QStringLiteral("\n")), m_chart);
    else
        QToolTip::hideText();
}

QPoint ChartPanel::highlightedGlobalPos() const {
    const QPoint local = itemPos && m_highlight >= 0 ? itemPos(m_highlight) : m_chart->rect().center();
    return m_chart->mapToGlobal(local);
}

QMenu* ChartPanel::openMenu(const QPoint& globalPos) {
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("chartMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction* save = menu->addAction(QStringLiteral("&Save Image..."), this, [this] { saveImage(); });
    save->setObjectName(QStringLiteral("saveImage"));
    save->setEnabled(m_chart != nullptr);
    menu->addAction(QStringLiteral("&Copy Figures"), this, [this] { copyFigures(); })
        ->setObjectName(QStringLiteral("copyFigures"));
    menu->popup(globalPos);
    return menu;
}

void ChartPanel::copyFigures() const { QGuiApplication::clipboard()->setText(m_figures.tsv()); }

void ChartPanel::saveImage() {
    if (!m_chart)
        return;
    GCommonDialog dlg;
    QString fileName = proposedName(m_titleText), fileTitle;
    QString filter = QStringLiteral("PNG image (*.png)|*.png|SVG image (*.svg)|*.svg");
    qint32 filterIndex = 1, flags = 0;
    if (!dlg.VBGetSaveFileName(fileName, fileTitle, true, filter, filterIndex, app().homeFolder,
                               QStringLiteral("Save Image"), QStringLiteral("png"), this, flags))
        return;
    // A name without a known ending gets the chosen type's.
    const QString lower = fileName.toLower();
    if (!lower.endsWith(QLatin1String(".png")) && !lower.endsWith(QLatin1String(".svg")))
        fileName += filterIndex == 2 ? QStringLiteral(".svg") : QStringLiteral(".png");
    QString error;
    if (!writeImage(fileName, &error))
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't save image"),
                       QStringLiteral("The file '") + fileName + QStringLiteral("' couldn't be written: ") + error);
}

bool ChartPanel::writeImage(const QString& path, QString* error) const {
    auto fail = [error](const QString& why) {
        if (error)
            *error = why;
        return false;
    };
    if (!m_chart)
        return fail(QStringLiteral("this table has no picture"));
    const QSize size = m_chart->size();
    auto paint = [&](QPainter* p) {
        p->setRenderHint(QPainter::Antialiasing);
        p->setRenderHint(QPainter::TextAntialiasing);
        if (paintTo)
            paintTo(p, size);
        else
            m_chart->render(p, QPoint(), QRegion(), QWidget::DrawChildren);
    };
    // The whole picture is made first, then written through the save file in one piece.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&buffer);
        svg.setSize(size);
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(m_titleText);
        QPainter p;
        if (!p.begin(&svg))
            return fail(QStringLiteral("the picture could not be drawn"));
        p.fillRect(QRect(QPoint(0, 0), size), palette().color(QPalette::Window));
        paint(&p);
        p.end();
    } else {
        const qreal ratio = m_chart->devicePixelRatioF();
        QImage image(QSize(qRound(size.width() * ratio), qRound(size.height() * ratio)),
                     QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(palette().color(QPalette::Window));
        QPainter p(&image);
        paint(&p);
        p.end();
        if (!image.save(&buffer, "PNG"))
            return fail(QStringLiteral("the picture could not be encoded"));
    }
    QString why;
    return writeFileWhole(path, buffer.data(), why) || fail(why);
}

bool ChartPanel::eventFilter(QObject* watched, QEvent* event) {
    QWidget* w = qobject_cast<QWidget*>(watched);
    const bool onChart = m_chart && (watched == m_chart || w == viewportOf(m_chart));
    switch (event->type()) {
    case QEvent::ToolTip:
        if (onChart) {
            auto* help = static_cast<QHelpEvent*>(event);
            const int row = itemAt ? itemAt(w->mapTo(m_chart, help->pos())) : -1;
            if (row >= 0)
                QToolTip::showText(help->globalPos(), m_figures.describe(row, QStringLiteral("\n")), m_chart);
            else
                QToolTip::hideText();
            return true;
        }
        break;
    case QEvent::ContextMenu:
        openMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    case QEvent::KeyPress:
        if (watched == m_chart || watched == m_table) {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool menuKey = key->key() == Qt::Key_Menu ||
                                 (key->key() == Qt::Key_F10 && (key->modifiers() & Qt::ShiftModifier));
            if (menuKey) {
                openMenu(watched == m_chart ? highlightedGlobalPos() : m_table->mapToGlobal(QPoint(20, 20)));
                return true;
            }
            if (watched != m_chart || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
                break;
            const int last = int(m_figures.rows.size()) - 1;
            if (last < 0)
                break;
            int row = m_highlight;
            switch (key->key()) {
            case Qt::Key_Right:
                row = row < 0 ? 0 : std::min(row + 1, last);
                break;
            case Qt::Key_Left:
                row = row < 0 ? last : std::max(row - 1, 0);
                break;
            case Qt::Key_Home:
                row = 0;
                break;
            case Qt::Key_End:
                row = last;
                break;
            default:
                return QWidget::eventFilter(watched, event);
            }
            setHighlighted(row);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace statsui
