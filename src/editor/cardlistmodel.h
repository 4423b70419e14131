#pragma once
// The rows of the editor's list: question in the column "Front of Card", answer in "Back of
// Card". The list is the document; there is no other copy of the cards. Each row that was in
// the file when it was loaded or last saved also knows the front it had there, so that a save
// can tell the review history which fronts were renamed.
#include "chapterfile.h"
#include "questionrenames.h"

#include <QAbstractTableModel>
#include <functional>
#include <optional>

namespace qredit {

class CardListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Front = 0, Back = 1 };

    explicit CardListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    const QVector<CardRow>& rows() const { return m_rows; }
    const CardRow& row(int i) const { return m_rows.at(i); }
    // Replaces every row at once with the rows of a file: one reset, not one signal per row.
    void setRows(QVector<CardRow> rows);
    void clear();
    // Rows that come in are new to the file, unless `saved` gives (in parallel) the front each
    // had there: a row that was taken out and is put back keeps it.
    void insertRow(int at, const CardRow& row);
    void appendRow(const CardRow& row) { insertRow(int(m_rows.size()), row); }
    void setAnswer(int i, const QString& answer);
    // A changed row keeps the front it had in the file.
    void setRow(int i, const CardRow& row);
    void removeRowAt(int i) { removeRowsAt(i, 1); }
    // A block of rows in one go: one signal, not one per row.
    void insertRows(int at, const QVector<CardRow>& rows, const QVector<std::optional<QString>>& saved = {});
    void removeRowsAt(int first, int count);

    // The front row `i` had in the file when it was loaded or last saved; none for a row
    // added since.
    std::optional<QString> savedQuestion(int i) const { return m_saved.value(i); }
    // The rows that were in the file, with their fronts then and now.
    QVector<TrackedQuestion> trackedQuestions() const;
    // After a save every row's front is the one in the file; with `keepRenamed` a renamed row
    // keeps its earlier front, so that a rename the history did not take is made at the
    // next save.
    void markSaved(bool keepRenamed = false);
    // In-place edits of a cell go to this hook instead of the rows; it decides (and may
    // refuse) the change. Without a hook the cells can't be edited.
    void setEditHook(std::function<bool(int row, int column, const QString& text)> hook) {
        m_editHook = std::move(hook);
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    // The first row whose question equals `question` exactly, or -1.
    int findQuestion(const QString& question) const;

private:
    QVector<CardRow> m_rows;
    QVector<std::optional<QString>> m_saved; // parallel to m_rows
    std::function<bool(int, int, const QString&)> m_editHook;
};

} // namespace qredit
