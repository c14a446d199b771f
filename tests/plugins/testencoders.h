#pragma once
// Pictures made by the tests with the same libraries the plug-ins decode
// with, each with the picture it must decode to.
#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>

namespace nubivu::test {

struct Encoded {
    QByteArray data;
    QImage expected; // ARGB32, straight alpha
};

struct PngSpec {
    int colorType; // PNG_COLOR_TYPE_*
    int depth;
    bool interlace = false;
    bool transparent = false; // a tRNS chunk
};
Encoded encodePng(const PngSpec& spec);

struct GifSpec {
    int colors = 16;
    bool transparent = false;
    bool interlace = false;
    QRect frame = QRect(0, 0, 19, 11); // the first frame on
    QSize screen = QSize(19, 11);      // the logical screen
    bool secondFrame = false;          // a different second frame follows
};
Encoded encodeGif(const GifSpec& spec);

struct TiffSpec {
    int photometric; // PHOTOMETRIC_*
    int bits = 8;
    int samples = 1;
    int compression = 1; // COMPRESSION_NONE
    bool alpha = false;  // the last sample is unassociated alpha
    bool tiled = false;
    bool separate = false; // one plane per sample
    bool secondPage = false;
    int orientation = 1; // ORIENTATION_TOPLEFT
};
// libtiff writes files, so the picture passes through one in `dir`.
Encoded encodeTiff(const TiffSpec& spec, const QString& dir);

struct WebpSpec {
    bool lossless = true;
    bool alpha = false;
    bool animated = false; // two frames, the first smaller than the canvas
};
Encoded encodeWebp(const WebpSpec& spec);

} // namespace nubivu::test
