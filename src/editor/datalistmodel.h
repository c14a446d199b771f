#pragma once
// The data list as a table for the editor's grid: the data and trailing rows
// are the table's rows, the seven slots its columns; the header row and the
// number column are the view's fixed headers, so they can never be current.
#include "datalist/datalist.h"

#include <QAbstractTableModel>

namespace nubivu {

class DataListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DataListModel(DataList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Grid cell (col, row) <-> table index.
    QModelIndex indexOf(int col, int row) const { return index(row - 1, col - 1); }

private:
    DataList& list_;
};

} // namespace nubivu
