#include "spi/spioutput.h"

#include "susieplugin.h"

namespace nubivu {

static_assert(MaxPictureSide == SPI_MAX_SIDE_ACCEPTED, "the limit plug-in writers are told");

DibOptions pluginDibOptions() {
    DibOptions options;
    options.pluginOutput = true;
    options.runLength = false;
    return options;
}

std::optional<DibLayout> dibLayoutOf(const uchar* info, size_t available) {
    if (!info) return std::nullopt;
    return readDibLayout(QByteArrayView(info, qsizetype(available)), pluginDibOptions());
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
