#include "hovercontrol.h"

#include "cmemdc.h"
#include "virtualkey.h"

#include <QAccessibleWidget>
#include <QCursor>
#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {
class HoverControlAccessible : public QAccessibleWidget {
public:
    explicit HoverControlAccessible(HoverControl* w) : QAccessibleWidget(w, w->accessibleRole()) {}
    HoverControl* control() const { return static_cast<HoverControl*>(widget()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            const QString explicitName = widget()->accessibleName();
            return explicitName.isEmpty() ? control()->Caption() : explicitName;
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        s.hotTracked = control()->isHovered();
        if (control()->isCheckable()) {
            s.checkable = true;
            s.checked = control()->isChecked();
        }
        return s;
    }
    QStringList actionNames() const override {
        if (!widget()->isEnabled())
            return {};
        QStringList names{pressAction()};
        if (control()->isCheckable())
            names << toggleAction();
        return names;
    }
    void doAction(const QString& name) override {
        if (name == pressAction() || name == toggleAction())
            control()->click();
    }
};

QAccessibleInterface* hoverControlFactory(const QString&, QObject* object) {
    if (auto* c = qobject_cast<HoverControl*>(object))
        return new HoverControlAccessible(c);
    return nullptr;
}
} // namespace

HoverControl::HoverControl(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(hoverControlFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        tick();
        // Only a control whose look changed is painted again.
        if (m_dirty)
            update();
    });
    m_timer.start();
}

void HoverControl::setCaption(const QString& caption) {
    const bool changed = !m_captionSet || caption != m_caption;
    m_caption = caption;
    m_captionSet = true;
    if (!changed)
        return;
    captionChanged();
    QAccessibleEvent ev(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&ev);
}

void HoverControl::click() {
    if (!isEnabled())
        return;
    beforeClick();
    raiseClick();
    m_hover = false;
    updateCursor();
    markDirty();
}

void HoverControl::raiseKeyDown(int, int) {}

void HoverControl::updateCursor() {
    if (m_hover && isEnabled())
        setCursor(Qt::PointingHandCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void HoverControl::track(const QPoint& pos) {
    if (pos.x() < 0 || pos.y() < 0 || pos.x() > width() || pos.y() > height()) {
        leave();
        return;
    }
    raiseMouseOver();
    m_hover = true;
    updateCursor();
    update();
}

void HoverControl::leave() {
    raiseMouseOut();
    m_hover = false;
    updateCursor();
    update();
}

bool HoverControl::event(QEvent* e) {
    // The pointer is followed whether or not the control is enabled.
    switch (e->type()) {
    case QEvent::MouseMove:
        track(static_cast<QMouseEvent*>(e)->position().toPoint());
        if (!isEnabled())
            return true;
        break;
    case QEvent::Enter:
        if (auto* enter = dynamic_cast<QEnterEvent*>(e))
            track(enter->position().toPoint());
        else
            track(mapFromGlobal(QCursor::pos()));
        break;
    case QEvent::Leave:
        leave();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void HoverControl::paintEvent(QPaintEvent*) {
    m_dirty = false;
    cMemDC dc;
    dc.init(width(), height(), this);
    if (!dc.IsCreated())
        return;
    paintFace(dc);
    if (hasFocus() && isEnabled()) {
        const QRect f = focusFrame();
        QPen dotted;
        dc.CreatePen(focusColour(), PS_DOT, 1, dotted);
        dotted.setCapStyle(Qt::FlatCap);
        dc.Rectangle(f.left(), f.top(), f.right() + 1, f.bottom() + 1, -1, QBrush(), -1, dotted);
    }
    QPainter p(this);
    dc.BitBlt(&p);
}

void HoverControl::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton)
        m_pressed = true;
    e->accept();
}

void HoverControl::mouseReleaseEvent(QMouseEvent* e) {
    const bool wasPressed = m_pressed;
    m_pressed = false;
    e->accept();
    if (e->button() == Qt::LeftButton && wasPressed && rect().contains(e->position().toPoint()))
        click();
}

void HoverControl::keyPressEvent(QKeyEvent* e) {
    // Space acts on the focused control as a click does.
    if (e->key() == Qt::Key_Space && !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        if (!e->isAutoRepeat())
            click();
        e->accept();
        return;
    }
    if (!raisesKeyDown()) {
        e->ignore();
        return;
    }
    raiseKeyDown(virtualKeyFromQt(e->key()), shiftStateFromQt(e->modifiers()));
    e->accept();
}

void HoverControl::focusInEvent(QFocusEvent* e) {
    markDirty();
    update();
    QWidget::focusInEvent(e);
}

void HoverControl::focusOutEvent(QFocusEvent* e) {
    markDirty();
    update();
    QWidget::focusOutEvent(e);
}

void HoverControl::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange) {
        updateCursor();
        markDirty();
        update();
    } else if (e->type() == QEvent::FontChange) {
        captionChanged();
        markDirty();
    }
    QWidget::changeEvent(e);
}
