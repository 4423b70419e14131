#include "viewermodel.h"

#include <QFont>

namespace {
const char* const kCardHeaders[] = {"trouble", "question", "answer", "times viewed", "title"};
const char* const kMemoryHeaders[] = {"Address", "Width (bytes)"};

// Only the weight is set, so the view's own family and size still apply.
QFont boldFont() {
    QFont f;
    f.setBold(true);
    return f;
}
} // namespace

ViewerModel::ViewerModel(QObject* parent) : QAbstractTableModel(parent) {}

int ViewerModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid() || m_filling)
        return 0;
    return m_mode == Mode::Cards ? int(m_cards.size()) : int(m_memory.size());
}

int ViewerModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid())
        return 0;
    return m_mode == Mode::Cards ? 5 : 2;
}

QVariant ViewerModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (m_mode == Mode::Memory) {
        if (role != Qt::DisplayRole)
            return {};
        const MemoryRow& r = m_memory.at(index.row());
        if (index.column() == 0)
            return QString::number(r.address, 16).toUpper();
        return QString::number(r.width);
    }
    const CardRow& r = m_cards.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0: return QString::number(r.number);
        case 1: return r.question;
        case 2: return r.answer;
        case 3: return QString::number(r.views);
        case 4: return r.chapter;
        }
        break;
    case Qt::CheckStateRole:
        if (index.column() == 0)
            return r.trouble ? Qt::Checked : Qt::Unchecked;
        break;
    case Qt::FontRole:
        if ((index.column() == 1 && r.boldQuestion) || (index.column() == 2 && r.boldAnswer))
            return boldFont();
        break;
    }
    return {};
}

bool ViewerModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (m_mode != Mode::Cards || role != Qt::CheckStateRole || !index.isValid() || index.column() != 0 ||
        index.row() >= rowCount())
        return false;
    CardRow& r = m_cards[index.row()];
    const bool on = value.toInt() == Qt::Checked;
    if (r.trouble == on)
        return true;
    r.trouble = on;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    emit troubleToggled(r.number, on);
    return true;
}

Qt::ItemFlags ViewerModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (m_mode == Mode::Cards && index.column() == 0)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant ViewerModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(m_mode == Mode::Cards ? kCardHeaders[section] : kMemoryHeaders[section]);
}

void ViewerModel::beginFill(Mode mode) {
    if (!m_filling)
        beginResetModel();
    m_filling = true;
    m_mode = mode;
    m_cards.clear();
    m_memory.clear();
}

void ViewerModel::endFill() {
    if (!m_filling)
        return;
    m_filling = false;
    endResetModel();
}

void ViewerModel::appendCard(const CardRow& row) {
    if (m_mode != Mode::Cards)
        return;
    if (m_filling) {
        m_cards.append(row);
        return;
    }
    const int at = int(m_cards.size());
    beginInsertRows(QModelIndex(), at, at);
    m_cards.append(row);
    endInsertRows();
}

void ViewerModel::appendMemory(const MemoryRow& row) {
    if (m_mode != Mode::Memory)
        return;
    if (m_filling) {
        m_memory.append(row);
        return;
    }
    const int at = int(m_memory.size());
    beginInsertRows(QModelIndex(), at, at);
    m_memory.append(row);
    endInsertRows();
}
