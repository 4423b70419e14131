#pragma once
// The flat check box: a small box with a cross when checked, and a caption beside it.
#include "hovercontrol.h"

class qexCheck : public HoverControl {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE setChecked)
    Q_PROPERTY(qint32 Backcolor READ Backcolor WRITE setBackcolor)
    Q_PROPERTY(qint32 Forecolor READ Forecolor WRITE setForecolor)
    Q_PROPERTY(qint32 ForecolorMouse READ ForecolorMouse WRITE setForecolorMouse)
public:
    explicit qexCheck(QWidget* parent = nullptr);

    bool Checked() const { return m_checked; }
    void setChecked(bool on);
    qint32 Backcolor() const { return m_back; }
    void setBackcolor(qint32 c) { m_back = c; markDirty(); }
    qint32 Forecolor() const { return m_fore; }
    void setForecolor(qint32 c) { m_fore = c; markDirty(); }
    qint32 ForecolorMouse() const { return m_foreMouse; }
    void setForecolorMouse(qint32 c) { m_foreMouse = c; markDirty(); }

    QAccessible::Role accessibleRole() const override { return QAccessible::CheckBox; }
    bool isCheckable() const override { return true; }
    bool isChecked() const override { return m_checked; }

signals:
    void Click();
    void MouseOver();
    void MouseOut();
    void KeyDown(int keyCode, int shift);

protected:
    void paintFace(cMemDC& dc) override;
    void beforeClick() override { setChecked(!m_checked); }
    void raiseClick() override { emit Click(); }
    void raiseMouseOver() override { emit MouseOver(); }
    void raiseMouseOut() override { emit MouseOut(); }
    void raiseKeyDown(int keyCode, int shift) override { emit KeyDown(keyCode, shift); }
    bool raisesKeyDown() const override { return true; }
    qint32 focusColour() const override { return isHovered() ? m_foreMouse : m_fore; }
    void captionChanged() override { markDirty(); }

private:
    bool m_checked = false;
    qint32 m_back = 0xFF0000;
    qint32 m_fore = 0x000000;
    qint32 m_foreMouse = 0x000000;
};
