#include "clock.h"
#include "dialogbackend.h"
#include "prompter.h"
#include "shell.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QTime>

namespace {
class FirstButtonPrompter : public Prompter {
public:
    MsgResult ask(MsgIcon, MsgButtons b, const QString&, const QString&) override {
        return b == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Yes;
    }
};
class NullShell : public Shell {
public:
    bool startProgram(const QString&, const QStringList&, const QString&) override { return false; }
    bool openUrl(const QString&) override { return false; }
};
class CancelDialogs : public DialogBackend {
public:
    FileDialogResult runFileDialog(const FileDialogRequest&) override { return {}; }
    ColorDialogResult runColorDialog(uint32_t, uint32_t, std::array<uint32_t, 16>&, QObject*) override { return {}; }
};
class SystemClock : public Clock {
public:
    SystemClock() { m_timer.start(); }
    qint64 steadyMs() override { return m_timer.elapsed(); }
    double secondsSinceMidnight() override { return QTime::currentTime().msecsSinceStartOfDay() / 1000.0; }

private:
    QElapsedTimer m_timer;
};

Prompter* g_prompter = nullptr;
Shell* g_shell = nullptr;
DialogBackend* g_dialogs = nullptr;
Clock* g_clock = nullptr;
} // namespace

Prompter& prompter() {
    static FirstButtonPrompter fallback;
    return g_prompter ? *g_prompter : fallback;
}
void setPrompter(Prompter* p) { g_prompter = p; }

Shell& shell() {
    static NullShell fallback;
    return g_shell ? *g_shell : fallback;
}
void setShell(Shell* s) { g_shell = s; }

DialogBackend& dialogBackend() {
    static CancelDialogs fallback;
    return g_dialogs ? *g_dialogs : fallback;
}
void setDialogBackend(DialogBackend* d) { g_dialogs = d; }

Clock& appClock() {
    static SystemClock fallback;
    return g_clock ? *g_clock : fallback;
}
void setAppClock(Clock* c) { g_clock = c; }
