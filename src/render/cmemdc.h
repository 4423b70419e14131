#pragma once
// The off-screen drawing surface: one image for its lifetime and the few drawing operations
// the card face, the hover controls and the splash need. Colours are COLORREF values
// (0x00BBGGRR, red in the low byte) or system colours (0x800000nn); -1 means "no colour,
// use the handle argument". Every operation does nothing while the surface is not created.
#include <QBrush>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPointer>
#include <QString>
#include <QWidget>

class CardView;
class QPainter;

// Text format flags, with the values of the classic text-drawing function.
constexpr int DT_TOP = 0x0000;
constexpr int DT_LEFT = 0x0000;
constexpr int DT_CENTER = 0x0001;
constexpr int DT_RIGHT = 0x0002;
constexpr int DT_VCENTER = 0x0004;
constexpr int DT_BOTTOM = 0x0008;
constexpr int DT_WORDBREAK = 0x0010;
constexpr int DT_SINGLELINE = 0x0020;
constexpr int DT_NOCLIP = 0x0100;
constexpr int DT_CALCRECT = 0x0400;
constexpr int DT_NOPREFIX = 0x0800;

// Pen styles.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;

// Raster operation of the plain copy.
constexpr quint32 SRCCOPY = 0x00CC0020;

// A rectangle as the drawing operations take it: right and bottom are exclusive.
struct RECT {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// A font description: what the surface's font getter returns and its setter takes.
struct StdFont {
    QString name;
    double size = 8.0; // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;
    int weight = 400;
    int charset = 0;
};

class cMemDC {
public:
    cMemDC() = default;
    ~cMemDC();
    cMemDC(const cMemDC&) = delete;
    cMemDC& operator=(const cMemDC&) = delete;

    // Creates the surface (a previous one is destroyed first). With an owner, the surface
    // takes the owner's font and text colour, and copies go to the owner by default.
    // Width, height and every coordinate are logical pixels; the image underneath holds
    // `ratio` device pixels per logical pixel (0: the owner's device pixel ratio, else 1),
    // so a HiDPI screen gets a picture painted at its own resolution.
    void init(int width, int height, QWidget* owner = nullptr, qreal ratio = 0);
    void Destroy();
    bool IsCreated() const { return !m_image.isNull(); }
    int Width() const { return IsCreated() ? m_width : 0; }
    int height() const { return IsCreated() ? m_height : 0; }
    QImage* hDC() { return IsCreated() ? &m_image : nullptr; }
    const QImage* hDC() const { return IsCreated() ? &m_image : nullptr; }
    QWidget* owner() const { return m_owner; }
    qreal devicePixelRatio() const { return IsCreated() ? m_ratio : 1.0; }
    // Kernel major * 100 + minor, read once.
    static int OsVersion();

    StdFont Font() const;
    // The font text is drawn with (letters it lacks come from the system's fallback fonts).
    QFont qfont() const { return m_qfont; }
    void setFont(const StdFont& font);
    int FontHeight() const;
    void setForecolor(qint32 colour);
    qint32 Forecolor() const { return m_forecolor; }
    int TextWidth(const QString& text) const;
    // The rectangle is written back (changed only with DT_CALCRECT).
    void DrawText(const QString& text, RECT& rect, int flags);
    void DrawText(const QString& text, int left, int top, int right, int bottom, int flags);

    // right < left stands for the surface's width, bottom < top for its height.
    void FillRect(int left, int top, int right, int bottom, qint32 colour, const QBrush& brush = QBrush());
    // colour1 on the first column (row when vertical) and colour2 on the last, exactly.
    void FillGradient(int x1, int y1, int x2, int y2, qint32 colour1, qint32 colour2, bool vertical);
    static qint32 pvAlphaBlend(qint32 colour1, qint32 colour2, double weight);
    void DrawLine(int x1, int y1, int x2, int y2, qint32 colour, const QPen& pen = QPen(Qt::NoPen));
    void CreatePen(qint32 colour, int style, int width, QPen& pen) const;
    void Rectangle(int left, int top, int right, int bottom, qint32 fillColour, const QBrush& brush,
                   qint32 lineColour, const QPen& pen = QPen(Qt::NoPen));

    // Plain copy of the surface (0 for width/height: the surface's). A null destination
    // means the owner.
    void BitBlt(CardView* dest, int x = 0, int y = 0, int width = 0, int height = 0, int srcX = 0, int srcY = 0,
                quint32 rop = SRCCOPY);
    void BitBlt(QImage* dest, int x = 0, int y = 0, int width = 0, int height = 0, int srcX = 0, int srcY = 0,
                quint32 rop = SRCCOPY);
    void BitBlt(QPainter* dest, int x = 0, int y = 0, int width = 0, int height = 0, int srcX = 0, int srcY = 0,
                quint32 rop = SRCCOPY);
    // Blends the whole surface onto the destination at (0, 0), stretched to width x height,
    // with a constant source alpha; x, y, srcX and srcY are ignored.
    void AlphaBlt(CardView* dest, int x, int y, int width, int height, int srcX, int srcY, quint8 alpha);
    void AlphaBlt(QImage* dest, int x, int y, int width, int height, int srcX, int srcY, quint8 alpha);
    // Draws a picture; width/height 0 mean its own size. Creates the surface with the
    // picture's size when it is not created yet.
    void PaintPicture(const QImage& picture, int x = 0, int y = 0, int width = 0, int height = 0, int srcX = 0,
                      int srcY = 0);

    // Colour helpers.
    static qint32 TranslateColor(qint32 colour);
    static QColor toQColor(qint32 colour);
    static qint32 fromQColor(const QColor& c);
    // The family that stands in for a face name that is not installed.
    static QString resolveFamily(const QString& face);

private:
    // Applies the right/bottom defaults; false when the rectangle is empty.
    bool fitRect(int left, int top, int& right, int& bottom) const;
    QImage scaledSource(int width, int height) const;
    QFont makeQFont(const StdFont& f) const;
    int dpiY() const;
    // A logical coordinate as a device pixel edge.
    int device(int logical) const;
    // A logical rectangle of the surface in the image's pixels.
    QRectF sourceRect(int x, int y, int width, int height) const;

    QImage m_image;
    int m_width = 0;
    int m_height = 0;
    qreal m_ratio = 1.0;
    QPointer<QWidget> m_owner;
    StdFont m_font;
    QFont m_qfont;
    qint32 m_forecolor = 0;
};
