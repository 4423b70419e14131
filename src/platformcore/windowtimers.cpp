#include "windowtimers.h"

#include <QHash>
#include <QPointer>
#include <QTimer>

namespace {
struct Key {
    QObject* window;
    int id;
    bool operator==(const Key& o) const { return window == o.window && id == o.id; }
};
size_t qHash(const Key& k, size_t seed = 0) { return ::qHash(quintptr(k.window), seed) ^ ::qHash(k.id, seed); }

QHash<Key, QTimer*>& timers() {
    static QHash<Key, QTimer*> t;
    return t;
}
} // namespace

namespace WindowTimers {
void start(QObject* window, int id, int intervalMs, bool singleShot, std::function<void()> onTick) {
    kill(window, id);
    auto* t = new QTimer(window);
    t->setInterval(intervalMs);
    t->setSingleShot(singleShot);
    Key key{window, id};
    QObject::connect(t, &QTimer::timeout, t, [onTick = std::move(onTick)] { onTick(); });
    // A window that goes away takes its timers with it.
    QObject::connect(t, &QObject::destroyed, [key, t] {
        auto it = timers().find(key);
        if (it != timers().end() && it.value() == t)
            timers().erase(it);
    });
    timers().insert(key, t);
    t->start();
}

void kill(QObject* window, int id) {
    auto it = timers().find(Key{window, id});
    if (it == timers().end())
        return;
    QTimer* t = it.value();
    timers().erase(it);
    t->stop();
    t->deleteLater();
}

bool isActive(QObject* window, int id) {
    auto it = timers().find(Key{window, id});
    return it != timers().end() && it.value()->isActive();
}

int interval(QObject* window, int id) {
    auto it = timers().find(Key{window, id});
    return it == timers().end() ? 0 : it.value()->interval();
}
} // namespace WindowTimers
