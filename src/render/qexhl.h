#pragma once
// The flat link: a caption that is as wide as its text and changes colour (and underlines)
// while the pointer is over it.
#include "hovercontrol.h"

class qexHL : public HoverControl {
    Q_OBJECT
    Q_PROPERTY(qint32 Backcolor READ Backcolor WRITE setBackcolor)
    Q_PROPERTY(qint32 Forecolor READ Forecolor WRITE setForecolor)
    Q_PROPERTY(qint32 ForecolorMouse READ ForecolorMouse WRITE setForecolorMouse)
public:
    explicit qexHL(QWidget* parent = nullptr);

    qint32 Backcolor() const { return m_back; }
    void setBackcolor(qint32 c) { m_back = c; markDirty(); }
    qint32 Forecolor() const { return m_fore; }
    void setForecolor(qint32 c) { m_fore = c; markDirty(); }
    qint32 ForecolorMouse() const { return m_foreMouse; }
    void setForecolorMouse(qint32 c) { m_foreMouse = c; markDirty(); }

    QAccessible::Role accessibleRole() const override { return QAccessible::Link; }
    QSize sizeHint() const override;

signals:
    void Click();

protected:
    void paintFace(cMemDC& dc) override;
    void raiseClick() override { emit Click(); }
    qint32 focusColour() const override { return isHovered() ? m_foreMouse : m_fore; }
    void captionChanged() override;
    void showEvent(QShowEvent* e) override;

private:
    void fitToCaption();
    int captionWidth();

    qint32 m_back = 0xFF0000;
    qint32 m_fore = 0x000000;
    qint32 m_foreMouse = 0x000000;
};
