#pragma once
// The lesson's rows: data rows 0 .. count()-1, each the seven paths of one
// moment in ImageSlot order. It holds no widget and no grid: the editor's
// model adds the header, the row numbers and the empty row a new row is
// entered into. Each row is packed into one piece of memory: a list of a
// million rows stays a few times the size of its file.
#include "datalist/imageslot.h"
#include "datalist/packedrow.h"

#include <QObject>
#include <QString>
#include <vector>

namespace nubivu {

class DataList : public QObject {
    Q_OBJECT
public:
    explicit DataList(QObject* parent = nullptr);

    int count() const { return static_cast<int>(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }

    // Out-of-range cells read as empty and ignore writes. A cell is made into
    // a string as it is read.
    QString cell(int row, int slot) const;
    void setCell(int row, int slot, const QString& text);
    SlotPaths paths(int row) const;
    void setPaths(int row, const SlotPaths& paths);
    // True when all seven cells are empty, and for a row out of range.
    bool isBlankRow(int row) const;

    // The cell the editor's operations act on. Its row runs to count(): the
    // row after the last, where a path entered makes a new row.
    int currentRow() const { return currentRow_; }
    int currentSlot() const { return currentSlot_; }
    // Clamped into 0 .. count() and 0 .. SlotCount-1.
    void setCurrent(int row, int slot);

    // Bulk changes, each one pass over the rows and one rowsReset.
    void clear();
    void appendRow();
    void appendRows(std::vector<SlotPaths> rows);
    // Rows as the file reader packs them.
    void appendRows(std::vector<PackedRow> rows);
    // An empty row at at (0 .. count()); the rows from there move down one.
    void insertRow(int at);
    void removeRow(int at);
    // Removes every blank row, the others keeping their order; returns how many went.
    int removeBlankRows();
    // The slot's values of rows from .. count()-2 move down one row, the last
    // row's value is dropped and (from, slot) empties.
    void shiftSlotDown(int slot, int from);
    // The slot's values of rows from+1 .. count()-1 move up one row and the
    // last row's value empties.
    void shiftSlotUp(int slot, int from);

Q_SIGNALS:
    // One cell's text changed.
    void cellChanged(int row, int slot);
    // Rows were added, removed or moved: a view must re-read everything.
    void rowsReset();
    void currentChanged(int row, int slot);

private:
    bool holds(int row, int slot) const {
        return row >= 0 && row < count() && slot >= 0 && slot < SlotCount;
    }
    // After rows went: the current row stays within 0 .. count().
    void clampCurrent();

    std::vector<PackedRow> rows_;
    int currentRow_ = 0;
    int currentSlot_ = 0;
};

} // namespace nubivu
