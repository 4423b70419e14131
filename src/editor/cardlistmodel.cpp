#include "cardlistmodel.h"

namespace qredit {

CardListModel::CardListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CardListModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(m_rows.size()); }

int CardListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant CardListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole || role == Qt::EditRole) {
        const CardRow& r = m_rows.at(index.row());
        return index.column() == Front ? r.question : r.answer;
    }
    return {};
}

QVariant CardListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == Front ? QStringLiteral("Front of Card") : QStringLiteral("Back of Card");
}

void CardListModel::setRows(QVector<CardRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CardListModel::clear() { setRows({}); }

void CardListModel::insertRow(int at, const CardRow& row) {
    at = std::clamp(at, 0, int(m_rows.size()));
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(at, row);
    endInsertRows();
}

void CardListModel::setAnswer(int i, const QString& answer) {
    if (i < 0 || i >= m_rows.size())
        return;
    m_rows[i].answer = answer;
    const QModelIndex cell = index(i, Back);
    emit dataChanged(cell, cell);
}

void CardListModel::removeRowAt(int i) {
    if (i < 0 || i >= m_rows.size())
        return;
    beginRemoveRows(QModelIndex(), i, i);
    m_rows.removeAt(i);
    endRemoveRows();
}

int CardListModel::findQuestion(const QString& question) const {
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].question == question)
            return i;
    return -1;
}

} // namespace qredit
