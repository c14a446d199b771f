#pragma once
// One row of the data list packed into one piece of memory: a table of where
// each of the seven cells ends, then their texts back to back. A list of a
// million rows would otherwise hold seven heap strings per row; here a row
// of empty cells holds no memory of its own and an empty cell costs nothing.
// Cells are read as views and become strings only where they are used.
//
// Rows read from a file share large blocks (RowBlocks) rather than taking an
// allocation each; a row that is edited is packed anew on its own, and a
// block goes back to the system with the last of its rows.
#include <QString>
#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace nubivu {

class RowBlocks;

class PackedRow {
public:
    static constexpr int CellCount = 7;
    // Where each cell's text ends in the row's text, cell by cell.
    using Ends = std::array<std::uint32_t, CellCount>;

    PackedRow() = default;
    // text holds the cells back to back; ends[i] is where cell i ends in it.
    PackedRow(QStringView text, const Ends& ends);
    explicit PackedRow(const std::array<QStringView, CellCount>& cells);
    ~PackedRow() { release(); }
    PackedRow(const PackedRow& other);
    PackedRow& operator=(const PackedRow& other);
    PackedRow(PackedRow&& other) noexcept : data_(other.data_), block_(other.block_) {
        other.data_ = nullptr;
        other.block_ = nullptr;
    }
    PackedRow& operator=(PackedRow&& other) noexcept {
        if (this != &other) {
            release();
            data_ = other.data_;
            block_ = other.block_;
            other.data_ = nullptr;
            other.block_ = nullptr;
        }
        return *this;
    }

    // Cell i (0 .. CellCount-1) as a view into the row: valid until the row changes.
    QStringView cell(int i) const {
        if (!data_) return {};
        const Ends e = ends();
        const std::uint32_t from = i == 0 ? 0 : e[size_t(i - 1)];
        return QStringView(text() + from, qsizetype(e[size_t(i)] - from));
    }
    bool isCellEmpty(int i) const { return cell(i).isEmpty(); }
    // True when every cell is empty.
    bool isEmpty() const { return !data_; }
    // Replaces one cell's text: the row is packed anew around it.
    void setCell(int i, QStringView value);

private:
    friend class RowBlocks;
    struct Block;

    Ends ends() const {
        Ends e;
        std::memcpy(e.data(), data_, sizeof e);
        return e;
    }
    const char16_t* text() const { return reinterpret_cast<const char16_t*>(data_ + sizeof(Ends)); }
    std::uint32_t size() const { return data_ ? ends()[CellCount - 1] : 0; }
    void release();

    // Owned alone (block_ null) or a part of block_.
    std::byte* data_ = nullptr;
    Block* block_ = nullptr;
};

// Packs many rows in a row, as a reader makes them, into shared blocks.
// Not for use from two threads at once on rows of the same blocks.
class RowBlocks {
public:
    RowBlocks() = default;
    ~RowBlocks();
    RowBlocks(const RowBlocks&) = delete;
    RowBlocks& operator=(const RowBlocks&) = delete;

    PackedRow pack(QStringView text, const PackedRow::Ends& ends);

private:
    PackedRow::Block* block_ = nullptr;
    std::size_t used_ = 0;
};

} // namespace nubivu
