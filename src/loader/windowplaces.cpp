#include "windowplaces.h"

#include "appstate.h"
#include "ivordalite.h"
#include "settingsoccasion.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {
// Refuses every close request: the window is left only through its own buttons.
class CloseBlocker : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* obj, QEvent* e) override {
        if (e->type() == QEvent::Close) {
            e->ignore();
            return true;
        }
        return QObject::eventFilter(obj, e);
    }
};
} // namespace

int twipsPerPixelX() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return std::max(1, int(std::lround(1440.0 / dpi)));
}
int twipsPerPixelY() {
    const QScreen* s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return std::max(1, int(std::lround(1440.0 / dpi)));
}

static void setTopmost(QWidget* w, bool on) {
    if (!w || w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on)
        return;
    const bool visible = w->isVisible();
    const QRect geo = w->geometry();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    if (visible) {
        w->setGeometry(geo);
        w->show();
    }
}
void MakeTopmost(QWidget* window) { setTopmost(window, true); }
void MakeNotTopmost(QWidget* window) { setTopmost(window, false); }

void RemoveCloseCommand(QWidget* window) {
    if (!window)
        return;
    const bool visible = window->isVisible();
    // Without CustomizeWindowHint the window manager keeps its default buttons, the close box
    // among them, and that close box would do nothing. The title stays, and so does the
    // minimise button: a window that names none of its functions is given all of them by the
    // window manager, Close included.
    const Qt::WindowFlags flags =
        window->windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint;
    window->setWindowFlags(flags & ~Qt::WindowCloseButtonHint);
    window->installEventFilter(new CloseBlocker(window));
    if (visible)
        window->show();
}

void RestoreWindowPosition(QWidget* window) {
    if (!window)
        return;
    const QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    const QRect screen = s ? s->geometry() : QRect(0, 0, 1024, 768);
    const int tx = twipsPerPixelX(), ty = twipsPerPixelY();
    const QSize size = window->frameGeometry().size();
    const qint32 defLeft = qint32(std::lround(screen.width() * tx / 2.0 - size.width() * tx / 2.0));
    const qint32 defTop = qint32(std::lround(screen.height() * ty / 2.0 - size.height() * ty / 2.0));
    qint32 left = defLeft, top = defTop;
    if (ivordalite* m = app().master.get()) {
        left = m->getlong(window->objectName() + QStringLiteral(".left"), defLeft);
        top = m->getlong(window->objectName() + QStringLiteral(".top"), defTop);
    }
    window->move(screen.left() + left / tx, screen.top() + top / ty);
}

void RestoreWindowPositionBeside(QWidget* window, QWidget* anchor) {
    RestoreWindowPosition(window);
    if (!window || !anchor || !anchor->isVisible())
        return;
    if (ivordalite* m = app().master.get()) {
        bool stored = false;
        m->getlong(window->objectName() + QStringLiteral(".left"), 0, stored);
        if (stored)
            return; // where the user left it
    }
    const QScreen* s = anchor->screen() ? anchor->screen() : QGuiApplication::primaryScreen();
    if (!s)
        return;
    const QRect room = s->availableGeometry();
    const QRect beside = anchor->frameGeometry();
    const QSize size = window->frameGeometry().size();
    const int top = std::clamp(beside.top(), room.top(), std::max(room.top(), room.bottom() + 1 - size.height()));
    if (beside.right() + 1 + size.width() <= room.right() + 1)
        window->move(beside.right() + 1, top);
    else if (beside.left() - size.width() >= room.left())
        window->move(beside.left() - size.width(), top);
}

void BringToFront(QWidget* window) {
    if (!window)
        return;
    window->show();
    window->raise();
    window->activateWindow();
}

bool windowPositionsKnown() {
    const QString& forced = app().platformNameOverride;
    const QString platform = forced.isEmpty() ? QGuiApplication::platformName() : forced;
    // Wayland gives every top-level window the position (0, 0) and ignores a move.
    return !platform.startsWith(QLatin1String("wayland"));
}

void SaveWindowPosition(QWidget* window, bool savenow) {
    ivordalite* m = app().master.get();
    if (!m || !window)
        return;
    if (windowPositionsKnown()) {
        const QScreen* s = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
        const QPoint origin = s ? s->geometry().topLeft() : QPoint();
        const QPoint pos = window->pos() - origin;
        SettingsOccasion::add(*m, window->objectName() + QStringLiteral(".left"), QString(),
                              pos.x() * twipsPerPixelX(), QStringLiteral("metrics"));
        SettingsOccasion::add(*m, window->objectName() + QStringLiteral(".top"), QString(),
                              pos.y() * twipsPerPixelY(), QStringLiteral("metrics"));
    }
    if (savenow)
        SettingsOccasion::save(*m);
}
