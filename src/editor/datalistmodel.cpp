#include "editor/datalistmodel.h"

namespace nubivu {

DataListModel::DataListModel(DataList& list, QObject* parent)
    : QAbstractTableModel(parent), list_(list) {
    // Bulk operations signal once: the view re-reads everything, never per cell.
    connect(&list_, &DataList::rowsReset, this, [this] {
        beginResetModel();
        endResetModel();
    });
    connect(&list_, &DataList::cellChanged, this, [this](int col, int row) {
        if (row == 0 && col > 0)
            Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
        else if (col == 0 && row > 0)
            Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
        else if (row > 0)
            Q_EMIT dataChanged(indexOf(col, row), indexOf(col, row));
    });
}

int DataListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : list_.rowCount() - 1;
}

int DataListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : DataList::ColCount - 1;
}

QVariant DataListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    return list_.Cell(index.column() + 1, index.row() + 1);
}

QVariant DataListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    return orientation == Qt::Horizontal ? list_.Cell(section + 1, 0) : list_.Cell(0, section + 1);
}

Qt::ItemFlags DataListModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace nubivu
