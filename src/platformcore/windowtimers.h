#pragma once
// Window timers with ids: per window and id one QTimer; starting an id again replaces it.
#include <QObject>
#include <functional>

namespace WindowTimers {
// Starts (or restarts) timer `id` on `window`. `singleShot` timers stop after the first tick.
void start(QObject* window, int id, int intervalMs, bool singleShot, std::function<void()> onTick);
void kill(QObject* window, int id);
bool isActive(QObject* window, int id);
int interval(QObject* window, int id);
} // namespace WindowTimers
