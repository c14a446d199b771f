#include "datalist/datalist.h"

#include <algorithm>
#include <iterator>

namespace nubivu {

static_assert(PackedRow::CellCount == SlotCount);

DataList::DataList(QObject* parent) : QObject(parent) {}

QString DataList::cell(int row, int slot) const {
    if (!holds(row, slot)) return {};
    return rows_[size_t(row)].cell(slot).toString();
}

void DataList::setCell(int row, int slot, const QString& text) {
    if (!holds(row, slot)) return;
    PackedRow& r = rows_[size_t(row)];
    if (r.cell(slot) == QStringView(text)) return;
    r.setCell(slot, text);
    Q_EMIT cellChanged(row, slot);
}

SlotPaths DataList::paths(int row) const {
    SlotPaths paths;
    for (int s = 0; s < SlotCount; ++s) paths[size_t(s)] = cell(row, s);
    return paths;
}

void DataList::setPaths(int row, const SlotPaths& paths) {
    for (int s = 0; s < SlotCount; ++s) setCell(row, s, paths[size_t(s)]);
}

bool DataList::isBlankRow(int row) const {
    // A packed row of empty cells holds no text at all.
    return row < 0 || row >= count() || rows_[size_t(row)].isEmpty();
}

void DataList::setCurrent(int row, int slot) {
    row = std::clamp(row, 0, count());
    slot = std::clamp(slot, 0, SlotCount - 1);
    if (row == currentRow_ && slot == currentSlot_) return;
    currentRow_ = row;
    currentSlot_ = slot;
    Q_EMIT currentChanged(currentRow_, currentSlot_);
}

void DataList::clampCurrent() { currentRow_ = std::min(currentRow_, count()); }

void DataList::clear() {
    // The room stays: the next Open fills it again.
    rows_.clear();
    clampCurrent();
    Q_EMIT rowsReset();
}

void DataList::appendRow() {
    rows_.emplace_back();
    Q_EMIT rowsReset();
}

void DataList::appendRows(std::vector<SlotPaths> rows) {
    std::vector<PackedRow> packed;
    packed.reserve(rows.size());
    for (const SlotPaths& paths : rows) {
        std::array<QStringView, PackedRow::CellCount> cells;
        for (size_t s = 0; s < SlotCount; ++s) cells[s] = paths[s];
        packed.emplace_back(cells);
    }
    appendRows(std::move(packed));
}

void DataList::appendRows(std::vector<PackedRow> rows) {
    if (rows.empty()) return;
    if (rows_.empty() && rows.capacity() >= rows_.capacity())
        rows_ = std::move(rows);
    else
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                     std::make_move_iterator(rows.end()));
    Q_EMIT rowsReset();
}

void DataList::insertRow(int at) {
    if (at < 0 || at > count()) return;
    rows_.emplace(rows_.begin() + at);
    Q_EMIT rowsReset();
}

void DataList::removeRow(int at) {
    if (at < 0 || at >= count()) return;
    rows_.erase(rows_.begin() + at);
    clampCurrent();
    Q_EMIT rowsReset();
}

int DataList::removeBlankRows() {
    const auto kept = std::remove_if(rows_.begin(), rows_.end(),
                                     [](const PackedRow& row) { return row.isEmpty(); });
    const int removed = static_cast<int>(rows_.end() - kept);
    if (removed == 0) return 0;
    rows_.erase(kept, rows_.end());
    clampCurrent();
    Q_EMIT rowsReset();
    return removed;
}

void DataList::shiftSlotDown(int slot, int from) {
    if (!holds(from, slot)) return;
    for (int y = count() - 1; y > from; --y)
        rows_[size_t(y)].setCell(slot, rows_[size_t(y - 1)].cell(slot));
    rows_[size_t(from)].setCell(slot, {});
    Q_EMIT rowsReset();
}

void DataList::shiftSlotUp(int slot, int from) {
    if (!holds(from, slot)) return;
    const int last = count() - 1;
    for (int y = from; y < last; ++y)
        rows_[size_t(y)].setCell(slot, rows_[size_t(y + 1)].cell(slot));
    rows_[size_t(last)].setCell(slot, {});
    Q_EMIT rowsReset();
}

} // namespace nubivu
