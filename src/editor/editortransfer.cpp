// Cards in and out of the window: word lists imported (through the preview) and exported, rows
// copied, cut and pasted by the clipboard, and files dropped on the window.
#include "editorwindow.h"

#include "cardlistmodel.h"
#include "exportname.h"
#include "importdialog.h"
#include "prompter.h"
#include "regularfile.h"
#include "wordimport.h"
#include "wordlistreader.h"
#include "wordlistwriter.h"

#include <QBuffer>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

namespace qredit {

namespace {
const QString kListFilter =
    QStringLiteral("Word Lists|*.csv;*.tsv;*.txt;*.kvtml|Card Packages|*.apkg;*.colpkg|All Files|*");
// Word lists only, in the order of ExportType.
const QString kExportFilter = QStringLiteral("Comma-Separated (UTF-8)|*.csv|Tab-Separated (UTF-8)|*.tsv;*.txt");
std::function<bool(ImportDialog&)>& previewRunner() {
    static std::function<bool(ImportDialog&)> runner = [](ImportDialog& d) { return d.exec() == QDialog::Accepted; };
    return runner;
}
} // namespace

bool EditorWindow::CopyRows() {
    const QVector<int> rows = selectedRows();
    if (rows.isEmpty())
        return false;
    QVector<wordlist::TextPair> pairs;
    pairs.reserve(rows.size());
    for (int r : rows)
        pairs.append({m_model->row(r).question, m_model->row(r).answer});
    auto* data = new QMimeData;
    data->setText(wordlist::WordListWriter::clipboardText(pairs));
    data->setHtml(wordlist::WordListWriter::clipboardHtml(pairs));
    QGuiApplication::clipboard()->setMimeData(data);
    setStatus(counted(rows.size(), QStringLiteral("%1 card"), QStringLiteral("%1 cards")) + QStringLiteral(" copied"));
    return true;
}

bool EditorWindow::CutRows() {
    const QVector<int> rows = selectedRows();
    if (!CopyRows())
        return false;
    RowEdit edit;
    edit.removed = rows;
    push(std::move(edit), QStringLiteral("Cut"));
    setStatus(counted(rows.size(), QStringLiteral("%1 card"), QStringLiteral("%1 cards")) + QStringLiteral(" cut"));
    return true;
}

bool EditorWindow::PasteRows() {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.trimmed().isEmpty()) {
        setStatus(QStringLiteral("The clipboard holds no text to paste."));
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    auto reader = [&bytes](const wordlist::ReadOptions& o) {
        QBuffer b;
        b.setData(bytes);
        b.open(QIODevice::ReadOnly);
        return wordlist::WordListReader::read(b, o);
    };
    // A spreadsheet's two columns are front and back; anything else is shown first.
    return importFrom(QString(), '\t', reader, Preview::UnlessTwoColumns);
}

void EditorWindow::setPreviewRunner(std::function<bool(ImportDialog&)> runner) {
    previewRunner() = runner ? std::move(runner) : [](ImportDialog& d) { return d.exec() == QDialog::Accepted; };
}

bool EditorWindow::ImportList() {
    QString name;
    if (!askPath(FileDialog::Open, name, kListFilter, QStringLiteral("Import"), QString()))
        return false;
    return importFile(name);
}

bool EditorWindow::importFile(const QString& path, bool preview) {
    if (isKvtmlFile(path))
        return takeKvtml(path, false);
    if (isPackageFile(path))
        return importPackage(path);
    const QString shown = QFileInfo(path).fileName();
    auto reader = [path](const wordlist::ReadOptions& o) { return wordlist::WordListReader::readFile(path, o); };
    if (!refuseOddFile(path, QStringLiteral("Can't import file"), QStringLiteral("Nothing was changed.")))
        return false;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't import file"),
                       QStringLiteral("The file '%1' couldn't be opened: %2").arg(path, f.errorString()));
        return false;
    }
    f.close();
    return importFrom(shown, wordlist::WordListReader::delimiterForName(path), reader,
                      preview ? Preview::Always : Preview::Never);
}

bool EditorWindow::importText(const QByteArray& text, const QString& name, bool preview) {
    auto reader = [text](const wordlist::ReadOptions& o) {
        QBuffer b;
        b.setData(text);
        b.open(QIODevice::ReadOnly);
        return wordlist::WordListReader::read(b, o);
    };
    return importFrom(name, '\t', reader, preview ? Preview::Always : Preview::Never);
}

bool EditorWindow::importFrom(const QString& name, char fallbackDelimiter,
                              const std::function<wordlist::WordTable(const wordlist::ReadOptions&)>& reader,
                              Preview preview) {
    const bool pasted = name.isEmpty();
    // How the messages name the words: the file, or the clipboard's text.
    const QString subject = pasted ? QStringLiteral("the text on the clipboard") : QStringLiteral("'%1'").arg(name);
    const QString subjectStart = pasted ? QStringLiteral("The text on the clipboard") : subject;
    const QString title = pasted ? QStringLiteral("Can't paste") : QStringLiteral("Can't import file");
    auto readWith = [&](wordlist::ReadOptions o) {
        o.fallbackDelimiter = fallbackDelimiter;
        o.maxRows = kMaxCards;
        return reader(o);
    };
    wordlist::WordTable table = readWith({});
    if (!table.ok()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("%1 can't be imported: %2. Nothing was changed.").arg(subjectStart, table.error));
        return false;
    }
    if (table.dataRows == 0) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("%1 holds no words. Nothing was changed.").arg(subjectStart));
        return false;
    }
    if (preview == Preview::Always || (preview == Preview::UnlessTwoColumns && table.columns != 2)) {
        ImportDialog dlg(pasted ? QStringLiteral("Clipboard") : name, readWith, table, this);
        if (!previewRunner()(dlg))
            return false;
        const wordlist::ReadOptions chosen = dlg.options();
        const bool same = chosen.delimiter == table.delimiter &&
                          (chosen.header == wordlist::Header::Yes) == table.header && chosen.frontColumn == 0 &&
                          chosen.backColumn == 1 && chosen.charset == wordlist::Charset::Detect;
        if (!same)
            table = readWith(chosen);
        if (!table.ok()) {
            prompter().ask(
                MsgIcon::Exclamation, MsgButtons::Ok, title,
                QStringLiteral("%1 can't be imported: %2. Nothing was changed.").arg(subjectStart, table.error));
            return false;
        }
    }
    // Where Add Item would put a new card: above the selected row, or at the end.
    const ImportPlan plan = planImport(m_model->rows(), selectedRow(), table, m_title->text());
    const qint64 room = kMaxCards - m_model->rowCount();
    if (plan.overflow > 0) {
        const QString question =
            QStringLiteral("%1 holds %2, but this chapter has room for only %3 more (a chapter holds "
                           "at most %4). Import the first %3 and leave the rest out?\n\nNo imports nothing.")
                .arg(subjectStart)
                .arg(counted(plan.inserted.size() + plan.overflow, QStringLiteral("%1 new card"),
                             QStringLiteral("%1 new cards")))
                .arg(room)
                .arg(kMaxCards);
        if (prompter().ask(MsgIcon::Question, MsgButtons::YesNo, QStringLiteral("Too Many Cards"), question) !=
            MsgResult::Yes)
            return false;
    }
    if (plan.isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, title,
                       QStringLiteral("No row of %1 can be a card. Nothing was changed.\n\n%2")
                           .arg(subject, problemReport(plan.problems)));
        return false;
    }
    RowEdit edit;
    edit.insertAt = plan.insertAt;
    edit.inserted = plan.inserted;
    for (const auto& [row, answer] : plan.answers)
        edit.changed.append({row, CardRow{m_model->row(row).question, answer}});
    push(std::move(edit), pasted ? QStringLiteral("Paste") : QStringLiteral("Import"));
    showRows({{plan.insertAt, int(plan.inserted.size())}});
    QString done = importDoneText(plan, name);
    // A row dropped as the column names is said, so that no card goes without a word.
    if (const QString note = wordlist::WordListReader::headerNote(table); !note.isEmpty())
        done += QStringLiteral("; ") + note;
    setStatus(done);
    if (!plan.problems.isEmpty())
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Rows Not Imported"),
                       QStringLiteral("%1. These rows were left out:\n\n%2").arg(done, problemReport(plan.problems)));
    return true;
}

bool EditorWindow::ExportList() {
    QString name = m_filename.isEmpty() ? QString() : QFileInfo(m_filename).completeBaseName() + QStringLiteral(".csv");
    // The ending and the question before a file is replaced come after the dialog: the
    // dialog's own would add ".csv" whatever type was chosen, and ask about that name only.
    qint32 type = 1;
    if (!askPath(FileDialog::Save, name, kExportFilter, QStringLiteral("Export"), QString(), false, &type))
        return false;
    const ExportName target = exportName(name, type == 2 ? ExportType::Tab : ExportType::Comma);
    if (!target.refusal.isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't export file"), target.refusal);
        return false;
    }
    if (QFileInfo::exists(target.path) &&
        prompter().ask(MsgIcon::Exclamation, MsgButtons::YesNo, QStringLiteral("Export"),
                       QStringLiteral("%1 already exists.\nDo you want to replace it?")
                           .arg(QFileInfo(target.path).fileName())) != MsgResult::Yes)
        return false;
    return exportFile(target.path);
}

bool EditorWindow::exportFile(const QString& path) {
    const ExportName checked = exportName(path, ExportType::Comma);
    if (!checked.refusal.isEmpty()) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't export file"), checked.refusal);
        return false;
    }
    QVector<wordlist::TextPair> pairs;
    pairs.reserve(m_model->rowCount());
    for (const CardRow& r : m_model->rows())
        pairs.append({r.question, r.answer});
    QString error;
    if (!wordlist::WordListWriter::writeFile(path, pairs, wordlist::WordListWriter::formatForName(path), error)) {
        prompter().ask(MsgIcon::Exclamation, MsgButtons::Ok, QStringLiteral("Can't export file"),
                       QStringLiteral("The file '%1' couldn't be written: %2").arg(path, error));
        return false;
    }
    setStatus(QStringLiteral("%1 exported to '%2'").arg(countText(), QFileInfo(path).fileName()));
    return true;
}

QString EditorWindow::droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return QString();
    const QString path = data->urls().first().toLocalFile();
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool known = suffix == QLatin1String("qex") || suffix == QLatin1String("csv") ||
                       suffix == QLatin1String("tsv") || suffix == QLatin1String("txt") ||
                       suffix == QLatin1String("kvtml") || isPackageFile(path);
    return known ? path : QString();
}

bool EditorWindow::dropFile(const QString& path) {
    if (isKvtmlFile(path))
        return maybeSave(QStringLiteral("Save Changes")) && takeKvtml(path, true);
    if (QFileInfo(path).suffix().toLower() == QLatin1String("qex"))
        // Refused before the question about unsaved changes, which would be for nothing.
        return refuseOddFile(path, QStringLiteral("Can't open file"), QStringLiteral("Nothing was opened.")) &&
               maybeSave(QStringLiteral("Save Changes")) && openFile(path);
    return importFile(path);
}

void EditorWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void EditorWindow::dragMoveEvent(QDragMoveEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void EditorWindow::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // The prompt and the preview wait until the drag has ended; the program it came from
    // would hang until then.
    QTimer::singleShot(0, this, [this, path] { dropFile(path); });
}

} // namespace qredit
