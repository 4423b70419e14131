#pragma once
// What the three owner-drawn controls share: the hover state that follows the pointer, the
// hand pointer while hovered and enabled, the 50 ms repaint tick, keyboard focus, and the
// accessibility interface. Each control paints itself through a drawing surface.
#include <QAccessible>
#include <QTimer>
#include <QWidget>

class cMemDC;

class HoverControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    QString Caption() const { return m_captionSet ? m_caption : objectName(); }
    void setCaption(const QString& caption);
    bool Enabled() const { return isEnabled(); }
    bool isHovered() const { return m_hover; }
    // What a click does: nothing when disabled; otherwise the control's own step, the Click
    // event, and the hover flag cleared.
    void click();
    // Role, check state and actions for assistive technology.
    virtual QAccessible::Role accessibleRole() const = 0;
    virtual bool isCheckable() const { return false; }
    virtual bool isChecked() const { return false; }

protected:
    explicit HoverControl(QWidget* parent);
    virtual void paintFace(cMemDC& dc) = 0;
    virtual void beforeClick() {}
    virtual void raiseClick() = 0;
    virtual void raiseMouseOver() {}
    virtual void raiseMouseOut() {}
    virtual void raiseKeyDown(int keyCode, int shift);
    virtual void captionChanged() {}
    virtual void tick() {}
    // Keyboard: the controls that raise KeyDown pass their keys on that way; the others
    // leave them to the window beneath. The focus mark is a dotted frame in the colour of
    // the control's text, around `focusFrame`.
    virtual bool raisesKeyDown() const { return false; }
    virtual qint32 focusColour() const = 0;
    virtual QRect focusFrame() const { return rect(); }
    // A property changed: shown at the next tick.
    void markDirty() { m_dirty = true; }

    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    void track(const QPoint& pos);
    void leave();
    void updateCursor();

    QTimer m_timer;
    QString m_caption;
    bool m_captionSet = false;
    bool m_hover = false;
    bool m_pressed = false;
    bool m_dirty = true;
};
