#pragma once
// Device-independent bitmaps as they are stored in BMP files and icons: an
// info header, a colour table and the pixel rows. Every size read from the
// data is checked against the data before it is used.
#include <QByteArrayView>
#include <QImage>
#include <QVector>
#include <optional>

namespace nubivu {

// The largest picture any reader here accepts, in pixels (1 GB as 32-bit pixels).
inline constexpr qint64 MaxDibPixels = qint64(1) << 28;
// Run-length data can claim a picture of any size in a few bytes; such
// pictures get a smaller ceiling.
inline constexpr qint64 MaxRlePixels = qint64(1) << 26;

struct Dib {
    // Format_Indexed8 (colour table = palette) for 1, 2, 4 and 8 bits,
    // Format_RGB32 otherwise (or Format_ARGB32 where alpha was asked for).
    QImage image;
    QVector<QRgb> palette;
    int bitsPerPixel = 0;
    // Offset just past the pixel rows within the data given to readDib.
    qsizetype end = 0;
};

struct DibOptions {
    // Where the pixel rows start within the data; -1: right after the colour table.
    qsizetype bitsOffset = -1;
    // Icons store the colour image and its mask one above the other: the header
    // gives twice the picture's height.
    bool halfHeight = false;
    // The fourth byte of plain (BI_RGB) 32-bit pixels is alpha (icons); BMP
    // files ignore it as the platform's bitmaps do. Alpha given by a mask of
    // its own (BITMAPV4/V5 headers, BI_BITFIELDS) is kept either way.
    bool keepAlpha = false;
    // Pictures larger than this (in pixels) are refused before memory is taken for them.
    qint64 maxPixels = MaxDibPixels;
};

// Reads the DIB that starts at the beginning of data (its info header).
// Returns nothing when the data is damaged, truncated or of a kind not supported.
std::optional<Dib> readDib(QByteArrayView data, const DibOptions& options = {});

} // namespace nubivu
