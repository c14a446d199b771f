#include "spi/spioutput.h"

#include "susieplugin.h"

#include <QtEndian>
#include <bit>
#include <cstdlib>

namespace nubivu {

static_assert(kMaxDibSide == SPI_MAX_SIDE_ACCEPTED, "the limit plug-in writers are told");

namespace {

enum : quint32 { BI_RGB = 0, BI_BITFIELDS = 3 };

// Red, green and blue each need a run of bits of their own within the pixel;
// alpha may be absent.
bool masksUsable(const quint32 (&masks)[4], int bits) {
    const quint64 limit = bits == 16 ? 0xFFFF : 0xFFFFFFFF;
    quint32 seen = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 m = masks[i];
        if (!m) {
            if (i < 3) return false;
            continue;
        }
        const quint32 run = m >> std::countr_zero(m);
        if ((run & (run + 1)) != 0 || m > limit || (seen & m)) return false;
        seen |= m;
    }
    return true;
}

} // namespace

std::optional<DibLayout> dibLayoutOf(const uchar* info, size_t available) {
    if (!info || available < 40) return std::nullopt;
    const quint32 size = qFromLittleEndian<quint32>(info);
    if (size != 40 && size != 108 && size != 124) return std::nullopt;
    if (available < size) return std::nullopt;
    const qint32 width = qFromLittleEndian<qint32>(info + 4);
    const qint32 height = qFromLittleEndian<qint32>(info + 8);
    const int bits = qFromLittleEndian<quint16>(info + 14);
    const quint32 compression = qFromLittleEndian<quint32>(info + 16);
    const quint32 used = qFromLittleEndian<quint32>(info + 32);

    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return std::nullopt;
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return std::nullopt;
    if (width <= 0 || width > kMaxDibSide) return std::nullopt;
    if (height == 0 || height < -kMaxDibSide || height > kMaxDibSide) return std::nullopt;
    const quint32 maxColors = bits <= 8 ? 1u << bits : 256u;
    if (used > maxColors) return std::nullopt;

    DibLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerPixel = bits;
    layout.headerSize = size;
    layout.compression = compression;
    layout.tableOffset = size;
    if (compression == BI_BITFIELDS) {
        // A 40-byte header is followed by the three colour masks; the larger
        // headers hold all four, alpha last.
        if (size == 40) layout.tableOffset += 12;
        if (available < size_t(layout.tableOffset)) return std::nullopt;
        quint32 masks[4] = {};
        for (int i = 0; i < (size == 40 ? 3 : 4); ++i)
            masks[i] = qFromLittleEndian<quint32>(info + 40 + 4 * i);
        if (!masksUsable(masks, bits)) return std::nullopt;
        layout.hasAlpha = masks[3] != 0;
    }
    layout.numColors = used != 0 ? int(used) : bits <= 8 ? 1 << bits : 0;
    layout.infoSize = layout.tableOffset + 4 * qint64(layout.numColors);
    layout.imageSize = (qint64(bits) * width + 31) / 32 * 4 * std::abs(qint64(height));
    if (quint64(layout.infoSize) > available) return std::nullopt;
    return layout;
}

std::optional<DibLayout> checkPluginOutput(HLOCAL bitmapInfo, HLOCAL bits) {
    // LocalSize is 0 for a handle that is null, freed or not ours.
    const size_t infoBytes = LocalSize(bitmapInfo);
    const size_t bitsBytes = LocalSize(bits);
    if (infoBytes < 40 || bitsBytes == 0) return std::nullopt;
    const auto* header = static_cast<const uchar*>(LocalLock(bitmapInfo));
    if (!header) return std::nullopt;
    std::optional<DibLayout> layout = dibLayoutOf(header, infoBytes);
    LocalUnlock(bitmapInfo);
    if (!layout || quint64(layout->imageSize) > bitsBytes) return std::nullopt;
    return layout;
}

} // namespace nubivu
