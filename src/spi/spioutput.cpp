#include "spi/spioutput.h"

#include <QtEndian>
#include <cstdlib>

namespace nubivu {

std::optional<TDibLayout> DibLayoutOf(const uchar* header) {
    const quint32 size = qFromLittleEndian<quint32>(header);
    const qint32 width = qFromLittleEndian<qint32>(header + 4);
    const qint32 height = qFromLittleEndian<qint32>(header + 8);
    const int bits = qFromLittleEndian<quint16>(header + 14);
    const quint32 compression = qFromLittleEndian<quint32>(header + 16);
    const quint32 used = qFromLittleEndian<quint32>(header + 32);

    // Only the plain header without compression: the BMP image we write from
    // it has exactly the header and the colour table in front of the rows.
    if (size != 40 || compression != 0) return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
    if (width <= 0 || width > kMaxDibSide) return std::nullopt;
    if (height == 0 || height < -kMaxDibSide || height > kMaxDibSide) return std::nullopt;
    const quint32 maxColors = bits <= 8 ? 1u << bits : 256u;
    if (used > maxColors) return std::nullopt;

    TDibLayout layout;
    layout.width = width;
    layout.height = height;
    layout.bitsPerPixel = bits;
    layout.numColors = used != 0 ? int(used) : bits <= 8 ? 1 << bits : 0;
    layout.infoSize = 40 + 4 * qint64(layout.numColors);
    layout.imageSize = (qint64(bits) * width + 31) / 32 * 4 * std::abs(qint64(height));
    return layout;
}

std::optional<TDibLayout> CheckPluginOutput(HLOCAL bitmapInfo, HLOCAL bits) {
    // LocalSize is 0 for a handle that is null, freed or not ours.
    const size_t infoBytes = LocalSize(bitmapInfo);
    const size_t bitsBytes = LocalSize(bits);
    if (infoBytes < 40 || bitsBytes == 0) return std::nullopt;
    const auto* header = static_cast<const uchar*>(LocalLock(bitmapInfo));
    if (!header) return std::nullopt;
    std::optional<TDibLayout> layout = DibLayoutOf(header);
    LocalUnlock(bitmapInfo);
    if (!layout || quint64(layout->infoSize) > infoBytes || quint64(layout->imageSize) > bitsBytes)
        return std::nullopt;
    return layout;
}

} // namespace nubivu
