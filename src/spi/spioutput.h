#pragma once
// What a plug-in hands back is outside input: its BITMAPINFO header is
// checked, and the sizes it implies are checked against the handles' real
// sizes, before a byte beyond the header is read.
#include "pictures/dib.h"

#include <QtGlobal>
#include <cstddef>
#include <optional>

#include "localmem.h"

namespace nubivu {

// How the bitmap reader takes a plug-in's output: the headers and
// compressions plug-in writers are told of, alpha only from a mask of its own.
DibOptions pluginDibOptions();

// The layout a BITMAPINFO block of `available` bytes describes, or nothing
// when it is not one we can take (size, depth, compression, masks, colour
// count, extent).
std::optional<DibLayout> dibLayoutOf(const uchar* info, size_t available);

// The layout of a plug-in's output when both handles are ours, the info
// handle holds the header, its masks and its colour table, and the pixel
// handle holds every row the header implies.
std::optional<DibLayout> checkPluginOutput(HLOCAL bitmapInfo, HLOCAL bits);

} // namespace nubivu
