#pragma once
// The desktop shell: start a program, open a document or a web page.
#include <QString>
#include <QStringList>

class Shell {
public:
    virtual ~Shell() = default;
    // Starts a program detached; false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& args, const QString& workDir) = 0;
    // Opens a document or URL with the desktop's default handler.
    virtual bool openUrl(const QString& url) = 0;
};

Shell& shell();
void setShell(Shell* s);
