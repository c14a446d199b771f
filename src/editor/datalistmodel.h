#pragma once
// The lesson's rows as the editor's grid shows them: the data rows and, after
// them, one empty row into which a path entered makes a new row; the seven
// slots as columns. The view's fixed headers are the grid's header row (the
// pane titles as they stood when the editor was last activated) and its
// number column (each row's number, counted from 1), so they can never be current.
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
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The list's cell (row, slot), row count() being the empty row after the list.
    QModelIndex indexOf(int row, int slot) const { return index(row, slot); }

    // The header row's titles: taken when the editor is activated, not as they change.
    void setTitles(const SlotPaths& titles);

private:
    DataList& list_;
    SlotPaths titles_;
};

} // namespace nubivu
