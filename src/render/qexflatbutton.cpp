#include "qexflatbutton.h"

#include "cmemdc.h"

qexFlatButton::qexFlatButton(QWidget* parent) : HoverControl(parent) {}

void qexFlatButton::paintFace(cMemDC& dc) {
    RECT r{0, 0, width(), height()};
    const int flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (!isEnabled()) {
        dc.Rectangle(r.left, r.top, r.right, r.bottom, m_backDisabled, QBrush(), m_foreDisabled);
        dc.setForecolor(m_foreDisabled);
        dc.DrawText(Caption(), r.left, r.top, r.right, r.bottom, flags);
        return;
    }
    const qint32 back = isHovered() ? m_backMouse : m_back;
    const qint32 fore = isHovered() ? m_foreMouse : m_fore;
    dc.Rectangle(r.left, r.top, r.right, r.bottom, back, QBrush(), fore);
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    dc.setForecolor(cMemDC::pvAlphaBlend(fore, 0x000000, 0.25));
    dc.DrawText(Caption(), r.left - 1, r.top - 1, r.right - 1, r.bottom - 1, flags);
    dc.setForecolor(fore);
    dc.DrawText(Caption(), r.left, r.top, r.right, r.bottom, flags);
}
