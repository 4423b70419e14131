#include "productpage.h"

#include "messagelog.h"
#include "prompter.h"
#include "shell.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

namespace {
std::function<QString()>& lookupOverride() {
    static std::function<QString()> f;
    return f;
}

QString queryDefaultHandler() {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (tool.isEmpty())
        return QString();
    QProcess p;
    p.start(tool, {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("x-scheme-handler/https")});
    if (!p.waitForFinished(3000)) {
        p.kill();
        p.waitForFinished(1000);
        return QString();
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// The "Exec" value of the main group of a desktop entry; empty when there is none.
QString execOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&f);
    bool inMain = false;
    // A desktop entry is a few dozen lines; a runaway file is not read to its end.
    for (int n = 0; n < 10000 && !in.atEnd(); ++n) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inMain = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        if (!inMain)
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0 && line.left(eq).trimmed() == QLatin1String("Exec"))
            return line.mid(eq + 1).trimmed();
    }
    return QString();
}

QString fillFieldCodes(const QString& args, const QString& address) {
    QString out;
    out.reserve(args.size() + address.size());
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QChar c = args.at(i);
        if (c != QLatin1Char('%') || i + 1 >= args.size()) {
            out.append(c);
            continue;
        }
        const QChar code = args.at(++i);
        switch (code.unicode()) {
        case '%':
            out.append(QLatin1Char('%'));
            break;
        case 'u':
        case 'U':
        case 'f':
        case 'F':
        case '1':
            out.append(address);
            break;
        // Icon, name and entry location mean nothing for a page to open.
        case 'i':
        case 'c':
        case 'k':
        case 'd':
        case 'D':
        case 'n':
        case 'N':
        case 'v':
        case 'm':
            break;
        default:
            out.append(c);
            out.append(code);
        }
    }
    // A dropped field code leaves its spaces behind.
    return out.simplified();
}
} // namespace

namespace ProductPage {
Command splitCommand(const QString& command, const QString& address) {
    const QString cmd = command.trimmed();
    Command out;
    if (cmd.isEmpty())
        return out;
    qsizetype cut = -1;
    if (cmd.startsWith(QLatin1Char('"'))) {
        // The program runs up to and including its closing quote.
        cut = cmd.indexOf(QLatin1Char('"'), 1);
        if (cut >= 0)
            ++cut;
    }
    if (cut < 0) {
        cut = 0;
        while (cut < cmd.size() && !cmd.at(cut).isSpace())
            ++cut;
    }
    out.program = cmd.left(cut).trimmed();
    out.arguments = fillFieldCodes(cmd.mid(cut).trimmed(), address);
    return out;
}

QString browserCommand() {
    const QString id = lookupOverride() ? lookupOverride()() : queryDefaultHandler();
    if (id.isEmpty()) {
        LogMessage(QStringLiteral("couldn't open the top level registry key"));
        return QString();
    }
    const QString entry = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, id);
    const QString exec = entry.isEmpty() ? QString() : execOf(entry);
    if (exec.isEmpty()) {
        LogMessage(QStringLiteral("warning: couldn't open the query registry for browser key"));
        return QString();
    }
    return exec;
}

void setHandlerLookup(std::function<QString()> lookup) {
    lookupOverride() = std::move(lookup);
}
} // namespace ProductPage

void OpenProductPage() {
    const QString address = QString::fromLatin1(ProductPage::kAddress);
    // The browser that was found is the program started, so the log names what really runs.
    const ProductPage::Command browser = ProductPage::splitCommand(ProductPage::browserCommand(), address);
    if (!browser.program.isEmpty()) {
        LogMessage(QStringLiteral("file: ") + browser.program);
        LogMessage(QStringLiteral("args: ") + browser.arguments);
        if (shell().startProgram(browser.program, QProcess::splitCommand(browser.arguments), QString()))
            return;
        LogMessage(QStringLiteral("warning: the browser couldn't be started: ") + browser.program);
    }
    // Without a browser of its own the desktop's opener takes the page.
    LogMessage(QStringLiteral("file: xdg-open"));
    LogMessage(QStringLiteral("args: ") + address);
    if (shell().openUrl(address))
        return;
    LogMessage(QStringLiteral("warning: the product page couldn't be opened: ") + address);
    prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Product Website"),
                   QStringLiteral("The product web page couldn't be opened because no web browser was found. "
                                  "To visit it, open ") +
                       address + QStringLiteral(" in your web browser."));
}
