// The list of cards and its editing: the card being typed and the limits it must keep, Add
// Item, Insert Above, New Element, Delete, edits in place, the filter of Find, the selection,
// the undo history's steps, and the keys in the fields and the list.
#include "editorwindow.h"

#include "cardlistmodel.h"
#include "casefold.h"
#include "wordimport.h"

#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeView>
#include <QUndoStack>

namespace qredit {

namespace {
QString cardLimitText() {
    return QStringLiteral("A card holds at most %1 characters on its front and back together; on the front each of "
                          "\u00E4 \u00F6 \u00FC \u00C4 \u00D6 \u00DC \u00DF counts as 8.")
        .arg(kMaxCardLength);
}
} // namespace

bool EditorWindow::refuse(const ChapterFit& fit, int typedRow) {
    if (fit.fits())
        return true;
    const bool utf8 = fit.encoding == TextEncoding::Utf8;
    if (fit.titleTooLong) {
        m_refusal = utf8 ? QStringLiteral("The deck title holds at most %1 bytes in UTF-8, which this chapter needs; "
                                          "it would take %2.")
                               .arg(fit.limit)
                               .arg(fit.bytes)
                         : QStringLiteral("The deck title holds at most %1 characters.").arg(fit.limit);
    } else if (fit.badRow == typedRow) {
        m_refusal = utf8 ? QStringLiteral("A card holds at most %1 bytes on its front and back together; in UTF-8, "
                                          "which this chapter needs, this card would take %2 (on the front each of "
                                          "\u00E4 \u00F6 \u00FC \u00C4 \u00D6 \u00DC \u00DF counts as 8).")
                               .arg(fit.limit)
                               .arg(fit.bytes)
                         : cardLimitText();
    } else {
        // Another card stops fitting: the change would make the chapter UTF-8, where that card's
        // letters outside ASCII take two bytes or more.
        m_refusal = QStringLiteral("Not changed: with this text the chapter is saved in UTF-8, and the card '%1' "
                                   "would take %2 bytes there, more than the %3 a card holds. Shorten that card first.")
                        .arg(m_model->row(fit.badRow).question)
                        .arg(fit.bytes)
                        .arg(fit.limit);
    }
    return false;
}

TextEncoding EditorWindow::currentEncoding() const {
    return chapterEncoding(m_model->rows(), m_acceptedTitle);
}

bool EditorWindow::typedCardFits(const QString& front, const QString& back) {
    return refuse(
        checkChapterEdit(m_model->rows(), m_title->text(), {CardRow{front, back}}, currentEncoding(), -1, false),
        m_model->rowCount());
}

bool EditorWindow::titleChangeFits(const QString& title) {
    return refuse(checkChapterEdit(m_model->rows(), title, {}, currentEncoding(), -1, true), -1);
}

QString EditorWindow::encodingNote(TextEncoding encoding) {
    return encoding == TextEncoding::Utf8 ? QStringLiteral(" (the chapter is saved in UTF-8)") : QString();
}

void EditorWindow::showBytesLeft() {
    const QVector<CardRow> typed{CardRow{m_front->text(), m_back->text()}};
    const TextEncoding encoding = chapterEncoding(m_model->rows(), m_title->text(), typed);
    setStatus(counted(kMaxCardLength - cardLength(m_front->text(), m_back->text(), encoding), QStringLiteral("%1 byte"),
                      QStringLiteral("%1 bytes")) +
                  QStringLiteral(" left on this card%1").arg(encodingNote(encoding)),
              StatusAbout::Card);
}

void EditorWindow::UpdateAddButton() {
    const bool both = !m_front->text().isEmpty() && !m_back->text().isEmpty();
    m_add->setEnabled(both);
    m_insert->setEnabled(both && selectedRow() >= 0);
}

void EditorWindow::ClearFields() {
    m_front->clear();
    m_back->clear();
    fieldsReplaced();
    m_front->setFocus();
    UpdateAddButton();
}

void EditorWindow::ResetFields() {
    m_front->clear();
    m_back->clear();
    fieldsReplaced();
}

int EditorWindow::selectedRow() const {
    const QVector<int> rows = selectedRows();
    return rows.isEmpty() ? -1 : rows.first();
}

QVector<int> EditorWindow::selectedRows() const {
    QVector<int> rows;
    for (const QModelIndex& i : m_list->selectionModel()->selectedRows())
        if (!m_list->isRowHidden(i.row(), QModelIndex()))
            rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void EditorWindow::selectRow(int row) {
    if (row < 0 || row >= m_model->rowCount()) {
        m_list->selectionModel()->clearSelection();
        return;
    }
    showRow(row);
    const QModelIndex idx = m_model->index(row, 0);
    m_list->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_list->scrollTo(idx);
}

bool EditorWindow::PutRow(const QString& question, const QString& answer, int index, bool replace) {
    const QString q = trimSpaces(question);
    const QString a = trimSpaces(answer);
    if (index >= 0 && replace) {
        const int sel = selectedRow();
        if (sel < 0)
            return false;
        QVector<CardRow> rows = m_model->rows();
        rows[sel].answer = a;
        if (!refuse(checkChapterEdit(rows, m_title->text(), {}, currentEncoding(), sel, false), sel)) {
            setStatus(m_refusal, StatusAbout::Card);
            return false;
        }
        RowEdit edit;
        edit.changed.append({sel, CardRow{m_model->row(sel).question, a}});
        push(std::move(edit), QStringLiteral("Add Item"));
    } else {
        if (m_model->rowCount() >= kMaxCards) {
            setStatus(QStringLiteral("A chapter holds at most %1 cards.").arg(kMaxCards));
            return false;
        }
        if (!refuse(checkChapterEdit(m_model->rows(), m_title->text(), {CardRow{q, a}}, currentEncoding(), -1, false),
                    m_model->rowCount())) {
            setStatus(m_refusal, StatusAbout::Card);
            return false;
        }
        const int at = index < 0 ? m_model->rowCount() : std::min(index, m_model->rowCount());
        RowEdit edit;
        edit.insertAt = at;
        edit.inserted.append(CardRow{q, a});
        push(std::move(edit), index < 0 ? QStringLiteral("New Element") : QStringLiteral("Insert Above"));
        m_list->scrollTo(m_model->index(at, 0));
    }
    return true;
}

bool EditorWindow::FindQuestion() {
    const int row = m_model->findQuestion(m_front->text());
    if (row < 0)
        return false;
    selectRow(row);
    return true;
}

void EditorWindow::AddItem() {
    m_front->setText(trimSpaces(m_front->text()));
    m_back->setText(trimSpaces(m_back->text()));
    if (m_front->text().isEmpty() || m_back->text().isEmpty()) {
        m_front->setFocus();
        return;
    }
    const bool found = FindQuestion();
    const int sel = selectedRow();
    bool done;
    if (sel < 0 && !found)
        done = PutRow(m_front->text(), m_back->text(), -1, false);
    else if (found)
        done = PutRow(m_front->text(), m_back->text(), sel, true);
    else
        done = PutRow(m_front->text(), m_back->text(), sel, false);
    // A refused card stays in the fields so that it can be shortened.
    if (done)
        ClearFields();
}

void EditorWindow::NewElement() {
    PutRow(m_front->text(), m_back->text(), -1, false);
}

void EditorWindow::DeleteRow() {
    RowEdit edit;
    edit.removed = selectedRows();
    if (edit.removed.isEmpty())
        return;
    // A deletion is a change like any other: closing must offer to save it, and undo brings
    // the rows back.
    push(std::move(edit), QStringLiteral("Delete"));
}

void EditorWindow::updateClipboardActions() {
    const bool any = !selectedRows().isEmpty();
    m_cut->setEnabled(any);
    m_copy->setEnabled(any);
}

void EditorWindow::push(RowEdit edit, const QString& text) {
    const bool titleChanged = edit.titleChanged;
    const QString title = edit.title;
    m_undo->push(new EditCommand(
        m_model, std::move(edit), m_docTitle, [this](const QString& t) { setDocumentTitle(t); },
        [this](const EditCommand::Runs& runs) { showRows(runs); }, text));
    if (titleChanged)
        m_docTitle = title;
}

void EditorWindow::setDocumentTitle(const QString& title) {
    m_docTitle = title;
    if (m_title->text() != title)
        m_title->setText(title);
}

void EditorWindow::showRows(const EditCommand::Runs& runs) {
    QItemSelectionModel* sel = m_list->selectionModel();
    const int n = m_model->rowCount();
    QItemSelection selection;
    int first = -1;
    for (const auto& [from, count] : runs) {
        if (from < 0 || from >= n)
            continue;
        if (first < 0)
            first = from;
        if (count <= 0)
            continue;
        const int last = std::min(from + count, n) - 1;
        // The rows a change brings stay in view whatever the filter would hide.
        for (int r = from; filtered() && r <= last; ++r)
            showRow(r);
        selection.select(m_model->index(from, 0), m_model->index(last, 1));
    }
    if (!selection.isEmpty())
        sel->setCurrentIndex(m_model->index(first, 0), QItemSelectionModel::NoUpdate);
    sel->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (first >= 0)
        m_list->scrollTo(m_model->index(first, 0));
    UpdateAddButton();
}

void EditorWindow::showRow(int row) {
    if (m_list->isRowHidden(row, QModelIndex())) {
        m_list->setRowHidden(row, QModelIndex(), false);
        updateCount();
    }
}

void EditorWindow::applyFilter() {
    m_filterText = foldCase(trimSpaces(m_find->text()));
    // Rows that go out of sight leave the selection: a command on the selected rows must not
    // reach rows the user can't see.
    const QModelIndexList selected = m_list->selectionModel()->selectedRows();
    std::u16string buffer;
    auto holds = [&](const QString& text) { return foldCase(QStringView(text), buffer).contains(m_filterText); };
    const int n = m_model->rowCount();
    for (int r = 0; r < n; ++r) {
        const CardRow& row = m_model->row(r);
        const bool hide = filtered() && !holds(row.question) && !holds(row.answer);
        if (hide != m_list->isRowHidden(r, QModelIndex()))
            m_list->setRowHidden(r, QModelIndex(), hide);
    }
    QItemSelection gone;
    for (const QModelIndex& i : selected)
        if (m_list->isRowHidden(i.row(), QModelIndex()))
            gone.select(m_model->index(i.row(), 0), m_model->index(i.row(), 1));
    m_list->selectionModel()->select(gone, QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    updateCount();
    updateClipboardActions();
    UpdateAddButton();
}

bool EditorWindow::editCell(int row, int column, const QString& text) {
    CardRow changed = m_model->row(row);
    (column == CardListModel::Front ? changed.question : changed.answer) = trimSpaces(text);
    if (changed == m_model->row(row))
        return true;
    if (changed.question.isEmpty()) {
        setStatus(QStringLiteral("A card needs a front; the row was not changed."));
        return false;
    }
    QVector<CardRow> rows = m_model->rows();
    rows[row] = changed;
    if (!refuse(checkChapterEdit(rows, m_title->text(), {}, currentEncoding(), row, false), row)) {
        setStatus(m_refusal);
        return false;
    }
    RowEdit edit;
    edit.changed.append({row, changed});
    push(std::move(edit), QStringLiteral("Edit"));
    return true;
}

void EditorWindow::resetHistory() {
    m_undo->clear();
    m_undo->setClean();
    m_docTitle = m_title->text();
}

QString EditorWindow::countText() const {
    const int n = m_model->rowCount();
    const QString cards = counted(n, QStringLiteral("%1 card"), QStringLiteral("%1 cards"));
    if (!filtered())
        return cards;
    int shown = 0;
    for (int r = 0; r < n; ++r)
        shown += m_list->isRowHidden(r, QModelIndex()) ? 0 : 1;
    return QStringLiteral("%1 of %2 shown").arg(shown).arg(cards);
}

void EditorWindow::updateCount() {
    m_count->setText(countText());
}

void EditorWindow::rowClicked(const QModelIndex& index) {
    if (!index.isValid())
        return;
    const CardRow& row = m_model->row(index.row());
    // Emptied first so that neither field is checked against the other's old text.
    m_back->clear();
    m_front->setText(row.question);
    m_back->setText(row.answer);
    fieldsReplaced();
    m_front->setFocus();
}

// Which keys in a field go to the window instead. Undo and Redo: the Front and Back fields
// undo their own typing while they have any; the deck title is part of the document, so
// there the keys always go to its history.
bool EditorWindow::routeShortcut(QObject* watched, QKeyEvent* key) {
    // Copy and Cut with nothing selected in a field have nothing to do there; they take the
    // selected rows (a click on a row puts the focus in the Front field).
    if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::Cut)) {
        auto* field = qobject_cast<QLineEdit*>(watched);
        return field && (field == m_front || field == m_back || field == m_title) && !field->hasSelectedText();
    }
    // Paste puts the clipboard's text into a field, as everywhere.
    if (key->matches(QKeySequence::Paste))
        return false;
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo) ||
                      key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) ||
                      key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);
    // Every other key of a menu command is the window's wherever the focus is: a field would
    // take Ctrl+E as the end of its line, and the export would never come.
    if (!undo && !redo)
        return isMenuShortcut(key);
    if (watched == m_title)
        return true;
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (!field || (field != m_front && field != m_back))
        return false;
    return undo ? !field->isUndoAvailable() : !field->isRedoAvailable();
}

bool EditorWindow::isMenuShortcut(const QKeyEvent* key) const {
    const QKeySequence pressed(key->keyCombination());
    for (const QAction* menu : menuBar()->actions())
        for (const QAction* a : menu->menu() ? menu->menu()->actions() : QList<QAction*>())
            if (a->shortcuts().contains(pressed))
                return true;
    return false;
}

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
    // A field would take a dropped file's name as text; the window opens the file instead.
    const QEvent::Type type = event->type();
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        !droppedFile(static_cast<QDropEvent*>(event)->mimeData()).isEmpty()) {
        if (type == QEvent::Drop)
            dropEvent(static_cast<QDropEvent*>(event));
        else
            static_cast<QDropEvent*>(event)->acceptProposedAction();
        return true;
    }
    // Handled here, the override leaves the key to the window's Undo and Redo.
    if (event->type() == QEvent::ShortcutOverride && routeShortcut(watched, static_cast<QKeyEvent*>(event)))
        return true;
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && watched == m_front) {
            m_back->setFocus();
            return true;
        }
        if (enter && watched == m_back) {
            AddItem();
            return true;
        }
        if (watched == m_list && key == Qt::Key_Delete) {
            DeleteRow();
            return true;
        }
        if (watched == m_find && key == Qt::Key_Escape) {
            m_find->clear();
            return true;
        }
        if (watched == m_list && key == Qt::Key_Escape) {
            // Without a selected row, Add Item appends.
            m_list->selectionModel()->clearSelection();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

} // namespace qredit
