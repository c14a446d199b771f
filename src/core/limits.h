#pragma once
// How much outside input (picture files, metafile records, decoder plug-ins
// and their helper processes) may make the program allocate. Each limit lives
// here once; a reader refuses input beyond it before it takes any memory.
// Plain C++17 without Qt: the plug-in helpers include it too.
#include <cstdint>

namespace nubivu {

// Largest width or height of a picture: no photo, map or scan comes near it.
// Plug-in writers are told the same number (SPI_MAX_SIDE_ACCEPTED).
inline constexpr std::int64_t MaxPictureSide = std::int64_t(1) << 20;
// Most pixels of a decoded picture: 268 megapixels, far beyond any camera's.
inline constexpr std::int64_t MaxPicturePixels = std::int64_t(1) << 28;
// Most bytes a decoded picture's pixels take: the most pixels at 32 bits each.
inline constexpr std::int64_t MaxPictureBytes = MaxPicturePixels * 4;
// Pixel rows a plug-in may hand back: the largest picture's; more could never be shown.
inline constexpr std::int64_t MaxPluginOutputBytes = MaxPictureBytes;
// Header, masks and colour table a plug-in may hand back (the largest real one is 1,180 bytes).
inline constexpr std::int64_t MaxPluginInfoBytes = std::int64_t(64) << 10;
// Text a plug-in may attach to a picture's description.
inline constexpr std::int64_t MaxPluginTextBytes = std::int64_t(64) << 10;
// Largest frame between the program and a plug-in helper: a whole picture
// file handed over as memory is the biggest thing that travels.
inline constexpr std::int64_t MaxHelperFrameBytes = std::int64_t(256) << 20;
// The address space of a native plug-in helper: the largest frame, the
// largest picture three times over (the plug-in's pixels, their copy in
// shared memory, a decoder's working copy) and room for the libraries. A
// claim beyond it fails inside the helper, which the program survives.
inline constexpr std::int64_t MaxHelperAddressSpace =
    MaxHelperFrameBytes + 3 * MaxPictureBytes + (std::int64_t(512) << 20);

// Stricter ceilings where a few bytes can claim a whole picture.
// Run-length data can describe a picture of any size in two bytes.
inline constexpr std::int64_t MaxRunLengthPixels = std::int64_t(1) << 26;
// A metafile's bitmap is drawn even when its bits are short, so its header
// alone claims the memory, once for every record that holds one.
inline constexpr std::int64_t MaxMetafileBitmapSide = 32767;
inline constexpr std::int64_t MaxMetafileBitmapPixels = std::int64_t(1) << 24;
// Icons are small; a larger one is a damaged or hostile file.
inline constexpr std::int64_t MaxIconSide = 4096;

// Bytes read from the start of a photo for the time it records: EXIF sits in
// a JPEG's APP1 segment (at most 64 KiB), after at most a JFIF segment.
inline constexpr std::int64_t MaxExifHeadBytes = std::int64_t(128) << 10;

} // namespace nubivu
