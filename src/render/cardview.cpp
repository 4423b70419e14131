#include "cardview.h"

#include <QPainter>
#include <QPaintEvent>
#include <array>
#include <cstring>

namespace {
// The card's surfaces and the shown picture share one 32-bit layout, so copies are row copies.
constexpr QImage::Format kFormat = QImage::Format_RGB32;

QImage asShownFormat(const QImage& src) {
    return src.format() == kFormat ? src : src.convertToFormat(kFormat);
}
} // namespace

CardView::CardView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(QString());
}

void CardView::ensureShownCovers(const QSize& size, qreal ratio) {
    // A picture of another ratio (the window moved to another screen) starts afresh.
    if (!m_shown.isNull() && m_shown.devicePixelRatio() != ratio)
        m_shown = QImage();
    if (!m_shown.isNull() && m_shown.width() >= size.width() && m_shown.height() >= size.height())
        return;
    QImage grown(qMax(size.width(), m_shown.width()), qMax(size.height(), m_shown.height()), kFormat);
    grown.setDevicePixelRatio(ratio);
    grown.fill(Qt::black);
    if (!m_shown.isNull()) {
        QPainter p(&grown);
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, m_shown);
    }
    m_shown = grown;
    ++m_generation;
}

QRect CardView::toWidget(const QRect& pixels) const {
    const qreal r = m_shown.isNull() ? 1.0 : m_shown.devicePixelRatio();
    if (r == 1.0)
        return pixels;
    return QRectF(pixels.x() / r, pixels.y() / r, pixels.width() / r, pixels.height() / r).toAlignedRect();
}

bool CardView::samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.depth() != 32 || b.depth() != 32)
        return false;
    const size_t rowBytes = size_t(a.width()) * 4;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

bool CardView::shows(const QImage& src) const {
    if (m_shown.isNull() || src.isNull() || m_shown.width() < src.width() || m_shown.height() < src.height())
        return false;
    if (src.depth() != 32)
        return false;
    const size_t rowBytes = size_t(src.width()) * 4;
    for (int y = 0; y < src.height(); ++y)
        if (std::memcmp(m_shown.constScanLine(y), src.constScanLine(y), rowBytes) != 0)
            return false;
    return true;
}

void CardView::copyFrom(const QImage& src) {
    if (src.isNull())
        return;
    copyFrom(src, 0, 0, src.width(), src.height(), 0, 0);
}

void CardView::copyFrom(const QImage& srcIn, int x, int y, int width, int height, int srcX, int srcY) {
    if (srcIn.isNull() || width <= 0 || height <= 0)
        return;
    const QImage src = asShownFormat(srcIn);
    QRect from = QRect(srcX, srcY, width, height).intersected(src.rect());
    if (from.isEmpty())
        return;
    x += from.x() - srcX;
    y += from.y() - srcY;
    if (x < 0 || y < 0) {
        from.adjust(qMax(0, -x), qMax(0, -y), 0, 0);
        x = qMax(0, x);
        y = qMax(0, y);
        if (from.isEmpty())
            return;
    }
    ensureShownCovers(QSize(x + from.width(), y + from.height()), src.devicePixelRatio());
    const size_t rowBytes = size_t(from.width()) * 4;
    bool changed = false;
    for (int r = 0; r < from.height(); ++r) {
        const uchar* s = src.constScanLine(from.y() + r) + size_t(from.x()) * 4;
        uchar* d = m_shown.scanLine(y + r) + size_t(x) * 4;
        if (std::memcmp(d, s, rowBytes) != 0) {
            std::memcpy(d, s, rowBytes);
            changed = true;
        }
    }
    if (changed) {
        ++m_generation;
        update(toWidget(QRect(x, y, from.width(), from.height())));
    }
}

bool CardView::blendImages(QImage& dst, const QImage& src, int alpha) {
    alpha = qBound(0, alpha, 255);
    if (alpha == 0 || dst.size() != src.size() || dst.depth() != 32 || src.depth() != 32)
        return false;
    // How far a channel moves for each distance to the source: alpha/255 of the way,
    // rounded up, so a remaining difference never gets stuck at one step.
    std::array<quint8, 256> step{};
    for (int d = 0; d < 256; ++d)
        step[size_t(d)] = quint8((d * alpha + 254) / 255);
    auto move = [&step](int o, int s) {
        return s > o ? o + step[size_t(s - o)] : o - step[size_t(o - s)];
    };
    bool changed = false;
    const int w = src.width();
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb sv = s[x] | 0xFF000000u;
            const QRgb dv = d[x] | 0xFF000000u;
            if (sv == dv)
                continue;
            d[x] = qRgb(move(qRed(dv), qRed(sv)), move(qGreen(dv), qGreen(sv)), move(qBlue(dv), qBlue(sv)));
            changed = true;
        }
    }
    return changed;
}

void CardView::blendFrom(const QImage& srcIn, int alpha) {
    if (srcIn.isNull())
        return;
    const QImage src = asShownFormat(srcIn);
    ensureShownCovers(src.size(), src.devicePixelRatio());
    bool changed;
    if (m_shown.size() == src.size()) {
        changed = blendImages(m_shown, src, alpha);
    } else {
        // The shown picture is larger than the source: blend into its top-left part only.
        QImage part = m_shown.copy(src.rect());
        changed = blendImages(part, src, alpha);
        if (changed) {
            const size_t rowBytes = size_t(src.width()) * 4;
            for (int y = 0; y < src.height(); ++y)
                std::memcpy(m_shown.scanLine(y), part.constScanLine(y), rowBytes);
        }
    }
    if (changed) {
        ++m_generation;
        update(toWidget(src.rect()));
    }
}

void CardView::setFaceTexts(const QString& main, const QString& tl, const QString& tr, const QString& bl,
                            const QString& br) {
    if (accessibleName() != main)
        setAccessibleName(main);
    QStringList corners;
    for (const QString& t : {tl, tr, bl, br})
        if (!t.isEmpty())
            corners << t;
    const QString description = corners.join(QStringLiteral("; "));
    if (accessibleDescription() != description)
        setAccessibleDescription(description);
}

void CardView::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const QRect area = event->rect();
    const qreal r = m_shown.isNull() ? 1.0 : m_shown.devicePixelRatio();
    if (!m_shown.isNull())
        p.drawImage(QPointF(area.topLeft()), m_shown,
                    QRectF(area.x() * r, area.y() * r, area.width() * r, area.height() * r));
    // Whatever the picture does not cover stays black.
    const QRegion rest = QRegion(area) - QRegion(toWidget(m_shown.rect()));
    for (const QRect& r : rest)
        p.fillRect(r, Qt::black);
}
