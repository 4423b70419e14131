// The chapter on paper: File > Print... through the system's print dialog, and File > Export
// PDF... to a file (a word list, or cut-out cards by the chosen file type).
#include "editorwindow.h"

#include "cardlistmodel.h"
#include "pdfexport.h"
#include "prompter.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>

namespace qredit {

namespace {
// In the order of PaperLayout.
const QString kPdfFilter = QStringLiteral("Word List (PDF)|*.pdf|Cut-out Cards (PDF)|*.pdf");
} // namespace

bool EditorWindow::ExportPdf() {
    QString name = m_filename.isEmpty() ? QString() : QFileInfo(m_filename).completeBaseName() + QStringLiteral(".pdf");
    qint32 type = 1;
    if (!askPath(FileDialog::Save, name, kPdfFilter, QStringLiteral("Export PDF"), QStringLiteral("pdf"), true, &type))
        return false;
    if (QFileInfo(name).suffix().isEmpty())
        name += QStringLiteral(".pdf");
    QString error;
    if (!writeChapterPdf(name, m_model->rows(), m_title->text(), type == 2 ? PaperLayout::Cards : PaperLayout::List,
                         error)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't export file"),
                       QStringLiteral("The file '%1' couldn't be written: %2").arg(name, error));
        return false;
    }
    setStatus(QStringLiteral("%1 exported to '%2'").arg(countText(), QFileInfo(name).fileName()));
    return true;
}

bool EditorWindow::PrintChapter() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print"));
    // The layout, on a tab of the dialog's options.
    auto* options = new QWidget;
    options->setWindowTitle(QStringLiteral("Cards"));
    auto* layout = new QComboBox;
    layout->setObjectName(QStringLiteral("cboLayout"));
    layout->addItems({QStringLiteral("Word list"), QStringLiteral("Cut-out cards (print both sides)")});
    auto* form = new QFormLayout(options);
    form->addRow(QStringLiteral("&Layout:"), layout);
    dialog.setOptionTabs({options});
    if (dialog.exec() != QDialog::Accepted)
        return false;
    QString error;
    if (!paintChapter(printer, m_model->rows(), m_title->text(),
                      layout->currentIndex() == 1 ? PaperLayout::Cards : PaperLayout::List, error)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't print"), error);
        return false;
    }
    setStatus(QStringLiteral("%1 sent to the printer").arg(countText()));
    return true;
}

} // namespace qredit
