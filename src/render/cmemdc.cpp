#include "cmemdc.h"

#include "cardview.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QRegularExpression>
#include <QSysInfo>
#include <QWidget>
#include <cmath>

namespace {
constexpr QImage::Format kFormat = QImage::Format_RGB32;

int channel(qint32 c, int shift) { return (quint32(c) >> shift) & 0xFF; }

// Channel of the colour at step i of n between a and b, with a at 0 and b at n - 1 exactly.
int mix(int a, int b, int i, int n) {
    if (n <= 1)
        return a;
    const int span = n - 1;
    return (a * (span - i) + b * i + span / 2) / span;
}

QRgb rgbOf(qint32 colourref) {
    return qRgb(channel(colourref, 0), channel(colourref, 8), channel(colourref, 16));
}

// Fills [left, right) x [top, bottom) of an RGB32 image with one colour, clipped.
void fillSpan(QImage& img, int left, int top, int right, int bottom, QRgb v) {
    left = qMax(left, 0);
    top = qMax(top, 0);
    right = qMin(right, img.width());
    bottom = qMin(bottom, img.height());
    for (int y = top; y < bottom; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        std::fill(row + left, row + right, v);
    }
}
} // namespace

cMemDC::~cMemDC() { Destroy(); }

int cMemDC::OsVersion() {
    static const int version = [] {
        const QString k = QSysInfo::kernelVersion();
        const auto m = QRegularExpression(QStringLiteral("^(\\d+)\\.(\\d+)")).match(k);
        return m.hasMatch() ? m.captured(1).toInt() * 100 + m.captured(2).toInt() : 0;
    }();
    return version;
}

QString cMemDC::resolveFamily(const QString& face) {
    static QHash<QString, QString> cache;
    auto it = cache.constFind(face);
    if (it != cache.constEnd())
        return it.value();
    QString family = face;
    if (face.isEmpty() || !QFontDatabase::hasFamily(face)) {
        static const QString fallback = [] {
            if (QFontDatabase::hasFamily(QStringLiteral("DejaVu Sans")))
                return QStringLiteral("DejaVu Sans");
            return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
        }();
        family = fallback;
    }
    cache.insert(face, family);
    return family;
}

int cMemDC::dpiY() const {
    if (m_owner)
        return m_owner->logicalDpiY();
    if (!m_image.isNull())
        return m_image.logicalDpiY();
    return 96;
}

QFont cMemDC::makeQFont(const StdFont& f) const {
    QFont q(resolveFamily(f.name));
    q.setPixelSize(qMax(1, int(std::lround(f.size * dpiY() / 72.0))));
    int weight = f.weight > 0 ? f.weight : 400;
    if (f.bold && weight < 700)
        weight = 700;
    if (!f.bold && weight >= 700)
        weight = 400;
    q.setWeight(QFont::Weight(qBound(1, weight, 1000)));
    q.setItalic(f.italic);
    q.setUnderline(f.underline);
    q.setStrikeOut(f.strikethrough);
    return q;
}

int cMemDC::device(int logical) const {
    return m_ratio == 1.0 ? logical : int(std::lround(logical * m_ratio));
}

void cMemDC::init(int width, int height, QWidget* owner, qreal ratio) {
    Destroy();
    m_owner = owner;
    if (width <= 0 || height <= 0)
        return;
    if (ratio <= 0)
        ratio = owner ? owner->devicePixelRatioF() : 1.0;
    m_ratio = ratio > 0 ? ratio : 1.0;
    m_width = width;
    m_height = height;
    m_image = QImage(device(width), device(height), kFormat);
    // Painters on the image work in logical pixels; the scan-line fills below map to device pixels.
    m_image.setDevicePixelRatio(m_ratio);
    m_image.fill(Qt::black);
    const QFont source = owner ? owner->font() : QGuiApplication::font();
    StdFont f;
    f.name = source.family();
    f.size = source.pointSizeF() > 0 ? source.pointSizeF() : source.pixelSize() * 72.0 / dpiY();
    f.weight = source.weight();
    f.bold = f.weight >= 700;
    f.italic = source.italic();
    f.underline = source.underline();
    f.strikethrough = source.strikeOut();
    setFont(f);
    m_forecolor = owner ? fromQColor(owner->palette().color(QPalette::WindowText)) : 0;
}

void cMemDC::Destroy() {
    m_image = QImage();
    m_width = 0;
    m_height = 0;
    m_ratio = 1.0;
}

StdFont cMemDC::Font() const { return IsCreated() ? m_font : StdFont(); }

void cMemDC::setFont(const StdFont& font) {
    if (!IsCreated())
        return;
    m_font = font;
    m_font.bold = font.bold || font.weight >= 700;
    m_font.weight = m_font.bold ? qMax(font.weight, 700) : (font.weight > 0 && font.weight < 700 ? font.weight : 400);
    m_qfont = makeQFont(m_font);
}

int cMemDC::FontHeight() const {
    if (!IsCreated())
        return 0;
    return QFontMetrics(m_qfont, &m_image).height();
}

void cMemDC::setForecolor(qint32 colour) {
    if (!IsCreated())
        return;
    m_forecolor = colour;
}

int cMemDC::TextWidth(const QString& text) const {
    if (!IsCreated())
        return 0;
    return QFontMetrics(m_qfont, &m_image).horizontalAdvance(text);
}

void cMemDC::DrawText(const QString& text, int left, int top, int right, int bottom, int flags) {
    RECT r{left, top, right, bottom};
    DrawText(text, r, flags);
}

void cMemDC::DrawText(const QString& text, RECT& rect, int flags) {
    const int left = rect.left, top = rect.top;
    int& right = rect.right;
    int& bottom = rect.bottom;
    if (!IsCreated())
        return;
    const bool single = flags & DT_SINGLELINE;
    // Alignment stays where the caller put it, also for a right-to-left text, which is laid
    // out from the right by the painter's direction below.
    int qflags = Qt::AlignAbsolute | ((flags & DT_CENTER)  ? Qt::AlignHCenter
                                      : (flags & DT_RIGHT) ? Qt::AlignRight
                                                           : Qt::AlignLeft);
    // Vertical placement applies to a single line only; other text starts at the top.
    if (single)
        qflags |= (flags & DT_VCENTER) ? Qt::AlignVCenter : (flags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    else
        qflags |= Qt::AlignTop;
    if (single)
        qflags |= Qt::TextSingleLine;
    else if (flags & DT_WORDBREAK)
        qflags |= Qt::TextWordWrap;
    qflags |= Qt::TextExpandTabs;

    if (flags & DT_CALCRECT) {
        const QFontMetrics fm(m_qfont, &m_image);
        if (single) {
            right = left + fm.horizontalAdvance(text);
            bottom = top + fm.height();
        } else {
            const int wrapWidth = (flags & DT_WORDBREAK) ? qMax(1, right - left) : 1 << 20;
            const QRect r = fm.boundingRect(QRect(left, top, wrapWidth, 1 << 20), qflags, text);
            right = left + r.width();
            bottom = top + r.height();
        }
        return;
    }
    const QRect box(left, top, right - left, bottom - top);
    if (box.isEmpty() && !(flags & DT_NOCLIP))
        return;
    QPainter p(&m_image);
    p.setFont(m_qfont);
    // Arabic or Hebrew text reads from the right: the paragraph takes the direction of its
    // first strong letter, so that punctuation and numbers land on the correct side.
    p.setLayoutDirection(text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight);
    p.setPen(toQColor(TranslateColor(m_forecolor)));
    if (!(flags & DT_NOCLIP))
        p.setClipRect(box);
    p.drawText(box, qflags, text);
}

bool cMemDC::fitRect(int left, int top, int& right, int& bottom) const {
    // A right edge left of the left one stands for the surface's width; likewise the bottom.
    if (right < left)
        right = m_width;
    if (bottom < top)
        bottom = m_height;
    return right != left && bottom != top;
}

void cMemDC::FillRect(int left, int top, int right, int bottom, qint32 colour, const QBrush& brush) {
    if (!IsCreated())
        return;
    if (!fitRect(left, top, right, bottom))
        return;
    if (colour != -1) {
        fillSpan(m_image, device(left), device(top), device(right), device(bottom), rgbOf(TranslateColor(colour)));
        return;
    }
    if (brush.style() == Qt::NoBrush)
        return;
    QPainter p(&m_image);
    p.fillRect(QRect(left, top, right - left, bottom - top), brush);
}

void cMemDC::FillGradient(int x1, int y1, int x2, int y2, qint32 colour1, qint32 colour2, bool vertical) {
    if (!IsCreated())
        return;
    if (x2 < x1) {
        std::swap(x1, x2);
        if (!vertical)
            std::swap(colour1, colour2);
    }
    if (y2 < y1) {
        std::swap(y1, y2);
        if (vertical)
            std::swap(colour1, colour2);
    }
    if (x1 == x2 || y1 == y2)
        return;
    const qint32 c1 = TranslateColor(colour1) & 0xFFFFFF;
    const qint32 c2 = TranslateColor(colour2) & 0xFFFFFF;
    // The steps run over device pixels, so a HiDPI gradient is as smooth as its screen.
    x1 = device(x1);
    x2 = device(x2);
    y1 = device(y1);
    y2 = device(y2);
    if (x1 == x2 || y1 == y2)
        return;
    const int n = vertical ? y2 - y1 : x2 - x1;
    auto at = [&](int i) {
        return qRgb(mix(channel(c1, 0), channel(c2, 0), i, n), mix(channel(c1, 8), channel(c2, 8), i, n),
                    mix(channel(c1, 16), channel(c2, 16), i, n));
    };
    if (vertical) {
        for (int y = qMax(y1, 0); y < qMin(y2, m_image.height()); ++y)
            fillSpan(m_image, x1, y, x2, y + 1, at(y - y1));
        return;
    }
    const int left = qMax(x1, 0), right = qMin(x2, m_image.width());
    if (left >= right)
        return;
    QVector<QRgb> row(right - left);
    for (int x = left; x < right; ++x)
        row[x - left] = at(x - x1);
    const size_t bytes = size_t(row.size()) * sizeof(QRgb);
    for (int y = qMax(y1, 0); y < qMin(y2, m_image.height()); ++y)
        std::memcpy(reinterpret_cast<QRgb*>(m_image.scanLine(y)) + left, row.constData(), bytes);
}

qint32 cMemDC::pvAlphaBlend(qint32 colour1, qint32 colour2, double weight) {
    const qint32 a = TranslateColor(colour1) & 0xFFFFFF;
    const qint32 b = TranslateColor(colour2) & 0xFFFFFF;
    qint32 out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double v = weight * channel(a, shift) + (1.0 - weight) * channel(b, shift);
        out |= qint32(qBound(0L, std::lround(v), 255L)) << shift;
    }
    return out;
}

void cMemDC::CreatePen(qint32 colour, int style, int width, QPen& pen) const {
    Qt::PenStyle s = Qt::SolidLine;
    switch (style) {
    case PS_DASH: s = Qt::DashLine; break;
    case PS_DOT: s = Qt::DotLine; break;
    case PS_DASHDOT: s = Qt::DashDotLine; break;
    case PS_DASHDOTDOT: s = Qt::DashDotDotLine; break;
    case PS_NULL: s = Qt::NoPen; break;
    default: break;
    }
    pen = QPen(toQColor(TranslateColor(colour)), qMax(1, width), s, Qt::RoundCap, Qt::RoundJoin);
}

void cMemDC::DrawLine(int x1, int y1, int x2, int y2, qint32 colour, const QPen& pen) {
    if (!IsCreated())
        return;
    QPen use = pen;
    if (colour != -1)
        CreatePen(colour, PS_SOLID, 1, use);
    if (use.style() == Qt::NoPen)
        return;
    QPainter p(&m_image);
    p.setPen(use);
    p.drawLine(x1, y1, x2, y2);
}

void cMemDC::Rectangle(int left, int top, int right, int bottom, qint32 fillColour, const QBrush& brush,
                       qint32 lineColour, const QPen& pen) {
    if (!IsCreated())
        return;
    if (!fitRect(left, top, right, bottom))
        return;
    FillRect(left, top, right, bottom, fillColour, brush);
    QPen outline = pen;
    if (lineColour != -1)
        CreatePen(lineColour, PS_SOLID, 1, outline);
    if (outline.style() == Qt::NoPen)
        return;
    QPainter p(&m_image);
    p.setPen(outline);
    p.setBrush(Qt::NoBrush);
    // The outline lies on the rectangle's outermost pixels, right and bottom exclusive.
    p.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

QImage cMemDC::scaledSource(int width, int height) const {
    if (width == m_width && height == m_height)
        return m_image;
    QImage scaled = m_image.scaled(device(width), device(height), Qt::IgnoreAspectRatio, Qt::FastTransformation);
    scaled.setDevicePixelRatio(m_ratio);
    return scaled;
}

QRectF cMemDC::sourceRect(int x, int y, int width, int height) const {
    return QRectF(x * m_ratio, y * m_ratio, width * m_ratio, height * m_ratio);
}

void cMemDC::BitBlt(CardView* dest, int x, int y, int width, int height, int srcX, int srcY, quint32 rop) {
    Q_UNUSED(rop);
    if (!IsCreated())
        return;
    if (!dest)
        dest = qobject_cast<CardView*>(m_owner.data());
    if (!dest)
        return;
    // The window's picture keeps device pixels: the copy moves them one to one.
    dest->copyFrom(m_image, device(x), device(y), device(width ? width : m_width), device(height ? height : m_height),
                   device(srcX), device(srcY));
}

void cMemDC::BitBlt(QImage* dest, int x, int y, int width, int height, int srcX, int srcY, quint32 rop) {
    Q_UNUSED(rop);
    if (!IsCreated() || !dest || dest->isNull())
        return;
    QPainter p(dest);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPointF(x, y), m_image, sourceRect(srcX, srcY, width ? width : m_width, height ? height : m_height));
}

void cMemDC::BitBlt(QPainter* dest, int x, int y, int width, int height, int srcX, int srcY, quint32 rop) {
    Q_UNUSED(rop);
    if (!IsCreated() || !dest)
        return;
    dest->drawImage(QPointF(x, y), m_image,
                    sourceRect(srcX, srcY, width ? width : m_width, height ? height : m_height));
}

void cMemDC::AlphaBlt(CardView* dest, int, int, int width, int height, int, int, quint8 alpha) {
    if (!IsCreated())
        return;
    if (!dest)
        dest = qobject_cast<CardView*>(m_owner.data());
    if (!dest)
        return;
    dest->blendFrom(scaledSource(width ? width : m_width, height ? height : m_height), alpha);
}

void cMemDC::AlphaBlt(QImage* dest, int, int, int width, int height, int, int, quint8 alpha) {
    if (!IsCreated() || !dest || dest->isNull())
        return;
    const QImage src = scaledSource(width ? width : m_width, height ? height : m_height);
    if (dest->format() != kFormat)
        *dest = dest->convertToFormat(kFormat);
    if (dest->size() == src.size()) {
        CardView::blendImages(*dest, src, alpha);
        return;
    }
    if (dest->devicePixelRatio() != src.devicePixelRatio())
        return;
    const QRect area = src.rect().intersected(dest->rect());
    QImage part = dest->copy(area);
    CardView::blendImages(part, src.copy(area), alpha);
    QPainter p(dest);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(0, 0, part);
}

void cMemDC::PaintPicture(const QImage& picture, int x, int y, int width, int height, int srcX, int srcY) {
    if (picture.isNull())
        return;
    // A picture drawn for a HiDPI screen counts in its logical pixels, as everything here does.
    const qreal pr = picture.devicePixelRatio();
    const QSize logical = (QSizeF(picture.size()) / pr).toSize();
    if (!IsCreated())
        init(logical.width(), logical.height(), m_owner, pr);
    if (!IsCreated())
        return;
    const QRect fromLogical =
        QRect(srcX, srcY, logical.width() - srcX, logical.height() - srcY).intersected(QRect(QPoint(0, 0), logical));
    if (fromLogical.isEmpty())
        return;
    const QRectF from(fromLogical.x() * pr, fromLogical.y() * pr, fromLogical.width() * pr, fromLogical.height() * pr);
    const QRectF to(x, y, width ? width : fromLogical.width(), height ? height : fromLogical.height());
    QPainter p(&m_image);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(to, picture, from);
}

qint32 cMemDC::TranslateColor(qint32 colour) {
    if (colour == -1)
        return -1;
    if (!(quint32(colour) & 0x80000000u))
        return colour & 0xFFFFFF;
    // System colours: index into the desktop's colour scheme, here the application palette.
    const QPalette pal = QGuiApplication::palette();
    QPalette::ColorGroup g = QPalette::Active;
    QPalette::ColorRole role;
    switch (colour & 0xFF) {
    case 1: role = QPalette::Window; break;          // desktop
    case 2: role = QPalette::Highlight; break;       // active caption
    case 3: g = QPalette::Inactive; role = QPalette::Highlight; break;
    case 4: role = QPalette::Window; break;          // menu
    case 5: role = QPalette::Base; break;            // window
    case 6: role = QPalette::Shadow; break;          // window frame
    case 7: role = QPalette::WindowText; break;      // menu text
    case 8: role = QPalette::Text; break;            // window text
    case 9: role = QPalette::HighlightedText; break; // caption text
    case 13: role = QPalette::Highlight; break;
    case 14: role = QPalette::HighlightedText; break;
    case 15: role = QPalette::Button; break;         // button face
    case 16: role = QPalette::Mid; break;            // button shadow
    case 17: g = QPalette::Disabled; role = QPalette::Text; break; // grey text
    case 18: role = QPalette::ButtonText; break;
    case 20: role = QPalette::Light; break;          // button highlight
    case 21: role = QPalette::Shadow; break;
    case 22: role = QPalette::Midlight; break;
    case 23: role = QPalette::ToolTipText; break;
    case 24: role = QPalette::ToolTipBase; break;
    default: role = QPalette::Window; break;
    }
    return fromQColor(pal.color(g, role));
}

QColor cMemDC::toQColor(qint32 colour) {
    if (colour == -1)
        return QColor();
    return QColor(channel(colour, 0), channel(colour, 8), channel(colour, 16));
}

qint32 cMemDC::fromQColor(const QColor& c) {
    return qint32(c.red() | (c.green() << 8) | (c.blue() << 16));
}
