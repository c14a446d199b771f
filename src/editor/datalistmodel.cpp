#include "editor/datalistmodel.h"

namespace nubivu {

DataListModel::DataListModel(DataList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
    // Bulk operations signal once: the view re-reads everything, never per cell.
    connect(&list_, &DataList::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&list_, &DataList::cellChanged, this, [this](int row, int slot) {
        Q_EMIT dataChanged(indexOf(row, slot), indexOf(row, slot));
    });
}

void DataListModel::setTitles(const SlotPaths& titles) {
    for (int s = 0; s < SlotCount; ++s) {
        QString& title = titles_[size_t(s)];
        if (title == titles[size_t(s)]) continue;
        title = titles[size_t(s)];
        Q_EMIT headerDataChanged(Qt::Horizontal, s, s);
    }
}

int DataListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.count() + 1;
}

int DataListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : SlotCount;
}

QVariant DataListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    // The row after the list reads empty.
    return list_.cell(index.row(), index.column());
}

QVariant DataListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return QString::number(section + 1);
    return section >= 0 && section < SlotCount ? titles_[size_t(section)] : QString();
}

Qt::ItemFlags DataListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace nubivu
