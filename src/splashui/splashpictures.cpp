#include "splashpictures.h"

#include <QFont>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>
#include <cmath>
#include <map>
#include <numbers>

namespace {
const QColor kSilver(0xC0, 0xC0, 0xC0);
const QColor kOrange(0xFF, 0x80, 0x00);
const QColor kInk(0x1C, 0x2A, 0x4A);

QString family(const QString& wanted, const QString& fallback) {
    if (QFontDatabase::hasFamily(wanted))
        return wanted;
    return QFontDatabase::hasFamily(fallback) ? fallback
                                              : QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

QFont pixelFont(const QString& fam, int px, int weight, bool italic = false) {
    QFont f(fam);
    f.setPixelSize(px);
    f.setWeight(QFont::Weight(weight));
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// A picture of w x h logical pixels, `ratio` device pixels to each; its painters draw in
// logical pixels, so every picture looks the same at any ratio, only finer.
QImage canvas(int w, int h, qreal ratio, QImage::Format format) {
    QImage img(int(std::lround(w * ratio)), int(std::lround(h * ratio)), format);
    img.setDevicePixelRatio(ratio);
    return img;
}

QImage transparentCanvas(int w, int h, qreal ratio) {
    QImage img = canvas(w, h, ratio, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

// Antialiased art flattened for a black background: pixels that are mostly covered become
// their colour over black, the rest become the key colour. No pixel ends up half magenta.
QImage flattenOnKey(const QImage& art) {
    QImage out(art.size(), QImage::Format_RGB32);
    out.setDevicePixelRatio(art.devicePixelRatio());
    for (int y = 0; y < art.height(); ++y) {
        const QRgb* src = reinterpret_cast<const QRgb*>(art.constScanLine(y));
        QRgb* dst = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < art.width(); ++x) {
            const QRgb p = src[x]; // premultiplied: the colour over black already
            dst[x] = qAlpha(p) < 96 ? SplashPictures::kTransparent : qRgb(qRed(p), qGreen(p), qBlue(p));
        }
    }
    return out;
}

// One study card: a rounded rectangle with a paper gradient and a hairline edge.
void drawCard(QPainter& p, const QRectF& r, const QColor& top, const QColor& bottom, const QColor& edge) {
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0.0, top);
    g.setColorAt(1.0, bottom);
    p.setBrush(g);
    p.setPen(QPen(edge, 1.0));
    p.drawRoundedRect(r, 2.5, 2.5);
}

QImage makeTitle(qreal ratio) {
    const int w = 360, h = 104;
    QImage img = canvas(w, h, ratio, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QString serif = family(QStringLiteral("DejaVu Serif"), QStringLiteral("Serif"));
    const QString sans = family(QStringLiteral("DejaVu Sans"), QStringLiteral("Sans"));

    // The word, as a path, so it can carry a gradient and a glow.
    const QFont wordFont = pixelFont(serif, 58, 700);
    QPainterPath word;
    word.addText(0, 0, wordFont, QStringLiteral("Quarnel"));
    const QRectF wb = word.boundingRect();
    const qreal baseline = 64;
    word.translate((w - wb.width()) / 2 - wb.left() - 18, baseline);
    const QRectF placed = word.boundingRect();

    // A faint warm glow behind the letters.
    for (int i = 5; i >= 1; --i) {
        p.setPen(QPen(QColor(0xFF, 0x80, 0x00, 10 + 6 * (5 - i)), i * 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(word);
    }
    QLinearGradient metal(0, placed.top(), 0, placed.bottom());
    metal.setColorAt(0.00, QColor(0xFF, 0xFF, 0xFF));
    metal.setColorAt(0.45, kSilver);
    metal.setColorAt(0.55, QColor(0x8A, 0x94, 0xA8));
    metal.setColorAt(1.00, QColor(0xD8, 0xDC, 0xE4));
    p.setPen(QPen(QColor(0x30, 0x30, 0x38), 1.0));
    p.setBrush(metal);
    p.drawPath(word);

    // A rule under the word that fades out at both ends.
    const qreal ruleY = baseline + 9.5;
    QLinearGradient rule(24, 0, w - 24, 0);
    rule.setColorAt(0.0, QColor(0xFF, 0x80, 0x00, 0));
    rule.setColorAt(0.25, kOrange);
    rule.setColorAt(0.75, kOrange);
    rule.setColorAt(1.0, QColor(0xFF, 0x80, 0x00, 0));
    p.setPen(QPen(QBrush(rule), 1.5));
    p.drawLine(QPointF(24, ruleY), QPointF(w - 24, ruleY));

    // The year, tucked in at the word's right end, on the rule.
    const QFont yearFont = pixelFont(sans, 21, 800, true);
    QPainterPath year;
    year.addText(0, 0, yearFont, QStringLiteral("2007"));
    const QRectF yb = year.boundingRect();
    year.translate(placed.right() + 6 - yb.left(), ruleY - 3);
    const QRectF yp = year.boundingRect();
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(yp.adjusted(-4, -2, 4, 4));
    QLinearGradient amber(0, yp.top(), 0, yp.bottom());
    amber.setColorAt(0.0, QColor(0xFF, 0xC8, 0x60));
    amber.setColorAt(1.0, kOrange);
    p.setBrush(amber);
    p.drawPath(year);

    // The line under the rule says what the program is for.
    QFont tagFont = pixelFont(sans, 10, 400);
    tagFont.setLetterSpacing(QFont::AbsoluteSpacing, 3.2);
    p.setFont(tagFont);
    p.setPen(QColor(0x9A, 0x9A, 0x9A));
    p.drawText(QRectF(0, ruleY + 6, w, 16), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("VOCABULARY CARDS"));
    return img;
}

QImage makeEmblem(qreal ratio) {
    const int s = 40;
    QImage art = transparentCanvas(s, s, ratio);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    // The card behind: the answer side, turned away a little.
    p.save();
    p.translate(17, 21);
    p.rotate(-14);
    drawCard(p, QRectF(-10.5, -14, 21, 28), QColor(0xFF, 0xA8, 0x40), QColor(0xD0, 0x5A, 0x00),
             QColor(0x60, 0x28, 0x00));
    p.restore();
    // The card in front: the question side with a large Q.
    p.save();
    p.translate(23, 19);
    p.rotate(8);
    const QRectF front(-10.5, -14, 21, 28);
    drawCard(p, front, QColor(0xFF, 0xFF, 0xFF), QColor(0xB8, 0xBC, 0xC8), QColor(0x40, 0x44, 0x50));
    QFont q = pixelFont(family(QStringLiteral("DejaVu Serif"), QStringLiteral("Serif")), 20, 700);
    p.setFont(q);
    p.setPen(kInk);
    p.drawText(front.adjusted(0, -1, 0, 0), Qt::AlignCenter, QStringLiteral("Q"));
    p.restore();
    p.end();
    return flattenOnKey(art);
}

// Frame i shows the card turned by i x 45 degrees about its upright axis: the question side
// (silver, with two lines of text), edge on, the answer side (orange), edge on, and back.
QImage makeFrame(int i, qreal ratio) {
    const int s = SplashPictures::kFrameSize;
    QImage art = transparentCanvas(s, s, ratio);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    const double angle = i * std::numbers::pi / 4.0;
    const double c = std::cos(angle);
    const double halfWidth = std::max(0.5, 5.5 * std::abs(c));
    // The edge that comes toward the viewer looks a little taller: a hint of perspective.
    const double lift = 1.2 * std::sin(angle);
    const double cx = 8.0;
    QPolygonF card;
    card << QPointF(cx - halfWidth, 2.0 + lift) << QPointF(cx + halfWidth, 2.0 - lift)
         << QPointF(cx + halfWidth, 14.0 + lift) << QPointF(cx - halfWidth, 14.0 - lift);
    const bool front = c > 0.01;
    const bool back = c < -0.01;
    QLinearGradient g(0, 2, 0, 14);
    if (front) {
        g.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
        g.setColorAt(1, kSilver);
    } else if (back) {
        g.setColorAt(0, QColor(0xFF, 0xB0, 0x50));
        g.setColorAt(1, QColor(0xE0, 0x68, 0x00));
    } else {
        g.setColorAt(0, QColor(0xE0, 0xE0, 0xE0));
        g.setColorAt(1, QColor(0x90, 0x90, 0x90));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawPolygon(card);
    if (front && halfWidth > 2.0) {
        p.setPen(QPen(kInk, 1.0));
        const double inset = halfWidth * 0.45;
        p.drawLine(QPointF(cx - inset, 6.5), QPointF(cx + inset, 6.5));
        p.drawLine(QPointF(cx - inset, 9.5), QPointF(cx + inset * 0.5, 9.5));
    } else if (back && halfWidth > 2.0) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xFF, 0xF0, 0xD0));
        p.drawEllipse(QPointF(cx, 8.0), halfWidth * 0.35, 1.6);
    }
    p.end();
    return flattenOnKey(art);
}

// Each picture is drawn once per device pixel ratio in use (in hundredths).
template <typename Make> const QImage& cached(std::map<int, QImage>& cache, qreal ratio, Make make) {
    const int key = ratio > 0 ? int(std::lround(ratio * 100)) : 100;
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.emplace(key, make(key / 100.0)).first;
    return it->second;
}
} // namespace

namespace SplashPictures {
const QImage& title(qreal ratio) {
    static std::map<int, QImage> cache;
    return cached(cache, ratio, makeTitle);
}

const QImage& emblem(qreal ratio) {
    static std::map<int, QImage> cache;
    return cached(cache, ratio, makeEmblem);
}

const QImage& frame(int index, qreal ratio) {
    static std::map<int, std::array<QImage, kFrameCount>> cache;
    const int key = ratio > 0 ? int(std::lround(ratio * 100)) : 100;
    auto it = cache.find(key);
    if (it == cache.end()) {
        std::array<QImage, kFrameCount> all;
        for (int i = 0; i < kFrameCount; ++i)
            all[size_t(i)] = makeFrame(i, key / 100.0);
        it = cache.emplace(key, std::move(all)).first;
    }
    return it->second[size_t(((index % kFrameCount) + kFrameCount) % kFrameCount)];
}

QImage keyedOut(const QImage& picture, QRgb key) {
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    key |= 0xFF000000u;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((row[x] | 0xFF000000u) == key)
                row[x] = 0;
    }
    return out;
}
} // namespace SplashPictures
