#include "datalist/packedrow.h"

namespace nubivu {

namespace {

std::unique_ptr<std::byte[]> packed(QStringView text, const PackedRow::Ends& ends) {
    if (text.isEmpty()) return nullptr;
    const size_t bytes = text.size() * sizeof(char16_t);
    std::unique_ptr<std::byte[]> data(new std::byte[sizeof ends + bytes]);
    std::memcpy(data.get(), ends.data(), sizeof ends);
    std::memcpy(data.get() + sizeof ends, text.utf16(), bytes);
    return data;
}

// The row made of the given cells' texts.
std::unique_ptr<std::byte[]> packedCells(const std::array<QStringView, PackedRow::CellCount>& cells) {
    PackedRow::Ends ends;
    size_t total = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        total += size_t(cells[i].size());
        ends[i] = std::uint32_t(total);
    }
    if (total == 0) return nullptr;
    std::unique_ptr<std::byte[]> data(new std::byte[sizeof ends + total * sizeof(char16_t)]);
    std::memcpy(data.get(), ends.data(), sizeof ends);
    std::byte* at = data.get() + sizeof ends;
    for (const QStringView cell : cells) {
        const size_t bytes = size_t(cell.size()) * sizeof(char16_t);
        if (bytes) std::memcpy(at, cell.utf16(), bytes);
        at += bytes;
    }
    return data;
}

} // namespace

PackedRow::PackedRow(QStringView text, const Ends& ends) : data_(packed(text, ends)) {}

PackedRow::PackedRow(const std::array<QStringView, CellCount>& cells) : data_(packedCells(cells)) {}

PackedRow::PackedRow(const PackedRow& other) {
    if (other.data_) data_ = packed(QStringView(other.text(), other.size()), other.ends());
}

PackedRow& PackedRow::operator=(const PackedRow& other) {
    if (this != &other) *this = PackedRow(other);
    return *this;
}

void PackedRow::SetCell(int i, QStringView value) {
    if (Cell(i) == value) return;
    std::array<QStringView, CellCount> cells;
    for (int c = 0; c < CellCount; ++c) cells[size_t(c)] = c == i ? value : Cell(c);
    data_ = packedCells(cells);
}

void PackedRow::SetCellsFrom(int first, const PackedRow& other) {
    std::array<QStringView, CellCount> cells;
    for (int c = 0; c < CellCount; ++c) cells[size_t(c)] = c < first ? Cell(c) : other.Cell(c);
    data_ = packedCells(cells);
}

} // namespace nubivu
