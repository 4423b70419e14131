#pragma once
// The desktop shell: start a program, open a document or a web page.
#include <QString>
#include <QStringList>
#include <functional>

class Shell {
public:
    virtual ~Shell() = default;
    // Starts a program detached; false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& args, const QString& workDir) = 0;
    // Opens a document or URL with the desktop's default handler.
    virtual bool openUrl(const QString& url) = 0;
    // Opens a web page with the desktop's opener and calls `done` once it is known whether the
    // opener took it: false when it could not be started or ended with a failure (no browser
    // at all). `done` may run later, from the event loop. By default openUrl decides at once.
    virtual void openPage(const QString& url, std::function<void(bool opened)> done) { done(openUrl(url)); }
};

Shell& shell();
void setShell(Shell* s);
