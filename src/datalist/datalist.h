#pragma once
// The data list: a grid of strings with a header row, a number column, the
// data rows 1 .. rowCount-2 and one trailing empty row. It holds no widget; the
// editor window shows it through a model. Each row is packed into one
// piece of memory and the row numbers are kept as numbers: a list of a million
// rows stays a few times the size of its file.
#include "datalist/imageslot.h"
#include "datalist/packedrow.h"

#include <QObject>
#include <QString>
#include <vector>

namespace nubivu {

class DataList : public QObject {
    Q_OBJECT
public:
    static constexpr int ColCount = 8;

    explicit DataList(QObject* parent = nullptr);

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // Growing adds empty rows, shrinking drops rows at the end. Never below 2.
    void setRowCount(int count);
    int dataRowCount() const { return rowCount() - 2; }

    // Out-of-range cells read as empty and ignore writes, as a grid does.
    // A cell is made into a string as it is read.
    QString Cell(int col, int row) const;
    void setCell(int col, int row, const QString& text);

    // The current cell (grid's Row and Col).
    int row() const { return row_; }
    int col() const { return col_; }
    void setCurrent(int col, int row);

    // Appends one row and numbers it rowCount-1: how every new row comes into being.
    void appendNumberedRow();

    // Whole-row moves for the editor: one shift, not one per column.
    void removeRows(const std::vector<int>& sortedRows);
    // Writes 1 .. rowCount-1 into column 0.
    void renumber(int fromRow = 1);

    // Editing moves for the grid operations, each one pass over the rows with
    // one rowsReset; column 0 (the numbers) never moves.
    // Column col, rows from .. rowCount-2 move down one; (col, from) empties.
    void shiftColumnDown(int col, int from);
    // Column col, rows from+1 .. rowCount-1 move up one; the trailing cell empties.
    void shiftColumnUp(int col, int from);
    // Columns 1-7 of rows at .. rowCount-2 move down one into at+1 .. rowCount-1; row at empties.
    void shiftRowsDown(int at);
    // Removes data row at: the rows below move up and the last row is dropped.
    void removeDataRow(int at);
    // Appends numbered rows holding the given paths, before the trailing row.
    void appendDataRows(std::vector<SlotPaths> rows);
    // The same for rows as the file reader packs them, slot s in cell s + 1
    // and cell 0 empty.
    void appendDataRows(std::vector<PackedRow> rows);
    bool isBlankRow(int row) const;

    // Data row r's seven paths (r in 1 .. rowCount-2 meaningful; others empty).
    SlotPaths paths(int row) const;
    void setPaths(int row, const SlotPaths& paths);

Q_SIGNALS:
    // One cell's text changed.
    void cellChanged(int col, int row);
    // Rows were added, removed or moved: a view must re-read everything.
    void rowsReset();
    void currentChanged(int col, int row);

private:
    struct StoredRow {
        PackedRow cells;
        // Column 0 as the number it nearly always is (no heap text), or
        // kTextNumber when it is the text in cells' cell 0.
        std::int32_t number = kTextNumber;
    };
    static constexpr std::int32_t kTextNumber = -1;
    static void setNumber(StoredRow& row, std::int32_t number);
    static void setColumnZero(StoredRow& row, const QString& text);
    // Moves columns 1-7 of from into to; column 0 of both stays.
    static void moveDataCells(StoredRow& to, StoredRow& from);

    std::vector<StoredRow> rows_;
    int row_ = 1;
    int col_ = 1;
};

} // namespace nubivu
