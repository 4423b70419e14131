#pragma once
// The platform's file and colour dialogs, below the argument translation of GCommonDialog.
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

class QObject;

struct FileDialogRequest {
    bool save = false;
    QString fileName;          // proposed file name (up to its first NUL, never cut)
    QString initDir;
    QString title;             // empty: the platform's default title
    QString defaultExt;
    QStringList filterParts;   // description, pattern, description, pattern ...
    int filterIndex = 1;       // 1-based
    uint32_t flags = 0;        // OFN_ values
    QObject* owner = nullptr;
};

struct FileDialogResult {
    int ret = 0;               // 1 confirmed, 0 cancelled, anything else a failure
    QString fileName;
    QString fileTitle;
    uint32_t flags = 0;
    int filterIndex = 1;
    uint32_t extendedError = 0;
};

struct ColorDialogResult {
    int ret = 0;
    uint32_t color = 0;        // COLORREF 0x00BBGGRR
    uint32_t extendedError = 0;
};

class DialogBackend {
public:
    virtual ~DialogBackend() = default;
    virtual FileDialogResult runFileDialog(const FileDialogRequest& req) = 0;
    virtual ColorDialogResult runColorDialog(uint32_t initial, uint32_t flags, std::array<uint32_t, 16>& custom,
                                             QObject* owner) = 0;
};

DialogBackend& dialogBackend();
void setDialogBackend(DialogBackend* d);
