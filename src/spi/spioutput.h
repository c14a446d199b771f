#pragma once
// What a plug-in hands back is outside input: its BITMAPINFO header is
// checked, and the sizes it implies are checked against the handles' real
// sizes, before a byte beyond the header is read.
#include <QtGlobal>
#include <cstddef>
#include <optional>

#include "localmem.h"

namespace nubivu {

// The derived values of a decoded device-independent bitmap.
struct DibLayout {
    qint32 width = 0;
    qint32 height = 0; // as stored: negative for top-down rows
    int bitsPerPixel = 0;
    int numColors = 0;
    quint32 headerSize = 0;  // 40, 108 or 124
    quint32 compression = 0; // BI_RGB or BI_BITFIELDS
    qint64 tableOffset = 0;  // where the colour table starts: after the header and any masks
    qint64 infoSize = 0;     // tableOffset + 4 * numColors
    qint64 imageSize = 0;    // rows padded to 32 bits, times |height|
    // The header gives alpha a mask of its own; only then is there transparency.
    bool hasAlpha = false;
};

// Largest width or height accepted from a plug-in.
inline constexpr qint32 kMaxDibSide = 1 << 20;

// The layout a BITMAPINFO block of `available` bytes describes (a 40-, 108-
// or 124-byte header, BI_RGB or BI_BITFIELDS), or nothing when it is not one
// we can take (size, depth, compression, masks, colour count, extent).
std::optional<DibLayout> dibLayoutOf(const uchar* info, size_t available);

// The layout of a plug-in's output when both handles are ours, the info
// handle holds the header, its masks and its colour table, and the pixel
// handle holds every row the header implies.
std::optional<DibLayout> checkPluginOutput(HLOCAL bitmapInfo, HLOCAL bits);

} // namespace nubivu
