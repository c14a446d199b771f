#pragma once
// What a plug-in hands back is outside input: its BITMAPINFO header is
// checked, and the sizes it implies are checked against the handles' real
// sizes, before a byte beyond the header is read.
#include <QtGlobal>
#include <optional>

#include "localmem.h"

namespace nubivu {

// The derived values of a decoded device-independent bitmap.
struct TDibLayout {
    qint32 width = 0;
    qint32 height = 0; // as stored: negative for top-down rows
    int bitsPerPixel = 0;
    int numColors = 0;
    qint64 infoSize = 0;  // 40 + 4 * numColors
    qint64 imageSize = 0; // rows padded to 32 bits, times |height|
};

// Largest width or height accepted from a plug-in.
inline constexpr qint32 kMaxDibSide = 1 << 20;

// The layout a 40-byte BITMAPINFOHEADER describes, or nothing when the header
// is not one we can take (size, depth, compression, colour count, extent).
std::optional<TDibLayout> DibLayoutOf(const uchar* header);

// The layout of a plug-in's output when both handles are ours, the info
// handle holds the header and its colour table, and the pixel handle holds
// every row the header implies.
std::optional<TDibLayout> CheckPluginOutput(HLOCAL bitmapInfo, HLOCAL bits);

} // namespace nubivu
