#include "qtservices.h"

#include "dialogbackend.h"
#include "prompter.h"
#include "shell.h"

#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <memory>
#include <utility>

namespace {
QWidget* asWidget(QObject* o) { return qobject_cast<QWidget*>(o); }

class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QString title) : m_title(std::move(title)) {}
    MsgResult ask(MsgIcon icon, MsgButtons buttons, const QString& title, const QString& text) override {
        QMessageBox box;
        box.setWindowTitle(title.isEmpty() ? m_title : title);
        box.setText(text);
        switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        }
        switch (buttons) {
        case MsgButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Yes: return MsgResult::Yes;
        case QMessageBox::No: return MsgResult::No;
        case QMessageBox::Cancel: return MsgResult::Cancel;
        default: return buttons == MsgButtons::Ok ? MsgResult::Ok : MsgResult::Cancel;
        }
    }

private:
    QString m_title;
};

class QtShell : public Shell {
public:
    bool startProgram(const QString& program, const QStringList& args, const QString& workDir) override {
        return QProcess::startDetached(program, args, workDir);
    }
    bool openUrl(const QString& url) override {
        QUrl u(url);
        if (u.scheme().isEmpty())
            u = QUrl::fromLocalFile(url);
        return QDesktopServices::openUrl(u);
    }
    void openPage(const QString& url, std::function<void(bool)> done) override {
        // The desktop's opener is run and waited for: its exit status tells whether any
        // browser took the page ("xdg-open: no method available" ends it with 3). Starting it
        // alone proves nothing. It may run as long as the browser it starts; the program never
        // waits for it, and at its end only the opener is stopped, never the browser.
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty()) {
            done(openUrl(url));
            return;
        }
        auto* process = new QProcess(qApp);
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->setStandardInputFile(QProcess::nullDevice());
        auto report = std::make_shared<std::function<void(bool)>>(std::move(done));
        QObject::connect(process, &QProcess::finished, process,
                         [process, report](int code, QProcess::ExitStatus status) {
                             process->deleteLater();
                             if (auto f = std::exchange(*report, {}))
                                 f(status == QProcess::NormalExit && code == 0);
                         });
        QObject::connect(process, &QProcess::errorOccurred, process, [process, report](QProcess::ProcessError e) {
            if (e != QProcess::FailedToStart)
                return;
            process->deleteLater();
            if (auto f = std::exchange(*report, {}))
                f(false);
        });
        process->start(opener, {url});
    }
};

class QtDialogs : public DialogBackend {
public:
    FileDialogResult runFileDialog(const FileDialogRequest& req) override {
        QFileDialog dlg(asWidget(req.owner));
        dlg.setAcceptMode(req.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        if (!req.title.isEmpty())
            dlg.setWindowTitle(req.title);
        QStringList nameFilters;
        for (int i = 0; i + 1 < req.filterParts.size(); i += 2)
            nameFilters << QStringLiteral("%1 (%2)").arg(req.filterParts[i], QString(req.filterParts[i + 1]).replace(';', ' '));
        if (req.filterParts.size() % 2 == 1)
            nameFilters << req.filterParts.last();
        if (!nameFilters.isEmpty()) {
            dlg.setNameFilters(nameFilters);
            dlg.selectNameFilter(nameFilters.value(std::max(0, req.filterIndex - 1)));
        }
        if (!req.defaultExt.isEmpty())
            dlg.setDefaultSuffix(req.defaultExt);
        const bool mustExist = req.flags & 0x1000;
        dlg.setFileMode(req.save ? QFileDialog::AnyFile : (mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile));
        if (req.save && !(req.flags & 0x2))
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
        if (!req.initDir.isEmpty())
            dlg.setDirectory(req.initDir);
        if (!req.fileName.isEmpty())
            dlg.selectFile(req.fileName);
        FileDialogResult r;
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return r;
        r.ret = 1;
        r.fileName = dlg.selectedFiles().first();
        r.fileTitle = QFileInfo(r.fileName).fileName();
        r.flags = req.flags;
        r.filterIndex = std::max(1, int(nameFilters.indexOf(dlg.selectedNameFilter())) + 1);
        return r;
    }

    ColorDialogResult runColorDialog(uint32_t initial, uint32_t, std::array<uint32_t, 16>& custom,
                                     QObject* owner) override {
        auto toQ = [](uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); };
        auto fromQ = [](const QColor& q) { return uint32_t(q.red()) | uint32_t(q.green()) << 8 | uint32_t(q.blue()) << 16; };
        for (int i = 0; i < 16; ++i)
            QColorDialog::setCustomColor(i, toQ(custom[i]));
        QColorDialog dlg(toQ(initial), asWidget(owner));
        ColorDialogResult r;
        const bool ok = dlg.exec() == QDialog::Accepted;
        for (int i = 0; i < 16; ++i)
            custom[i] = fromQ(QColorDialog::customColor(i));
        if (!ok)
            return r;
        r.ret = 1;
        r.color = fromQ(dlg.selectedColor());
        return r;
    }
};
} // namespace

void installQtServices(const QString& defaultTitle) {
    static QtPrompter p(defaultTitle);
    static QtShell s;
    static QtDialogs d;
    setPrompter(&p);
    setShell(&s);
    setDialogBackend(&d);
}
