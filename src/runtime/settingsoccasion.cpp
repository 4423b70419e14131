#include "settingsoccasion.h"

#include "appstate.h"
#include "ivordalite.h"
#include "messagelog.h"
#include "prompter.h"

namespace {
struct Pending {
    int depth = 0;
    bool saveFailed = false;
    QString path;
    QString reason;
    bool full = false;
    QString fullPath;
};
Pending& pending() {
    static Pending p;
    return p;
}

void flush() {
    Pending& p = pending();
    if (p.saveFailed) {
        p.saveFailed = false;
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Settings Not Saved"),
                       QStringLiteral("The settings file '") + p.path + QStringLiteral("' couldn't be saved: ") +
                           p.reason + QStringLiteral("\r\nYour latest settings, chapter list and window positions "
                                                     "are not kept."));
    }
    if (p.full) {
        p.full = false;
        app().settingsFullReported = true;
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Settings File Full"),
                       QStringLiteral("Some settings couldn't be kept because the settings file is full: '") +
                           p.fullPath +
                           QStringLiteral("' holds %1 entries, the most it can hold.").arg(StoreFormat::kMaxEntries));
    }
}
} // namespace

SettingsOccasion::SettingsOccasion() { ++pending().depth; }

SettingsOccasion::~SettingsOccasion() {
    if (--pending().depth == 0)
        flush();
}

bool SettingsOccasion::add(ivordalite& store, const QString& name, const QString& text, qint32 number,
                           const QString& tag) {
    try {
        store.add(name, text, number, tag);
        return true;
    } catch (const StoreError& e) {
        LogMessage(QStringLiteral("setting '") + name + QStringLiteral("' not stored: ") + e.description() +
                   QStringLiteral("/n"));
        Pending& p = pending();
        if (!app().settingsFullReported && !p.full) {
            p.full = true;
            p.fullPath = store.filePath();
        }
        if (p.depth == 0)
            flush();
        return false;
    }
}

bool SettingsOccasion::save(ivordalite& store) {
    if (store.save())
        return true;
    Pending& p = pending();
    if (!p.saveFailed) {
        p.saveFailed = true;
        p.path = store.filePath();
        p.reason = store.errorString();
    }
    if (p.depth == 0)
        flush();
    return false;
}
