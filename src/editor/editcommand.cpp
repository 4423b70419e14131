#include "editcommand.h"

#include "cardlistmodel.h"

#include <algorithm>
#include <utility>

namespace qredit {

namespace {
constexpr int kTitleTyping = 1;

// Consecutive rows as (first, count), ascending.
EditCommand::Runs runs(const QVector<QPair<int, CardRow>>& rows) {
    EditCommand::Runs out;
    for (const auto& r : rows) {
        if (!out.isEmpty() && out.last().first + out.last().second == r.first)
            ++out.last().second;
        else
            out.append({r.first, 1});
    }
    return out;
}
} // namespace

EditCommand::EditCommand(CardListModel* model, RowEdit edit, QString oldTitle, TitleSetter setTitle, Shown shown,
                         const QString& text)
    : QUndoCommand(text), m_model(model), m_edit(std::move(edit)), m_oldTitle(std::move(oldTitle)),
      m_setTitle(std::move(setTitle)), m_shown(std::move(shown)) {
    for (const auto& c : m_edit.changed)
        m_oldChanged.append(m_model->row(c.first));
    std::sort(m_edit.removed.begin(), m_edit.removed.end());
    m_edit.removed.erase(std::unique(m_edit.removed.begin(), m_edit.removed.end()), m_edit.removed.end());
    for (int r : m_edit.removed)
        m_removedRows.append({r, m_model->row(r)});
}

void EditCommand::redo() {
    for (const auto& c : m_edit.changed)
        m_model->setRow(c.first, c.second);
    // A save between an undo and this redo may have given the rows other fronts in the file.
    m_removedSaved.clear();
    for (const auto& r : m_removedRows)
        m_removedSaved.append(m_model->savedQuestion(r.first));
    const Runs gone = runs(m_removedRows);
    for (auto it = gone.crbegin(); it != gone.crend(); ++it)
        m_model->removeRowsAt(it->first, it->second);
    if (!m_edit.inserted.isEmpty())
        m_model->insertRows(m_edit.insertAt, m_edit.inserted);
    if (m_edit.titleChanged && m_setTitle)
        m_setTitle(m_edit.title);
    // The change itself leaves the selection to whoever made it; undo and redo show the rows.
    if (!m_shown || std::exchange(m_firstRedo, false))
        return;
    if (!m_edit.inserted.isEmpty())
        m_shown({{m_edit.insertAt, int(m_edit.inserted.size())}});
    else if (!m_edit.changed.isEmpty())
        m_shown({{m_edit.changed.first().first, 1}});
    else if (!m_removedRows.isEmpty())
        m_shown({{std::min(m_removedRows.first().first, m_model->rowCount() - 1), 0}});
}

void EditCommand::undo() {
    if (!m_edit.inserted.isEmpty())
        m_model->removeRowsAt(m_edit.insertAt, int(m_edit.inserted.size()));
    qsizetype k = 0;
    // The rows come back with the fronts they had in the file, so a rename still follows them.
    for (const auto& [first, count] : runs(m_removedRows)) {
        QVector<CardRow> block;
        block.reserve(count);
        for (int i = 0; i < count; ++i)
            block.append(m_removedRows[k++].second);
        m_model->insertRows(first, block, m_removedSaved.mid(k - count, count));
    }
    for (qsizetype i = m_edit.changed.size() - 1; i >= 0; --i)
        m_model->setRow(m_edit.changed[i].first, m_oldChanged[i]);
    if (m_edit.titleChanged && m_setTitle)
        m_setTitle(m_oldTitle);
    if (!m_shown)
        return;
    if (!m_removedRows.isEmpty())
        m_shown(runs(m_removedRows)); // the rows back, not the rows between them
    else if (!m_edit.changed.isEmpty())
        m_shown({{m_edit.changed.first().first, 1}});
    else if (!m_edit.inserted.isEmpty())
        m_shown({{std::min(m_edit.insertAt, m_model->rowCount() - 1), 0}});
}

int EditCommand::id() const {
    const bool titleOnly =
        m_edit.titleChanged && m_edit.changed.isEmpty() && m_edit.removed.isEmpty() && m_edit.inserted.isEmpty();
    return titleOnly ? kTitleTyping : -1;
}

bool EditCommand::mergeWith(const QUndoCommand* other) {
    if (other->id() != kTitleTyping)
        return false;
    m_edit.title = static_cast<const EditCommand*>(other)->m_edit.title;
    // Typed back to what it was: no step at all.
    setObsolete(m_edit.title == m_oldTitle);
    return true;
}

} // namespace qredit
