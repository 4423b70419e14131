#include "messagelog.h"

#include "appstate.h"
#include "prompter.h"

#include <QCoreApplication>
#include <QThread>
#include <cstdio>

namespace {
LogTap& tap() {
    static LogTap t;
    return t;
}

void echoToConsole(const QString& text, int level) {
    QString line = text;
    line.replace(QStringLiteral("/b"), QString()).replace(QStringLiteral("/c"), QString());
    line.replace(QStringLiteral("/t"), QStringLiteral("\t")).replace(QStringLiteral("/n"), QStringLiteral("\n"));
    Q_UNUSED(level);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}
} // namespace

void setLogTap(LogTap t) { tap() = std::move(t); }

void LogMessage(const QString& text, int level, bool highpriority) {
    if (tap())
        tap()(text, level);
    if (app().showConsole)
        echoToConsole(text, level);
    if (highpriority) {
        prompter().ask(MsgIcon::Critical, MsgButtons::Ok, QStringLiteral("High Priority Message Handler"), text);
        return;
    }
    if (app().splashStatus) {
        QString shown = text;
        shown.remove(QStringLiteral("/n")).remove(QStringLiteral("/t"));
        if (app().hooks.setSplashStatus)
            app().hooks.setSplashStatus(shown);
        QThread::msleep(25);
        QCoreApplication::processEvents();
    }
}
