#include "pdfexport.h"

#include "printlayout.h"
#include "regularfile.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextOption>

namespace qredit {

namespace {
// Cut-out cards: three columns of five on a page.
constexpr int kCardColumns = 3;
constexpr int kCardRows = 5;

QTextOption textOption(const QString& text, Qt::Alignment alignment) {
    QTextOption o(alignment);
    o.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    o.setTextDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    return o;
}

// The height a text takes wrapped to `width`.
qreal wrappedHeight(const QFontMetricsF& fm, const QString& text, qreal width) {
    return fm.boundingRect(QRectF(0, 0, width, 1e6), Qt::TextWordWrap | Qt::TextWrapAnywhere, text).height();
}

void paintList(QPainter& p, QPagedPaintDevice& device, const QVector<CardRow>& rows, const QString& title) {
    const QRectF page(0, 0, p.device()->width(), p.device()->height());
    QFont body = p.font();
    body.setPointSizeF(11);
    QFont heading = body;
    heading.setPointSizeF(16);
    heading.setBold(true);
    QFont small = body;
    small.setPointSizeF(9);
    const QFontMetricsF bodyMetrics(body, p.device());
    const QFontMetricsF headingMetrics(heading, p.device());
    const QFontMetricsF smallMetrics(small, p.device());
    const qreal gap = bodyMetrics.height() * 0.6;
    const qreal column = (page.width() - gap) / 2;
    const qreal footer = smallMetrics.height() * 2;
    const qreal titleHeight = title.isEmpty() ? 0 : wrappedHeight(headingMetrics, title, page.width()) + gap;
    QVector<int> heights;
    heights.reserve(rows.size());
    const qreal pad = bodyMetrics.height() * 0.25;
    for (const CardRow& r : rows)
        heights.append(int(std::ceil(
            std::max(wrappedHeight(bodyMetrics, r.question, column), wrappedHeight(bodyMetrics, r.answer, column)) +
            2 * pad)));
    const int room = int(page.height() - footer);
    const QVector<ListPage> pages = listPages(heights, int(room - titleHeight), room);
    for (int n = 0; n < pages.size(); ++n) {
        if (n > 0)
            device.newPage();
        qreal y = 0;
        if (n == 0 && !title.isEmpty()) {
            p.setFont(heading);
            p.drawText(QRectF(0, 0, page.width(), titleHeight), title, textOption(title, Qt::AlignLeft | Qt::AlignTop));
            y = titleHeight;
        }
        p.setFont(body);
        for (int i = pages[n].first; i < pages[n].first + pages[n].count; ++i) {
            const CardRow& r = rows[i];
            p.drawText(QRectF(0, y + pad, column, heights[i]), r.question, textOption(r.question, Qt::AlignLeft));
            p.drawText(QRectF(column + gap, y + pad, column, heights[i]), r.answer,
                       textOption(r.answer, Qt::AlignLeft));
            y += heights[i];
            p.setPen(QPen(Qt::lightGray, 0));
            p.drawLine(QPointF(0, y), QPointF(page.width(), y));
            p.setPen(Qt::black);
        }
        p.setFont(small);
        const QString number = QStringLiteral("Page %1 of %2").arg(n + 1).arg(pages.size());
        p.drawText(QRectF(0, page.height() - smallMetrics.height(), page.width(), smallMetrics.height()), number,
                   QTextOption(Qt::AlignHCenter));
    }
}

void paintCards(QPainter& p, QPagedPaintDevice& device, const QVector<CardRow>& rows) {
    const QRectF page(0, 0, p.device()->width(), p.device()->height());
    const qreal w = page.width() / kCardColumns, h = page.height() / kCardRows;
    QFont body = p.font();
    body.setPointSizeF(14);
    p.setFont(body);
    const QVector<CardPage> pages = cardPages(int(rows.size()), kCardColumns, kCardRows);
    for (int n = 0; n < pages.size(); ++n) {
        if (n > 0)
            device.newPage();
        // Cut lines on both sides of the sheet, so that either side can be cut.
        p.setPen(QPen(Qt::gray, 0, Qt::DashLine));
        for (int c = 1; c < kCardColumns; ++c)
            p.drawLine(QPointF(c * w, 0), QPointF(c * w, page.height()));
        for (int r = 1; r < kCardRows; ++r)
            p.drawLine(QPointF(0, r * h), QPointF(page.width(), r * h));
        p.setPen(Qt::black);
        for (const CardCell& cell : pages[n].cells) {
            const QString& text = pages[n].backs ? rows[cell.card].answer : rows[cell.card].question;
            const QRectF box(cell.column * w, cell.row * h, w, h);
            p.drawText(box.adjusted(w * 0.08, h * 0.08, -w * 0.08, -h * 0.08), text, textOption(text, Qt::AlignCenter));
        }
    }
}
} // namespace

bool paintChapter(QPagedPaintDevice& device, const QVector<CardRow>& rows, const QString& title, PaperLayout layout,
                  QString& error) {
    QPainter p;
    if (!p.begin(&device)) {
        error = QStringLiteral("the pages can't be drawn");
        return false;
    }
    if (layout == PaperLayout::List)
        paintList(p, device, rows, title);
    else
        paintCards(p, device, rows);
    p.end();
    return true;
}

bool writeChapterPdf(const QString& path, const QVector<CardRow>& rows, const QString& title, PaperLayout layout,
                     QString& error) {
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&buffer);
        pdf.setResolution(300);
        pdf.setTitle(title);
        pdf.setCreator(QStringLiteral("qredit"));
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(15, 15, 15, 15),
                                      QPageLayout::Millimeter));
        if (!paintChapter(pdf, rows, title, layout, error))
            return false;
    }
    return writeFileWhole(path, bytes, error);
}

} // namespace qredit
