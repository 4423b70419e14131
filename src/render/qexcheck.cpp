#include "qexcheck.h"

#include "cmemdc.h"

qexCheck::qexCheck(QWidget* parent) : HoverControl(parent) {}

void qexCheck::setChecked(bool on) {
    if (on == m_checked)
        return;
    m_checked = on;
    markDirty();
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent ev(this, changed);
    QAccessible::updateAccessibility(&ev);
}

void qexCheck::paintFace(cMemDC& dc) {
    const RECT r{0, 0, width(), height()};
    const bool hot = isHovered() && isEnabled();
    dc.FillRect(r.left, r.top, r.right, r.bottom, m_back);
    RECT box{r.left + 2, r.top + 2, r.bottom - 2, r.bottom - 2};
    qint32 text = hot ? m_foreMouse : m_fore;
    const qint32 outline = cMemDC::pvAlphaBlend(hot ? m_foreMouse : m_back, 0xFFFFFF, 0.75);
    // A disabled box keeps its layout and dims its caption and cross, as the link does.
    if (!isEnabled())
        text = cMemDC::pvAlphaBlend(text, 0x000000, 0.25);
    dc.Rectangle(box.left, box.top, box.right, box.bottom, m_back, QBrush(), outline);

    StdFont font = dc.Font();
    font.underline = hot;
    dc.setFont(font);
    dc.setForecolor(text);
    dc.DrawText(Caption(), box.right + 2, r.top, r.right, r.bottom, DT_LEFT | DT_VCENTER | DT_SINGLELINE);

    if (m_checked) {
        box = RECT{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3};
        QPen pen;
        dc.CreatePen(text, PS_SOLID, 2, pen);
        dc.DrawLine(box.left, box.top, box.right - 1, box.bottom - 1, -1, pen);
        dc.DrawLine(box.right - 1, box.top, box.left, box.bottom - 1, -1, pen);
    }
}
