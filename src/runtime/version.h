#pragma once
// The programs' name and version numbers, as the About window, the splash, the card face
// and the statistics export show them.
#include <QString>

constexpr int kAppMajor = QUARNEL_MAJOR;
constexpr int kAppMinor = QUARNEL_MINOR;
constexpr int kAppRevision = QUARNEL_REVISION;
inline QString programTitle() { return QStringLiteral("qr2"); }
inline QString productName() { return QStringLiteral("Quarnel"); }

QString VersionString();
