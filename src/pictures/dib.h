#pragma once
// Device-independent bitmaps: an info header (core, info, V2 to V5 or one of
// OS/2's), its bit-field masks, a colour table and the pixel rows, as BMP
// files, icons, metafile records and decoder plug-ins hold them. Every size
// read from the data is checked against the bytes given and against
// core/limits.h before memory is taken for the picture.
#include "core/limits.h"

#include <QByteArrayView>
#include <QImage>
#include <QVector>
#include <optional>

namespace nubivu {

// biCompression.
enum : quint32 { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

// Where transparency comes from.
enum class DibAlpha {
    None,              // nowhere: the picture is opaque
    Masks,             // an alpha mask of the header's own (BITMAPV4/V5, BI_ALPHABITFIELDS)
    MasksOrFourthByte, // that, or the fourth byte of plain (BI_RGB) 32-bit pixels
};

// What a caller takes; the defaults are a BMP file's.
struct DibOptions {
    // Only what a decoder plug-in may hand back: a 40-, 108- or 124-byte
    // header, BI_RGB or BI_BITFIELDS at 1, 4, 8, 16, 24 or 32 bits, no more
    // colours than the depth has (256 for true colour), and the whole colour
    // table within the info bytes.
    bool pluginOutput = false;
    // Run-length compressed rows (BI_RLE8, BI_RLE4).
    bool runLength = true;
    // The colour table holds 16-bit indices into the playing device's palette
    // (a metafile's DIB_PAL_COLORS); with no such palette they read as grey.
    bool paletteIndices = false;
    // A colour table that ends early is filled up with a grey ramp, as a
    // metafile player draws it, instead of being refused (indices past a short
    // table that is there are drawn black otherwise).
    bool greyForMissingColours = false;
    // Icons store the colour image and its mask one above the other: the
    // header gives twice the picture's height.
    bool halfHeight = false;
    DibAlpha alpha = DibAlpha::Masks;
    // A bits block shorter than the rows gives the rows that are there (the
    // others stay zero) instead of being refused: metafiles draw it partly.
    bool partialRows = false;
    // Where the rows start within the data given to the one-block readDib;
    // -1: right after the colour table.
    qsizetype bitsOffset = -1;
    qint64 maxSide = MaxPictureSide;
    qint64 maxPixels = MaxPicturePixels;
};

struct DibLayout {
    quint32 headerSize = 0;
    qint32 width = 0;
    qint32 height = 0; // as stored (halved for icons): negative for top-down rows
    int bitsPerPixel = 0;
    quint32 compression = BI_RGB;
    quint32 masks[4] = {0, 0, 0, 0}; // red, green, blue, alpha where the header gives them
    bool hasMasks = false;
    bool hasAlpha = false;  // the header gives alpha a mask of its own
    qint64 tableOffset = 0; // where the colour table starts: after the header and any masks
    int entrySize = 4;
    int numColors = 0;   // colour table entries declared: biClrUsed or the depth's, at most 256
    int tableCount = 0;  // of those, the ones the info bytes hold
    qint64 infoSize = 0; // tableOffset + numColors entries: where rows that follow the table start
    qint64 stride = 0;
    qint64 imageSize = 0; // stride times rows

    int rows() const { return height < 0 ? -height : height; }
    bool topDown() const { return height < 0; }
};

struct Dib {
    // Format_Indexed8 for 1, 2, 4 and 8 bits, its colour table the palette
    // (lengthened with black where pixels index past it); Format_RGB32
    // otherwise, or Format_ARGB32 where there is alpha.
    QImage image;
    QVector<QRgb> palette;
    int bitsPerPixel = 0;
    DibLayout layout;
    // Rows the bits held: fewer than the picture's only with partialRows.
    int rowsRead = 0;
    // Offset just past the pixel rows within the data given to the one-block readDib.
    qsizetype end = 0;
};

// The layout of the DIB whose header starts info. Nothing when it is damaged,
// of a kind the options do not take, or beyond the limits.
std::optional<DibLayout> readDibLayout(QByteArrayView info, const DibOptions& options = {});

// The colour table's entries that the info bytes hold.
QVector<QRgb> dibColourTable(QByteArrayView info, const DibLayout& layout,
                             const DibOptions& options = {});

// The DIB that starts at the beginning of data (its info header), its rows
// at options.bitsOffset or right after its colour table.
std::optional<Dib> readDib(QByteArrayView data, const DibOptions& options = {});

// The DIB whose header and colour table are info and whose rows are bits.
std::optional<Dib> readDib(QByteArrayView info, QByteArrayView bits,
                           const DibOptions& options = {});

} // namespace nubivu
