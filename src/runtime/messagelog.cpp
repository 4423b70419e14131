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
    // Only the banner prefix and the line end are markers here: a "/t" or "/n" inside a text is
    // as likely part of a path ("/home/tim", "/home/nina") and is printed as it stands.
    QString line = text;
    if (level == 1) {
        while (line.startsWith(QLatin1String("/b")) || line.startsWith(QLatin1String("/c")))
            line.remove(0, 2);
    }
    if (line.endsWith(QLatin1String("/n"))) {
        line.chop(2);
        line.append(u'\n');
    }
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
