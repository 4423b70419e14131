#pragma once
// One step of the editor's undo history: rows that change, rows that go, a block of rows that
// comes in, and the deck title, in any combination (an import both inserts rows and gives
// existing rows new answers). The first redo does the change; undo puts back what was there.
#include "chapterfile.h"

#include <QUndoCommand>
#include <functional>
#include <optional>

namespace qredit {

class CardListModel;

struct RowEdit {
    QVector<QPair<int, CardRow>> changed; // row index and its new contents
    QVector<int> removed;                 // rows that go, in any order
    int insertAt = -1;                    // where `inserted` goes in (after the removals)
    QVector<CardRow> inserted;
    bool titleChanged = false;
    QString title;
};

class EditCommand : public QUndoCommand {
public:
    // Runs of rows (first, count), ascending.
    using Runs = QVector<QPair<int, int>>;
    // Told after every redo and undo which rows to show: the runs to select, or one run of
    // count 0 for the row to scroll to with nothing selected.
    using Shown = std::function<void(const Runs& runs)>;
    using TitleSetter = std::function<void(const QString&)>;

    EditCommand(CardListModel* model, RowEdit edit, QString oldTitle, TitleSetter setTitle, Shown shown,
                const QString& text);

    void redo() override;
    void undo() override;
    // Typing in the title is one step until something else happens.
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

private:
    CardListModel* m_model;
    RowEdit m_edit;
    QVector<CardRow> m_oldChanged;              // contents before, parallel to m_edit.changed
    QVector<QPair<int, CardRow>> m_removedRows; // ascending
    QVector<std::optional<QString>> m_removedSaved; // their fronts in the file, parallel
    QString m_oldTitle;
    TitleSetter m_setTitle;
    Shown m_shown;
    bool m_firstRedo = true;
};

} // namespace qredit
