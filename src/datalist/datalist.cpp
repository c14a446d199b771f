#include "datalist/datalist.h"

#include <algorithm>

namespace nubivu {

DataList::DataList(QObject* parent) : QObject(parent), rows_(2) {}

void DataList::setNumber(StoredRow& row, std::int32_t number) {
    row.number = number;
    row.cells.SetCell(0, {});
}

void DataList::setColumnZero(StoredRow& row, const QString& text) {
    // Only the text QString::number gives back is kept as a number: "007"
    // and "+7" stay text.
    const bool digits =
        !text.isEmpty() && text.size() <= 9 && (text.size() == 1 || text[0] != u'0') &&
        std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    if (digits) {
        setNumber(row, text.toInt());
    } else {
        row.number = kTextNumber;
        row.cells.SetCell(0, text);
    }
}

void DataList::moveDataCells(StoredRow& to, StoredRow& from) {
    if (to.cells.IsCellEmpty(0) && from.cells.IsCellEmpty(0)) {
        // Column 0 is a number in both (or empty): the packed cells move whole.
        to.cells = std::move(from.cells);
        from.cells = PackedRow();
        return;
    }
    to.cells.SetCellsFrom(1, from.cells);
    from.cells.SetCellsFrom(1, PackedRow());
}

void DataList::SetRowCount(int count) {
    count = std::max(count, 2);
    if (count == RowCount()) return;
    rows_.resize(static_cast<size_t>(count));
    row_ = std::min(row_, count - 1);
    Q_EMIT rowsReset();
}

QString DataList::Cell(int col, int row) const {
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount()) return {};
    const StoredRow& r = rows_[static_cast<size_t>(row)];
    if (col == 0 && r.number != kTextNumber) return QString::number(r.number);
    return r.cells.Cell(col).toString();
}

void DataList::SetCell(int col, int row, const QString& text) {
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount()) return;
    StoredRow& r = rows_[static_cast<size_t>(row)];
    if (col == 0) {
        if (Cell(0, row) == text) return;
        setColumnZero(r, text);
    } else {
        if (r.cells.Cell(col) == QStringView(text)) return;
        r.cells.SetCell(col, text);
    }
    Q_EMIT cellChanged(col, row);
}

void DataList::SetCurrent(int col, int row) {
    col = std::clamp(col, 1, ColCount - 1);
    row = std::clamp(row, 1, RowCount() - 1);
    if (col == col_ && row == row_) return;
    col_ = col;
    row_ = row;
    Q_EMIT currentChanged(col_, row_);
}

void DataList::AppendNumberedRow() {
    rows_.emplace_back();
    rows_.back().number = RowCount() - 1;
    Q_EMIT rowsReset();
}

void DataList::RemoveRows(const std::vector<int>& sortedRows) {
    if (sortedRows.empty()) return;
    // One pass: keep every row not named, in order.
    size_t out = 0;
    size_t next = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (next < sortedRows.size() && static_cast<size_t>(sortedRows[next]) == r && r != 0) {
            ++next;
            continue;
        }
        if (out != r) rows_[out] = std::move(rows_[r]);
        ++out;
    }
    rows_.resize(std::max<size_t>(out, 2));
    row_ = std::min(row_, RowCount() - 1);
    Q_EMIT rowsReset();
}

void DataList::Renumber(int fromRow) {
    for (int r = std::max(fromRow, 1); r < RowCount(); ++r)
        setNumber(rows_[static_cast<size_t>(r)], r);
    Q_EMIT rowsReset();
}

void DataList::ShiftColumnDown(int col, int from) {
    const int last = RowCount() - 1;
    if (col < 1 || col >= ColCount || from < 1 || from > last) return;
    for (int y = last; y > from; --y) {
        const StoredRow& above = rows_[static_cast<size_t>(y - 1)];
        rows_[static_cast<size_t>(y)].cells.SetCell(col, above.cells.Cell(col));
    }
    rows_[static_cast<size_t>(from)].cells.SetCell(col, {});
    Q_EMIT rowsReset();
}

void DataList::ShiftColumnUp(int col, int from) {
    const int last = RowCount() - 1;
    if (col < 1 || col >= ColCount || from < 1 || from > last) return;
    for (int y = from; y < last; ++y) {
        const StoredRow& below = rows_[static_cast<size_t>(y + 1)];
        rows_[static_cast<size_t>(y)].cells.SetCell(col, below.cells.Cell(col));
    }
    rows_[static_cast<size_t>(last)].cells.SetCell(col, {});
    Q_EMIT rowsReset();
}

void DataList::ShiftRowsDown(int at) {
    const int last = RowCount() - 1;
    if (at < 1 || at > last) return;
    for (int y = last; y > at; --y)
        moveDataCells(rows_[static_cast<size_t>(y)], rows_[static_cast<size_t>(y - 1)]);
    rows_[static_cast<size_t>(at)].cells.SetCellsFrom(1, PackedRow());
    Q_EMIT rowsReset();
}

void DataList::RemoveDataRow(int at) {
    const int last = RowCount() - 1;
    if (at < 1 || at >= last) return;
    for (int y = at; y < last; ++y)
        moveDataCells(rows_[static_cast<size_t>(y)], rows_[static_cast<size_t>(y + 1)]);
    rows_.pop_back();
    row_ = std::min(row_, RowCount() - 1);
    Q_EMIT rowsReset();
}

void DataList::AppendDataRows(std::vector<SlotPaths> rows) {
    std::vector<PackedRow> packed;
    packed.reserve(rows.size());
    for (const SlotPaths& paths : rows) {
        std::array<QStringView, PackedRow::CellCount> cells;
        for (size_t s = 0; s < SlotCount; ++s) cells[s + 1] = paths[s];
        packed.emplace_back(cells);
    }
    AppendDataRows(std::move(packed));
}

void DataList::AppendDataRows(std::vector<PackedRow> rows) {
    if (rows.empty()) return;
    // The trailing row stays last: the new rows take its place and it follows them.
    StoredRow trailing = std::move(rows_.back());
    rows_.pop_back();
    rows_.reserve(rows_.size() + rows.size() + 1);
    for (PackedRow& cells : rows) {
        StoredRow& row = rows_.emplace_back();
        row.cells = std::move(cells);
        setNumber(row, RowCount() - 1);
    }
    setNumber(trailing, RowCount());
    rows_.push_back(std::move(trailing));
    Q_EMIT rowsReset();
}

bool DataList::IsBlankRow(int row) const {
    if (row < 0 || row >= RowCount()) return true;
    const PackedRow& cells = rows_[static_cast<size_t>(row)].cells;
    if (cells.IsEmpty()) return true;
    for (int x = 1; x < ColCount; ++x)
        if (!cells.IsCellEmpty(x)) return false;
    return true;
}

SlotPaths DataList::Paths(int row) const {
    SlotPaths paths;
    for (int s = 0; s < SlotCount; ++s) paths[static_cast<size_t>(s)] = Cell(s + 1, row);
    return paths;
}

void DataList::SetPaths(int row, const SlotPaths& paths) {
    for (int s = 0; s < SlotCount; ++s) SetCell(s + 1, row, paths[static_cast<size_t>(s)]);
}

} // namespace nubivu
