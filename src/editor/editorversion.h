#pragma once
// The editor is a program of its own with its own version; it shares the build's revision
// number with the study program.
#include <QString>

#ifndef QUARNEL_REVISION
#define QUARNEL_REVISION 0
#endif

namespace qredit {
constexpr int kEditorMajor = 1;
constexpr int kEditorMinor = 1;
constexpr int kEditorRevision = QUARNEL_REVISION;

// The status bar text the window starts with.
inline QString versionStatusText() {
    return QStringLiteral("Quarnel Editor v.%1.%2 [build %3]").arg(kEditorMajor).arg(kEditorMinor).arg(kEditorRevision);
}
} // namespace qredit
