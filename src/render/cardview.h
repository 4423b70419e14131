#pragma once
// The picture a card window shows. Copies and blends go into the picture it keeps and the
// widget repaints from it, so what the user sees (and a test reads) is exactly that picture.
#include <QImage>
#include <QWidget>

class CardView : public QWidget {
    Q_OBJECT
public:
    explicit CardView(QWidget* parent = nullptr);

    // The shown picture keeps the pixels of what was copied into it, and their device pixel
    // ratio: a surface painted for a HiDPI screen is shown pixel for pixel, not scaled.
    // Plain copy of `src` to (0, 0) (or of the part (srcX, srcY, w, h) of it to (x, y));
    // every number counts the source image's own pixels.
    void copyFrom(const QImage& src);
    void copyFrom(const QImage& src, int x, int y, int width, int height, int srcX, int srcY);
    // Source-over with a constant source alpha (0..255). Each channel moves at least one step
    // toward the source, so repeated blends end on the source exactly.
    void blendFrom(const QImage& src, int alpha);
    const QImage& shownImage() const { return m_shown; }
    // Changes whenever the shown picture changes, so a caller can tell it is still the same.
    quint64 generation() const { return m_generation; }
    // True when the shown picture holds exactly `src` at (0, 0).
    bool shows(const QImage& src) const;

    // What the card says, for assistive technology.
    void setFaceTexts(const QString& main, const QString& tl, const QString& tr, const QString& bl,
                      const QString& br);

    // The blend step on plain images; `dst` must have the size and format of `src`. Returns
    // false when nothing changed.
    static bool blendImages(QImage& dst, const QImage& src, int alpha);
    // True when both images hold the same pixels (same size, 32-bit formats).
    static bool samePixels(const QImage& a, const QImage& b);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void ensureShownCovers(const QSize& size, qreal ratio);
    // A rectangle of the shown picture's pixels, in widget coordinates.
    QRect toWidget(const QRect& pixels) const;

    QImage m_shown;
    quint64 m_generation = 0;
};
