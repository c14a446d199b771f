#pragma once
// Device-independent bitmaps as they are stored in BMP files and icons: an
// info header, a colour table and the pixel rows. Every size read from the
// data is checked against the data before it is used.
#include <QByteArrayView>
#include <QImage>
#include <QVector>
#include <optional>

namespace nubivu {

struct Dib {
    // Format_Indexed8 (colour table = palette) for 1, 2, 4 and 8 bits,
    // Format_RGB32 otherwise (or Format_ARGB32 where alpha was asked for).
    QImage image;
    QVector<QRgb> palette;
    int bitsPerPixel = 0;
    // Offset just past the pixel rows within the data given to ReadDib.
    qsizetype end = 0;
};

struct DibOptions {
    // Where the pixel rows start within the data; -1: right after the colour table.
    qsizetype bitsOffset = -1;
    // Icons store the colour image and its mask one above the other: the header
    // gives twice the picture's height.
    bool halfHeight = false;
    // 32-bit pictures keep their alpha channel (icons); BMP files ignore it as
    // the platform's bitmaps do.
    bool keepAlpha = false;
};

// Reads the DIB that starts at the beginning of data (its info header).
// Returns nothing when the data is damaged, truncated or of a kind not supported.
std::optional<Dib> ReadDib(QByteArrayView data, const DibOptions& options = {});

// Pictures larger than this (in pixels) are refused before memory is taken for them.
inline constexpr qint64 MaxDibPixels = qint64(1) << 28;

} // namespace nubivu
