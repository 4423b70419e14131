// A package of another flash-card program imported from the window: its decks chosen in
// PackageDialog, one chapter file each, and the reviews into the review history.
#include "editorwindow.h"

#include "packagechapters.h"
#include "packagedialog.h"
#include "prompter.h"
#include "wordimport.h"

#include <QFileInfo>

namespace qredit {

namespace {
std::function<bool(PackageDialog&)>& packageRunner() {
    static std::function<bool(PackageDialog&)> runner = [](PackageDialog& d) { return d.exec() == QDialog::Accepted; };
    return runner;
}
} // namespace

bool isPackageFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("apkg") || suffix == QLatin1String("colpkg");
}

void EditorWindow::setPackageRunner(std::function<bool(PackageDialog&)> runner) {
    packageRunner() = runner ? std::move(runner) : [](PackageDialog& d) { return d.exec() == QDialog::Accepted; };
}

bool EditorWindow::importPackage(const QString& path) {
    const QString title = QStringLiteral("Can't import file");
    if (!refuseOddFile(path, title, QStringLiteral("Nothing was written.")))
        return false;
    const QString name = QFileInfo(path).fileName();
    package::Collection collection;
    if (!collection.open(path)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("'%1' can't be imported: %2 Nothing was written.").arg(name, collection.error()));
        return false;
    }
    if (collection.decks().isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("'%1' holds no cards. Nothing was written.").arg(name));
        return false;
    }
    PackageDialog dlg(name, collection, QFileInfo(path).absolutePath(), this);
    if (!packageRunner()(dlg))
        return false;
    const package::ImportResult read = collection.read(dlg.choice());
    const PackageWriteResult written = writePackageChapters(read, dlg.folder(), historyPath());
    if (!written.ok()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("'%1' can't be imported: %2").arg(name, written.error));
        return false;
    }
    QStringList files;
    for (const PackageChapterFile& f : written.written)
        files.append(QFileInfo(f.path).fileName());
    setStatus(QStringLiteral("%1 written to '%2'")
                  .arg(counted(written.written.size(), QStringLiteral("%1 chapter"), QStringLiteral("%1 chapters")),
                       dlg.folder()));
    prompter().ask(MsgIcon::Information, MsgButtons::Ok, QStringLiteral("Decks Imported"),
                   QStringLiteral("%1\n\nIn '%2': %3.\nOpen a chapter with File > Open, or study it in qr2.")
                       .arg(packageImportReport(read, written), dlg.folder(), files.join(QStringLiteral(", "))));
    return true;
}

} // namespace qredit
