#include "datalist/datalist.h"

#include <algorithm>

namespace nubivu {

namespace {
const QString kEmpty;
}

DataList::DataList(QObject* parent) : QObject(parent), rows_(2) {}

void DataList::SetRowCount(int count) {
    count = std::max(count, 2);
    if (count == RowCount()) return;
    rows_.resize(static_cast<size_t>(count));
    row_ = std::min(row_, count - 1);
    Q_EMIT rowsReset();
}

const QString& DataList::Cell(int col, int row) const {
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount()) return kEmpty;
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void DataList::SetCell(int col, int row, const QString& text) {
    if (col < 0 || col >= ColCount || row < 0 || row >= RowCount()) return;
    QString& cell = rows_[static_cast<size_t>(row)][static_cast<size_t>(col)];
    if (cell == text) return;
    cell = text;
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
    rows_.back()[0] = QString::number(RowCount() - 1);
    Q_EMIT rowsReset();
}

void DataList::InsertRow(int at) {
    at = std::clamp(at, 1, RowCount());
    rows_.insert(rows_.begin() + at, RowCells{});
    Q_EMIT rowsReset();
}

void DataList::RemoveRow(int at) {
    if (at < 1 || at >= RowCount() || RowCount() <= 2) return;
    rows_.erase(rows_.begin() + at);
    row_ = std::min(row_, RowCount() - 1);
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
        rows_[static_cast<size_t>(r)][0] = QString::number(r);
    Q_EMIT rowsReset();
}

void DataList::ShiftColumnDown(int col, int from) {
    const int last = RowCount() - 1;
    if (col < 1 || col >= ColCount || from < 1 || from > last) return;
    const auto c = static_cast<size_t>(col);
    for (int y = last; y > from; --y)
        rows_[static_cast<size_t>(y)][c] = std::move(rows_[static_cast<size_t>(y - 1)][c]);
    rows_[static_cast<size_t>(from)][c].clear();
    Q_EMIT rowsReset();
}

void DataList::ShiftColumnUp(int col, int from) {
    const int last = RowCount() - 1;
    if (col < 1 || col >= ColCount || from < 1 || from > last) return;
    const auto c = static_cast<size_t>(col);
    for (int y = from; y < last; ++y)
        rows_[static_cast<size_t>(y)][c] = std::move(rows_[static_cast<size_t>(y + 1)][c]);
    rows_[static_cast<size_t>(last)][c].clear();
    Q_EMIT rowsReset();
}

void DataList::ShiftRowsDown(int at) {
    const int last = RowCount() - 1;
    if (at < 1 || at > last) return;
    for (int y = last; y > at; --y) {
        auto& to = rows_[static_cast<size_t>(y)];
        auto& from = rows_[static_cast<size_t>(y - 1)];
        for (size_t x = 1; x < ColCount; ++x) to[x] = std::move(from[x]);
    }
    for (size_t x = 1; x < ColCount; ++x) rows_[static_cast<size_t>(at)][x].clear();
    Q_EMIT rowsReset();
}

void DataList::RemoveDataRow(int at) {
    const int last = RowCount() - 1;
    if (at < 1 || at >= last) return;
    for (int y = at; y < last; ++y) {
        auto& to = rows_[static_cast<size_t>(y)];
        auto& from = rows_[static_cast<size_t>(y + 1)];
        for (size_t x = 1; x < ColCount; ++x) to[x] = std::move(from[x]);
    }
    rows_.pop_back();
    row_ = std::min(row_, RowCount() - 1);
    Q_EMIT rowsReset();
}

void DataList::AppendDataRows(std::vector<SlotPaths> rows) {
    if (rows.empty()) return;
    // The trailing row stays last: the new rows take its place and it follows them.
    RowCells trailing = std::move(rows_.back());
    rows_.pop_back();
    rows_.reserve(rows_.size() + rows.size() + 1);
    for (SlotPaths& paths : rows) {
        RowCells& cells = rows_.emplace_back();
        cells[0] = QString::number(RowCount() - 1);
        for (size_t s = 0; s < SlotCount; ++s) cells[s + 1] = std::move(paths[s]);
    }
    trailing[0] = QString::number(RowCount());
    rows_.push_back(std::move(trailing));
    Q_EMIT rowsReset();
}

bool DataList::IsBlankRow(int row) const {
    for (int x = 1; x < ColCount; ++x)
        if (!Cell(x, row).isEmpty()) return false;
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
