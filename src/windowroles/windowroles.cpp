#include "windowroles.h"

#include <QAccessibleWidget>
#include <QWidget>

namespace {
// True when `object`'s class is one of ours that derives from QWidget directly: a class
// of Qt on the way (a dialog, a main window, a menu) has its own, better interface.
bool plainWidgetWindow(const QObject* object) {
    for (const QMetaObject* m = object->metaObject(); m; m = m->superClass()) {
        if (m == &QWidget::staticMetaObject)
            return true;
        if (m->className()[0] == 'Q')
            return false;
    }
    return false;
}

QAccessibleInterface* windowFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    // Asked once per class of the object, most derived first: answer for that one only.
    if (className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (!w->isWindow() || !plainWidgetWindow(object))
        return nullptr;
    return new QAccessibleWidget(w, windowRoleOf(w));
}
} // namespace

void installWindowRoles() {
    static const bool installed = [] {
        QAccessible::installFactory(windowFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

QAccessible::Role windowRoleOf(const QWidget* window) {
    return window->windowType() == Qt::Dialog ? QAccessible::Dialog : QAccessible::Window;
}
