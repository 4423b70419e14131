#include "cardview.h"

#include <QPainter>
#include <QPaintEvent>
#include <array>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

namespace {
// One fade step on pixels [from, to) of a row: each channel moves towards the source by
// step[distance], a pixel whose colour already equals the source's stays as it is (its
// fourth byte too), and a changed pixel gets an opaque fourth byte.
bool blendRowScalar(QRgb* d, const QRgb* s, int from, int to, const std::array<quint8, 256>& step) {
    auto move = [&step](int o, int t) { return t > o ? o + step[size_t(t - o)] : o - step[size_t(o - t)]; };
    bool changed = false;
    for (int x = from; x < to; ++x) {
        const QRgb sv = s[x] | 0xFF000000u;
        const QRgb dv = d[x] | 0xFF000000u;
        if (sv == dv)
            continue;
        d[x] = qRgb(move(qRed(dv), qRed(sv)), move(qGreen(dv), qGreen(sv)), move(qBlue(dv), qBlue(sv)));
        changed = true;
    }
    return changed;
}

#if defined(__SSE2__)
// step[v] = (v * alpha + 254) / 255 for the 16-bit lanes v (0..255): t / 255 is
// (t + 1 + (t >> 8)) >> 8 for every t up to 255 * 255 + 254, and no sum leaves 16 bits.
inline __m128i stepOf(__m128i v, __m128i alpha) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(v, alpha), _mm_set1_epi16(254));
    return _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(t, _mm_set1_epi16(1)), _mm_srli_epi16(t, 8)), 8);
}

// The same step on four pixels at a time, with the table's arithmetic done per byte; the
// pixels past the last multiple of four go through the scalar loop.
bool blendRowSse2(QRgb* d, const QRgb* s, int width, int alpha, const std::array<quint8, 256>& step) {
    const __m128i opaque = _mm_set1_epi32(int(0xFF000000u));
    const __m128i alpha16 = _mm_set1_epi16(short(alpha));
    const __m128i zero = _mm_setzero_si128();
    __m128i anyChange = zero;
    int x = 0;
    for (; x + 4 <= width; x += 4) {
        const __m128i dOld = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + x));
        const __m128i sv = _mm_or_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + x)), opaque);
        const __m128i dv = _mm_or_si128(dOld, opaque);
        const __m128i same = _mm_cmpeq_epi32(sv, dv);
        if (_mm_movemask_epi8(same) == 0xFFFF)
            continue;
        const __m128i up = _mm_subs_epu8(sv, dv);   // distance where the source is above
        const __m128i down = _mm_subs_epu8(dv, sv); // distance where it is below
        const __m128i stepUp = _mm_packus_epi16(stepOf(_mm_unpacklo_epi8(up, zero), alpha16),
                                                stepOf(_mm_unpackhi_epi8(up, zero), alpha16));
        const __m128i stepDown = _mm_packus_epi16(stepOf(_mm_unpacklo_epi8(down, zero), alpha16),
                                                  stepOf(_mm_unpackhi_epi8(down, zero), alpha16));
        // A step never exceeds its distance, so neither saturates.
        const __m128i moved = _mm_subs_epu8(_mm_adds_epu8(dv, stepUp), stepDown);
        const __m128i out = _mm_or_si128(_mm_and_si128(same, dOld), _mm_andnot_si128(same, moved));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), out);
        anyChange = _mm_or_si128(anyChange, _mm_andnot_si128(same, opaque));
    }
    const bool changed = _mm_movemask_epi8(anyChange) != 0;
    return blendRowScalar(d, s, x, width, step) || changed;
}
#endif
} // namespace

bool CardView::blendImages(QImage& dst, const QImage& src, int alpha) {
    alpha = qBound(0, alpha, 255);
    if (alpha == 0 || dst.size() != src.size() || dst.depth() != 32 || src.depth() != 32)
        return false;
    // How far a channel moves for each distance to the source: alpha/255 of the way,
    // rounded up, so a remaining difference never gets stuck at one step.
    std::array<quint8, 256> step{};
    for (int d = 0; d < 256; ++d)
        step[size_t(d)] = quint8((d * alpha + 254) / 255);
    bool changed = false;
    const int w = src.width();
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
#if defined(__SSE2__)
        changed = blendRowSse2(d, s, w, alpha, step) || changed;
#else
        changed = blendRowScalar(d, s, 0, w, step) || changed;
#endif
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
