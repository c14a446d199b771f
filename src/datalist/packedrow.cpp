#include "datalist/packedrow.h"

#include <new>

namespace nubivu {

// A block's rows keep it alive: the count of rows in it, plus one while a
// RowBlocks is still filling it.
struct PackedRow::Block {
    std::size_t rows;
};

namespace {

constexpr std::size_t kBlockSize = 256 * 1024;
// Rows start 8-aligned in a block, after its header.
constexpr std::size_t kBlockHeader = 16;
static_assert(sizeof(PackedRow::Ends) % alignof(std::uint32_t) == 0);

constexpr std::size_t bytesFor(std::size_t chars) {
    return sizeof(PackedRow::Ends) + chars * sizeof(char16_t);
}

std::byte* packed(QStringView text, const PackedRow::Ends& ends, std::byte* to) {
    std::memcpy(to, ends.data(), sizeof ends);
    std::memcpy(to + sizeof ends, text.utf16(), size_t(text.size()) * sizeof(char16_t));
    return to;
}

std::byte* packedAlone(QStringView text, const PackedRow::Ends& ends) {
    if (text.isEmpty()) return nullptr;
    return packed(text, ends, new std::byte[bytesFor(size_t(text.size()))]);
}

// The row made of the given cells' texts.
std::byte* packedCells(const std::array<QStringView, PackedRow::CellCount>& cells) {
    PackedRow::Ends ends;
    size_t total = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        total += size_t(cells[i].size());
        ends[i] = std::uint32_t(total);
    }
    if (total == 0) return nullptr;
    auto* data = new std::byte[bytesFor(total)];
    std::memcpy(data, ends.data(), sizeof ends);
    std::byte* at = data + sizeof ends;
    for (const QStringView cell : cells) {
        const size_t bytes = size_t(cell.size()) * sizeof(char16_t);
        if (bytes) std::memcpy(at, cell.utf16(), bytes);
        at += bytes;
    }
    return data;
}

} // namespace

PackedRow::PackedRow(QStringView text, const Ends& ends) : data_(packedAlone(text, ends)) {}

PackedRow::PackedRow(const std::array<QStringView, CellCount>& cells) : data_(packedCells(cells)) {}

PackedRow::PackedRow(const PackedRow& other) {
    if (other.data_) data_ = packedAlone(QStringView(other.text(), other.size()), other.ends());
}

PackedRow& PackedRow::operator=(const PackedRow& other) {
    if (this != &other) *this = PackedRow(other);
    return *this;
}

void PackedRow::release() {
    if (block_) {
        if (--block_->rows == 0) ::operator delete(block_);
    } else {
        delete[] data_;
    }
    data_ = nullptr;
    block_ = nullptr;
}

void PackedRow::setCell(int i, QStringView value) {
    if (cell(i) == value) return;
    std::array<QStringView, CellCount> cells;
    for (int c = 0; c < CellCount; ++c) cells[size_t(c)] = c == i ? value : cell(c);
    std::byte* data = packedCells(cells);
    release();
    data_ = data;
}

RowBlocks::~RowBlocks() {
    if (block_ && --block_->rows == 0) ::operator delete(block_);
}

PackedRow RowBlocks::pack(QStringView text, const PackedRow::Ends& ends) {
    PackedRow row;
    if (text.isEmpty()) return row;
    const std::size_t bytes = (bytesFor(size_t(text.size())) + 7) & ~std::size_t(7);
    // A row too long for a block is packed alone.
    if (bytes > (kBlockSize - kBlockHeader) / 4) return PackedRow(text, ends);
    if (!block_ || used_ + bytes > kBlockSize) {
        if (block_ && --block_->rows == 0) ::operator delete(block_);
        block_ = new (::operator new(kBlockSize)) PackedRow::Block{1};
        used_ = kBlockHeader;
    }
    row.data_ = packed(text, ends, reinterpret_cast<std::byte*>(block_) + used_);
    row.block_ = block_;
    ++block_->rows;
    used_ += bytes;
    return row;
}

} // namespace nubivu
