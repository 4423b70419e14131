#pragma once
// The message log: every part reports what it does through LogMessage. While the splash
// status is set, each message stands on the splash window's status line; a high-priority
// message becomes a message box instead.
#include <QString>
#include <functional>

// Texts end in "/n"; "/t" marks a tab; "/b" and "/c" prefix the banner lines. Level 1 is a
// banner, 3 an ordinary line, 4 the continuation of the previous line.
void LogMessage(const QString& text, int level = 3, bool highpriority = false);

// Every message also goes to this observer (tests, the console echo); empty to remove.
using LogTap = std::function<void(const QString& text, int level)>;
void setLogTap(LogTap tap);
