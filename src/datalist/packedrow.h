#pragma once
// One row of the data list in a single allocation: a table of where each of
// the eight cells ends, then their texts back to back. A list of a million
// rows would otherwise hold eight heap strings per row; here a row of empty
// cells holds nothing on the heap and an empty cell costs nothing at all.
// Cells are read as views and become strings only where they are used.
#include <QString>
#include <QStringView>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace nubivu {

class PackedRow {
public:
    static constexpr int CellCount = 8;
    // Where each cell's text ends in the row's text, cell by cell.
    using Ends = std::array<std::uint32_t, CellCount>;

    PackedRow() = default;
    // text holds the cells back to back; ends[i] is where cell i ends in it.
    PackedRow(QStringView text, const Ends& ends);
    explicit PackedRow(const std::array<QStringView, CellCount>& cells);
    PackedRow(const PackedRow& other);
    PackedRow& operator=(const PackedRow& other);
    PackedRow(PackedRow&&) noexcept = default;
    PackedRow& operator=(PackedRow&&) noexcept = default;

    // Cell i (0 .. CellCount-1) as a view into the row: valid until the row changes.
    QStringView Cell(int i) const {
        if (!data_) return {};
        const Ends e = ends();
        const std::uint32_t from = i == 0 ? 0 : e[size_t(i - 1)];
        return QStringView(text() + from, qsizetype(e[size_t(i)] - from));
    }
    bool IsCellEmpty(int i) const { return Cell(i).isEmpty(); }
    // True when every cell is empty.
    bool IsEmpty() const { return !data_; }
    // Replaces one cell's text: the row is packed anew around it.
    void SetCell(int i, QStringView value);
    // Cells first .. CellCount-1 taken from other, the cells before first kept.
    void SetCellsFrom(int first, const PackedRow& other);

private:
    Ends ends() const {
        Ends e;
        std::memcpy(e.data(), data_.get(), sizeof e);
        return e;
    }
    const char16_t* text() const { return reinterpret_cast<const char16_t*>(data_.get() + sizeof(Ends)); }
    std::uint32_t size() const { return data_ ? ends()[CellCount - 1] : 0; }

    std::unique_ptr<std::byte[]> data_;
};

} // namespace nubivu
