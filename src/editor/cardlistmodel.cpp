#include "cardlistmodel.h"

namespace qredit {

CardListModel::CardListModel(QObject* parent) : QAbstractTableModel(parent) {}

int CardListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CardListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

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
    m_saved.clear();
    m_saved.reserve(m_rows.size());
    for (const CardRow& r : m_rows)
        m_saved.append(r.question);
    endResetModel();
}

void CardListModel::clear() {
    setRows({});
}

void CardListModel::insertRow(int at, const CardRow& row) {
    at = std::clamp(at, 0, int(m_rows.size()));
    beginInsertRows(QModelIndex(), at, at);
    m_rows.insert(at, row);
    m_saved.insert(at, std::nullopt);
    endInsertRows();
}

void CardListModel::setAnswer(int i, const QString& answer) {
    if (i < 0 || i >= m_rows.size())
        return;
    m_rows[i].answer = answer;
    const QModelIndex cell = index(i, Back);
    emit dataChanged(cell, cell);
}

void CardListModel::setRow(int i, const CardRow& row) {
    if (i < 0 || i >= m_rows.size())
        return;
    m_rows[i] = row;
    emit dataChanged(index(i, Front), index(i, Back));
}

void CardListModel::insertRows(int at, const QVector<CardRow>& rows, const QVector<std::optional<QString>>& saved) {
    if (rows.isEmpty())
        return;
    at = std::clamp(at, 0, int(m_rows.size()));
    beginInsertRows(QModelIndex(), at, at + int(rows.size()) - 1);
    m_rows.insert(at, rows.size(), CardRow{});
    std::copy(rows.begin(), rows.end(), m_rows.begin() + at);
    m_saved.insert(at, rows.size(), std::nullopt);
    if (saved.size() == rows.size())
        std::copy(saved.begin(), saved.end(), m_saved.begin() + at);
    endInsertRows();
}

void CardListModel::removeRowsAt(int first, int count) {
    if (first < 0 || count <= 0 || first + count > m_rows.size())
        return;
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    m_rows.remove(first, count);
    m_saved.remove(first, count);
    endRemoveRows();
}

Qt::ItemFlags CardListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && m_editHook)
        f |= Qt::ItemIsEditable;
    return f;
}

bool CardListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !m_editHook || index.row() >= m_rows.size())
        return false;
    return m_editHook(index.row(), index.column(), value.toString());
}

QVector<TrackedQuestion> CardListModel::trackedQuestions() const {
    QVector<TrackedQuestion> out;
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (m_saved[i])
            out.append({*m_saved[i], m_rows[i].question});
    return out;
}

void CardListModel::markSaved(bool keepRenamed) {
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        if (!keepRenamed || !m_saved[i])
            m_saved[i] = m_rows[i].question;
}

int CardListModel::findQuestion(const QString& question) const {
    for (int i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].question == question)
            return i;
    return -1;
}

} // namespace qredit
