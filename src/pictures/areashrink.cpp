#include "pictures/areashrink.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace nubivu {

namespace {

// Weights are in 256ths of a new pixel: the vertical sums of bytes stay
// within 16 bits (255 x 256), which keeps that pass narrow and fast.
constexpr int kUnit = 256;
constexpr int kMaxFactor = 16; // below 16 units a source pixel the rounding shows

// The source pixels each new pixel covers along one side, and what each
// counts: new pixel x takes count[x] weights from weights[offset[x]] on,
// for source pixels first[x], first[x] + 1, ...
struct Spans {
    std::vector<int> first, count, offset;
    std::vector<std::uint16_t> weights;
};

// Source pixel i covers [edge(i), edge(i + 1)) in 256ths of a new pixel; the
// edges are rounded once, so the weights of every new pixel sum to 256.
Spans spans(int from, int to) {
    auto edge = [&](int i) { return int((std::int64_t(i) * to * kUnit + from / 2) / from); };
    Spans out;
    int i = 0;
    for (int x = 0; x < to; ++x) {
        const int begin = x * kUnit;
        const int end = begin + kUnit;
        while (edge(i + 1) <= begin) ++i;
        out.first.push_back(i);
        out.offset.push_back(int(out.weights.size()));
        for (int j = i; j < from && edge(j) < end; ++j)
            out.weights.push_back(
                std::uint16_t(std::min(edge(j + 1), end) - std::max(edge(j), begin)));
        out.count.push_back(int(out.weights.size()) - out.offset.back());
    }
    return out;
}

// Small vectors of bytes and of 16-bit sums: the compiler turns the loops
// below into SIMD instructions where the machine has them.
using Bytes8 = std::uint8_t __attribute__((vector_size(8)));
using Sums8 = std::uint16_t __attribute__((vector_size(16)));
using Bytes4 = std::uint8_t __attribute__((vector_size(4)));
using Sums4 = std::uint16_t __attribute__((vector_size(8)));

// Adds w times each byte of line to sum; bytes is a multiple of 4.
void addRow(std::uint16_t* sum, const uchar* line, size_t bytes, std::uint16_t w) {
    size_t b = 0;
    for (; b + 8 <= bytes; b += 8) {
        Bytes8 in;
        Sums8 total;
        std::memcpy(&in, line + b, sizeof in);
        std::memcpy(&total, sum + b, sizeof total);
        total += __builtin_convertvector(in, Sums8) * w;
        std::memcpy(sum + b, &total, sizeof total);
    }
    for (; b < bytes; ++b) sum[b] = std::uint16_t(sum[b] + w * line[b]);
}

// The summed-down row back in bytes: sums of 256ths, rounded.
void toBytes(const std::uint16_t* sum, uchar* row, size_t bytes) {
    size_t b = 0;
    for (; b + 8 <= bytes; b += 8) {
        Sums8 total;
        std::memcpy(&total, sum + b, sizeof total);
        // 255 x 256 + 128 still fits 16 bits.
        const Bytes8 out = __builtin_convertvector((total + kUnit / 2) / kUnit, Bytes8);
        std::memcpy(row + b, &out, sizeof out);
    }
    for (; b < bytes; ++b) row[b] = uchar((sum[b] + kUnit / 2) / kUnit);
}

// One new row from the summed-down row: each new pixel the weighted sum of
// the pixels it covers across. The weights sum to 256, so the sums of bytes
// fit 16 bits.
void shrinkAcross(const uchar* row, const Spans& across, uchar* target, int width) {
    for (int x = 0; x < width; ++x) {
        Sums4 acc = {0, 0, 0, 0};
        const uchar* from = row + size_t(across.first[size_t(x)]) * 4;
        const std::uint16_t* w = across.weights.data() + across.offset[size_t(x)];
        for (int c = 0; c < across.count[size_t(x)]; ++c, from += 4) {
            Bytes4 pixel;
            std::memcpy(&pixel, from, sizeof pixel);
            acc += __builtin_convertvector(pixel, Sums4) * w[c];
        }
        const Bytes4 out = __builtin_convertvector((acc + kUnit / 2) / kUnit, Bytes4);
        std::memcpy(target + 4 * x, &out, sizeof out);
    }
}

bool fastPathFits(const QImage& source, QSize size) {
    const QImage::Format f = source.format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32_Premultiplied) return false;
    return size.width() <= source.width() && size.height() <= source.height() &&
           size.width() * kMaxFactor >= source.width() &&
           size.height() * kMaxFactor >= source.height();
}

} // namespace

QImage ShrinkByArea(const QImage& source, QSize size) {
    if (source.isNull() || size.isEmpty()) return QImage();
    if (size == source.size()) return source;
    if (!fastPathFits(source, size))
        return source.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    QImage out(size, source.format());
    if (out.isNull()) return out;
    const Spans across = spans(source.width(), size.width());
    const Spans down = spans(source.height(), size.height());
    const size_t bytes = size_t(source.width()) * 4;
    std::vector<std::uint16_t> column(bytes); // one new row, summed down, still full width
    std::vector<uchar> row(bytes);
    for (int y = 0; y < size.height(); ++y) {
        std::fill(column.begin(), column.end(), std::uint16_t(0));
        const size_t o = size_t(down.offset[size_t(y)]);
        for (int r = 0; r < down.count[size_t(y)]; ++r)
            addRow(column.data(), source.constScanLine(down.first[size_t(y)] + r), bytes,
                   down.weights[o + size_t(r)]);
        toBytes(column.data(), row.data(), bytes);
        shrinkAcross(row.data(), across, out.scanLine(y), size.width());
    }
    return out;
}

} // namespace nubivu
