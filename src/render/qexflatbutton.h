#pragma once
// The flat button: a filled, outlined box with a centred, shadowed caption whose colours
// change while the pointer is over it.
#include "hovercontrol.h"

class qexFlatButton : public HoverControl {
    Q_OBJECT
    Q_PROPERTY(qint32 BackcolorDisabled READ BackcolorDisabled WRITE setBackcolorDisabled)
    Q_PROPERTY(qint32 ForecolorDisabled READ ForecolorDisabled WRITE setForecolorDisabled)
    Q_PROPERTY(qint32 Backcolor READ Backcolor WRITE setBackcolor)
    Q_PROPERTY(qint32 Forecolor READ Forecolor WRITE setForecolor)
    Q_PROPERTY(qint32 BackcolorMouse READ BackcolorMouse WRITE setBackcolorMouse)
    Q_PROPERTY(qint32 ForecolorMouse READ ForecolorMouse WRITE setForecolorMouse)
public:
    explicit qexFlatButton(QWidget* parent = nullptr);

    qint32 BackcolorDisabled() const { return m_backDisabled; }
    void setBackcolorDisabled(qint32 c) { m_backDisabled = c; markDirty(); }
    qint32 ForecolorDisabled() const { return m_foreDisabled; }
    void setForecolorDisabled(qint32 c) { m_foreDisabled = c; markDirty(); }
    qint32 Backcolor() const { return m_back; }
    void setBackcolor(qint32 c) { m_back = c; markDirty(); }
    qint32 Forecolor() const { return m_fore; }
    void setForecolor(qint32 c) { m_fore = c; markDirty(); }
    qint32 BackcolorMouse() const { return m_backMouse; }
    void setBackcolorMouse(qint32 c) { m_backMouse = c; markDirty(); }
    qint32 ForecolorMouse() const { return m_foreMouse; }
    void setForecolorMouse(qint32 c) { m_foreMouse = c; markDirty(); }

    QAccessible::Role accessibleRole() const override { return QAccessible::Button; }

signals:
    void Click();
    void MouseOver();
    void MouseOut();
    void KeyDown(int keyCode, int shift);

protected:
    void paintFace(cMemDC& dc) override;
    void raiseClick() override { emit Click(); }
    void raiseMouseOver() override { emit MouseOver(); }
    void raiseMouseOut() override { emit MouseOut(); }
    void raiseKeyDown(int keyCode, int shift) override { emit KeyDown(keyCode, shift); }
    bool raisesKeyDown() const override { return true; }
    qint32 focusColour() const override { return isHovered() ? m_foreMouse : m_fore; }
    QRect focusFrame() const override { return rect().adjusted(2, 2, -3, -3); }
    void captionChanged() override { update(); }

private:
    qint32 m_backDisabled = 0x000000;
    qint32 m_foreDisabled = 0x808080;
    qint32 m_back = 0xFF0000;
    qint32 m_fore = 0x000000;
    qint32 m_backMouse = 0x0080FF;
    qint32 m_foreMouse = 0x000000;
};
