#pragma once
// The rows of the editor's list: question in the column "Front of Card", answer in "Back of
// Card". The list is the document; there is no other copy of the cards.
#include "chapterfile.h"

#include <QAbstractTableModel>

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
    // Replaces every row at once: one reset, not one signal per row.
    void setRows(QVector<CardRow> rows);
    void clear();
    void insertRow(int at, const CardRow& row);
    void appendRow(const CardRow& row) { insertRow(int(m_rows.size()), row); }
    void setAnswer(int i, const QString& answer);
    void removeRowAt(int i);
    // The first row whose question equals `question` exactly, or -1.
    int findQuestion(const QString& question) const;

private:
    QVector<CardRow> m_rows;
};

} // namespace qredit
