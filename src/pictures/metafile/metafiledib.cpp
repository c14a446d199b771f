#include "pictures/metafile/metafiledib.h"

#include "pictures/dib.h"

#include <algorithm>

namespace nubivu {

namespace {

QByteArrayView view(MetaBytes bytes) {
    return QByteArrayView(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

DibOptions metafileOptions(DibColors colors, bool keepAlpha) {
    DibOptions o;
    o.runLength = false;
    o.paletteIndices = colors == DibColors::PaletteIndices;
    o.greyForMissingColours = true;
    o.alpha = keepAlpha ? DibAlpha::MasksOrFourthByte : DibAlpha::None;
    o.partialRows = true;
    o.maxSide = MaxMetafileBitmapSide;
    o.maxPixels = MaxMetafileBitmapPixels;
    return o;
}

// What a player draws: palette pictures in their colours, alpha
// premultiplied as a blend expects it, and the rows a short bits block left
// out blank (white, or transparent where there is alpha).
QImage drawable(Dib dib) {
    QImage image = dib.image.format() == QImage::Format_Indexed8
                       ? dib.image.convertToFormat(QImage::Format_RGB32)
                       : std::move(dib.image);
    const bool alpha = image.hasAlphaChannel();
    const int width = image.width();
    const int height = image.height();
    if (alpha) {
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                const int a = qAlpha(line[x]);
                line[x] = qRgba(qMin(a, qRed(line[x])), qMin(a, qGreen(line[x])),
                                qMin(a, qBlue(line[x])), a);
            }
        }
        image.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
    }
    const QRgb blank = alpha ? 0u : 0xFFFFFFFFu;
    const bool topDown = dib.layout.topDown();
    for (int r = dib.rowsRead; r < height; ++r) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(topDown ? r : height - 1 - r));
        std::fill(line, line + width, blank);
    }
    return image;
}

} // namespace

QImage decodeDib(MetaBytes info, MetaBytes bits, DibColors colors, bool keepAlpha) {
    std::optional<Dib> dib = readDib(view(info), view(bits), metafileOptions(colors, keepAlpha));
    return dib ? drawable(std::move(*dib)) : QImage();
}

bool dibTopDown(MetaBytes info) {
    const std::optional<DibLayout> layout =
        readDibLayout(view(info), metafileOptions(DibColors::Rgb, false));
    return layout && layout->topDown();
}

QImage decodePackedDib(MetaBytes packed, DibColors colors) {
    std::optional<Dib> dib = readDib(view(packed), metafileOptions(colors, false));
    return dib ? drawable(std::move(*dib)) : QImage();
}

} // namespace nubivu
