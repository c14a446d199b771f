#pragma once
// A bounded little-endian view over metafile bytes. Every read outside the
// view yields 0 instead of touching memory beyond it, so record handlers
// check sizes once and never over-read when a count lies.
#include <QtGlobal>
#include <cstring>

namespace nubivu {

class MetaBytes {
public:
    MetaBytes() = default;
    MetaBytes(const uchar* data, qsizetype size) : data_(data), size_(data ? size : 0) {}

    const uchar* data() const { return data_; }
    qsizetype size() const { return size_; }
    bool has(qint64 offset, qint64 length) const {
        return offset >= 0 && length >= 0 && offset <= size_ && length <= size_ - offset;
    }

    quint8 u8(qint64 at) const { return has(at, 1) ? data_[at] : 0; }
    quint16 u16(qint64 at) const {
        return has(at, 2) ? quint16(data_[at] | (data_[at + 1] << 8)) : 0;
    }
    qint16 i16(qint64 at) const { return qint16(u16(at)); }
    quint32 u32(qint64 at) const {
        return has(at, 4) ? quint32(data_[at]) | (quint32(data_[at + 1]) << 8) |
                                (quint32(data_[at + 2]) << 16) | (quint32(data_[at + 3]) << 24)
                          : 0;
    }
    qint32 i32(qint64 at) const { return qint32(u32(at)); }
    float f32(qint64 at) const {
        const quint32 bits = u32(at);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        return f;
    }

    // The part [offset, offset + length), or an empty view when it does not lie inside.
    MetaBytes sub(qint64 offset, qint64 length) const {
        return has(offset, length) ? MetaBytes(data_ + offset, qsizetype(length)) : MetaBytes();
    }
    // Everything from offset on (empty when offset is outside).
    MetaBytes from(qint64 offset) const {
        return has(offset, 0) ? MetaBytes(data_ + offset, size_ - qsizetype(offset)) : MetaBytes();
    }

private:
    const uchar* data_ = nullptr;
    qsizetype size_ = 0;
};

} // namespace nubivu
