#include "qexhl.h"

#include "cmemdc.h"

#include <QFontMetrics>

qexHL::qexHL(QWidget* parent) : HoverControl(parent) { fitToCaption(); }

QSize qexHL::sizeHint() const { return QSize(width(), QFontMetrics(font()).height()); }

// The width the surface measures for the caption, in the control's font.
int qexHL::captionWidth() {
    cMemDC dc;
    dc.init(1, 1, this);
    return dc.TextWidth(Caption());
}

void qexHL::fitToCaption() {
    const int w = captionWidth();
    if (w != width() || minimumWidth() != w || maximumWidth() != w)
        setFixedWidth(w);
}

void qexHL::captionChanged() {
    fitToCaption();
    update();
}

void qexHL::showEvent(QShowEvent* e) {
    fitToCaption();
    HoverControl::showEvent(e);
}

void qexHL::paintFace(cMemDC& dc) {
    dc.FillRect(0, 0, width(), height(), m_back);
    const bool hot = isHovered() && isEnabled();
    qint32 text = isHovered() ? m_foreMouse : m_fore;
    if (!isEnabled())
        text = cMemDC::pvAlphaBlend(text, 0x000000, 0.25);
    StdFont font = dc.Font();
    font.underline = hot;
    dc.setFont(font);
    dc.setForecolor(text);
    dc.DrawText(Caption(), 0, 0, width(), height(), DT_LEFT | DT_TOP | DT_SINGLELINE);
    // A width that no longer matches (a font the control was not told about) is mended
    // after this paint, not during it.
    if (dc.TextWidth(Caption()) != width())
        QMetaObject::invokeMethod(this, [this] { fitToCaption(); }, Qt::QueuedConnection);
}
