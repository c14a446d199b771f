#include "datalist/datalist.h"

#include <algorithm>

namespace nubivu {

DataList::DataList(QObject* parent) : QObject(parent), rows_(2) {}

void DataList::setNumber(StoredRow& row, std::int32_t number) {
    row.number = number;
    row.cells.setCell(0, {});
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
        row.cells.setCell(0, text);
    }
}

void DataList::moveDataCells(StoredRow& to, StoredRow& from) {
    if (to.cells.isCellEmpty(0) && from.cells.isCellEmpty(0)) {
        // Column 0 is a number in both (or empty): the packed cells move whole.
        to.cells = std::move(from.cells);
        from.cells = PackedRow();
        return;
    }
    to.cells.setCellsFrom(1, from.cells);
    from.cells.setCellsFrom(1, PackedRow());
}

void DataList::setRowCount(int count) {
    count = std::max(count, 2);
    if (count == rowCount()) return;
    rows_.resize(static_cast<size_t>(count));
    row_ = std::min(row_, count - 1);
    Q_EMIT rowsReset();
}

QString DataList::Cell(int col, int row) const {
    if (col < 0 || col >= ColCount || row < 0 || row >= rowCount()) return {};
    const StoredRow& r = rows_[static_cast<size_t>(row)];
    if (col == 0 && r.number != kTextNumber) return QString::number(r.number);
    return r.cells.Cell(col).toString();
}

void DataList::setCell(int col, int row, const QString& text) {
    if (col < 0 || col >= ColCount || row < 0 || row >= rowCount()) return;
    StoredRow& r = rows_[static_cast<size_t>(row)];
    if (col == 0) {
        if (Cell(0, row) == text) return;
        setColumnZero(r, text);
    } else {
        if (r.cells.Cell(col) == QStringView(text)) return;
        r.cells.setCell(col, text);
    }
    Q_EMIT cellChanged(col, row);
}

void DataList::setCurrent(int col, int row) {
    col = std::clamp(col, 1, ColCount - 1);
    row = std::clamp(row, 1, rowCount() - 1);
    if (col == col_ && row == row_) return;
    col_ = col;
    row_ = row;
    Q_EMIT currentChanged(col_, row_);
}

void DataList::appendNumberedRow() {
    rows_.emplace_back();
    rows_.back().number = rowCount() - 1;
    Q_EMIT rowsReset();
}

void DataList::removeRows(const std::vector<int>& sortedRows) {
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
    row_ = std::min(row_, rowCount() - 1);
    Q_EMIT rowsReset();
}

void DataList::renumber(int fromRow) {
    for (int r = std::max(fromRow, 1); r < rowCount(); ++r)
        setNumber(rows_[static_cast<size_t>(r)], r);
    Q_EMIT rowsReset();
}

void DataList::shiftColumnDown(int col, int from) {
    const int last = rowCount() - 1;
    if (col < 1 || col >= ColCount || from < 1 || from > last) return;
    for (int y = last; y > from; --y) {
        const StoredRow& above = rows_[static_cast<size_t>(y - 1)];
        rows_[static_cast<size_t>(y)].cells.setCell(col, above.cells.Cell(col));
    }
    rows_[static_cast<size_t>(from)].cells.setCell(col, {});
    Q_EMIT rowsReset();
}

void DataList::shiftColumnUp(int col, int from) {
    const int last = rowCount() - 1;
    if (col < 1 || col >= ColCount || from < 1 || from > last) return;
    for (int y = from; y < last; ++y) {
        const StoredRow& below = rows_[static_cast<size_t>(y + 1)];
        rows_[static_cast<size_t>(y)].cells.setCell(col, below.cells.Cell(col));
    }
    rows_[static_cast<size_t>(last)].cells.setCell(col, {});
    Q_EMIT rowsReset();
}

void DataList::shiftRowsDown(int at) {
    const int last = rowCount() - 1;
    if (at < 1 || at > last) return;
    for (int y = last; y > at; --y)
        moveDataCells(rows_[static_cast<size_t>(y)], rows_[static_cast<size_t>(y - 1)]);
    rows_[static_cast<size_t>(at)].cells.setCellsFrom(1, PackedRow());
    Q_EMIT rowsReset();
}

void DataList::removeDataRow(int at) {
    const int last = rowCount() - 1;
    if (at < 1 || at >= last) return;
    for (int y = at; y < last; ++y)
        moveDataCells(rows_[static_cast<size_t>(y)], rows_[static_cast<size_t>(y + 1)]);
    rows_.pop_back();
    row_ = std::min(row_, rowCount() - 1);
    Q_EMIT rowsReset();
}

void DataList::appendDataRows(std::vector<SlotPaths> rows) {
    std::vector<PackedRow> packed;
    packed.reserve(rows.size());
    for (const SlotPaths& paths : rows) {
        std::array<QStringView, PackedRow::CellCount> cells;
        for (size_t s = 0; s < SlotCount; ++s) cells[s + 1] = paths[s];
        packed.emplace_back(cells);
    }
    appendDataRows(std::move(packed));
}

void DataList::appendDataRows(std::vector<PackedRow> rows) {
    if (rows.empty()) return;
    // The trailing row stays last: the new rows take its place and it follows them.
    StoredRow trailing = std::move(rows_.back());
    rows_.pop_back();
    rows_.reserve(rows_.size() + rows.size() + 1);
    for (PackedRow& cells : rows) {
        StoredRow& row = rows_.emplace_back();
        row.cells = std::move(cells);
        setNumber(row, rowCount() - 1);
    }
    setNumber(trailing, rowCount());
    rows_.push_back(std::move(trailing));
    Q_EMIT rowsReset();
}

bool DataList::isBlankRow(int row) const {
    if (row < 0 || row >= rowCount()) return true;
    const PackedRow& cells = rows_[static_cast<size_t>(row)].cells;
    if (cells.isEmpty()) return true;
    for (int x = 1; x < ColCount; ++x)
        if (!cells.isCellEmpty(x)) return false;
    return true;
}

SlotPaths DataList::paths(int row) const {
    SlotPaths paths;
    for (int s = 0; s < SlotCount; ++s) paths[static_cast<size_t>(s)] = Cell(s + 1, row);
    return paths;
}

void DataList::setPaths(int row, const SlotPaths& paths) {
    for (int s = 0; s < SlotCount; ++s) setCell(s + 1, row, paths[static_cast<size_t>(s)]);
}

} // namespace nubivu
