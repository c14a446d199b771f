#pragma once
// Device-independent bitmaps embedded in metafile records.
#include "pictures/metafile/metabytes.h"

#include <QImage>

namespace nubivu {

// How the colour table of a DIB is to be read: as RGB quads, or as 16-bit
// indices into the playing device's palette (which a metafile player has none of).
enum class DibColors { Rgb, PaletteIndices };

// Decodes a BITMAPINFO (header and colour table, read as BMP files' are) and
// the pixel bits that go with it. Uncompressed rows and bit fields are read;
// run-length data, anything damaged, or no whole row gives a null image.
// With keepAlpha the fourth byte of 32-bit pixels is kept as alpha.
QImage decodeDib(MetaBytes info, MetaBytes bits, DibColors colors, bool keepAlpha = false);

// Whether the header describes rows stored top-down (a negative height).
bool dibTopDown(MetaBytes info);

// The same for a packed DIB: the BITMAPINFO immediately followed by the bits.
QImage decodePackedDib(MetaBytes packed, DibColors colors);

} // namespace nubivu
