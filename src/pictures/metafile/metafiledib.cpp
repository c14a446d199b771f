#include "pictures/metafile/metafiledib.h"

#include <QVector>
#include <algorithm>
#include <bit>

namespace nubivu {

namespace {

constexpr quint32 kBiRgb = 0;
constexpr quint32 kBiBitfields = 3;
constexpr quint32 kBiAlphaBitfields = 6;
// Large enough for any real picture, small enough that a lying header cannot
// make us allocate gigabytes.
constexpr qint64 kMaxSide = 32767;
constexpr qint64 kMaxPixels = qint64(1) << 24;

struct DibHeader {
    qint64 headerSize = 0;
    qint64 width = 0;
    qint64 height = 0; // negative: rows stored top-down
    int bitCount = 0;
    quint32 compression = kBiRgb;
    qint64 colorCount = 0;
    int colorEntrySize = 4;
    quint32 masks[4] = {0, 0, 0, 0};
    qint64 masksAfterHeader = 0; // bytes of masks stored between header and colour table
};

bool readHeader(MetaBytes info, DibHeader& h) {
    h.headerSize = info.U32(0);
    if (h.headerSize == 12) {
        if (!info.has(0, 12)) return false;
        h.width = info.U16(4);
        h.height = info.U16(6);
        h.bitCount = info.U16(10);
        h.colorEntrySize = 3;
    } else if (h.headerSize >= 40) {
        if (!info.has(0, h.headerSize)) return false;
        h.width = info.I32(4);
        h.height = info.I32(8);
        h.bitCount = info.U16(14);
        h.compression = info.U32(16);
        h.colorCount = info.U32(32);
        if (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields) {
            const int maskCount = h.compression == kBiAlphaBitfields ? 4 : 3;
            qint64 at = 40;
            if (h.headerSize == 40) h.masksAfterHeader = 4 * maskCount;
            for (int i = 0; i < maskCount; ++i, at += 4) {
                if (!info.has(at, 4)) return false;
                h.masks[i] = info.U32(at);
            }
        } else if (h.headerSize >= 56) {
            h.masks[3] = info.U32(52);
        }
    } else {
        return false;
    }
    if (h.bitCount <= 8) {
        const qint64 full = qint64(1) << h.bitCount;
        h.colorCount = (h.colorCount == 0 || h.colorCount > full) ? full : h.colorCount;
    } else if (h.colorCount > 256) {
        // Optional table in front of true-colour bits; only its size matters.
        h.colorCount = 256;
    }
    return true;
}

QRgb gray(int index, int levels) {
    const int v = levels > 1 ? index * 255 / (levels - 1) : 0;
    return qRgb(v, v, v);
}

int maskShift(quint32 mask) { return mask ? std::countr_zero(mask) : 0; }

int maskValue(quint32 pixel, quint32 mask) {
    if (!mask) return 0;
    const int shift = maskShift(mask);
    const quint32 max = mask >> shift;
    return int((quint64((pixel & mask) >> shift) * 255 + max / 2) / max);
}

} // namespace

QImage decodeDib(MetaBytes info, MetaBytes bits, DibColors colors, bool keepAlpha) {
    DibHeader h;
    if (!readHeader(info, h)) return {};
    if (h.compression != kBiRgb && h.compression != kBiBitfields &&
        h.compression != kBiAlphaBitfields)
        return {};
    const int bpp = h.bitCount;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return {};
    const bool topDown = h.height < 0;
    const qint64 width = h.width;
    const qint64 height = topDown ? -h.height : h.height;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        width * height > kMaxPixels)
        return {};

    QVector<QRgb> table;
    if (bpp <= 8) {
        const qint64 entrySize = colors == DibColors::PaletteIndices ? 2 : h.colorEntrySize;
        const qint64 tableAt = h.headerSize + h.masksAfterHeader;
        table.resize(qsizetype(qint64(1) << bpp));
        for (qint64 i = 0; i < table.size(); ++i) {
            const qint64 at = tableAt + i * entrySize;
            if (i >= h.colorCount || !info.has(at, entrySize)) {
                table[i] = gray(int(i), int(table.size()));
            } else if (colors == DibColors::PaletteIndices) {
                table[i] = gray(info.U16(at) & 0xFF, 256);
            } else {
                table[i] = qRgb(info.U8(at + 2), info.U8(at + 1), info.U8(at));
            }
        }
    }

    quint32 masks[4] = {h.masks[0], h.masks[1], h.masks[2], h.masks[3]};
    if (h.compression == kBiRgb) {
        if (bpp == 16) {
            masks[0] = 0x7C00;
            masks[1] = 0x03E0;
            masks[2] = 0x001F;
            masks[3] = 0;
        } else if (bpp == 32) {
            masks[0] = 0xFF0000;
            masks[1] = 0xFF00;
            masks[2] = 0xFF;
            masks[3] = keepAlpha ? 0xFF000000u : 0;
        }
    } else if (bpp != 16 && bpp != 32) {
        return {};
    }
    if (!keepAlpha) masks[3] = 0;

    const qint64 stride = ((width * bpp + 31) / 32) * 4;
    // Draw the rows that are there; a short bits block leaves the rest blank.
    const qint64 rows = std::min(height, bits.size() / stride);
    if (rows <= 0) return {};
    // Alpha in a blended bitmap is premultiplied, as the blend expects it.
    QImage image(int(width), int(height),
                 masks[3] ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(masks[3] ? 0u : 0xFFFFFFFFu);
    const uchar* data = bits.data();
    for (qint64 r = 0; r < rows; ++r) {
        const uchar* src = data + r * stride;
        const int y = int(topDown ? r : height - 1 - r);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (qint64 x = 0; x < width; ++x) {
            switch (bpp) {
            case 1: dst[x] = table[(src[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: dst[x] = table[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF]; break;
            case 8: dst[x] = table[src[x]]; break;
            case 24: dst[x] = qRgb(src[x * 3 + 2], src[x * 3 + 1], src[x * 3]); break;
            case 16:
            case 32: {
                const quint32 p = bpp == 16 ? quint32(src[x * 2] | (src[x * 2 + 1] << 8))
                                            : quint32(src[x * 4]) | (quint32(src[x * 4 + 1]) << 8) |
                                                  (quint32(src[x * 4 + 2]) << 16) |
                                                  (quint32(src[x * 4 + 3]) << 24);
                const int a = masks[3] ? maskValue(p, masks[3]) : 255;
                dst[x] =
                    qRgba(std::min(a, maskValue(p, masks[0])), std::min(a, maskValue(p, masks[1])),
                          std::min(a, maskValue(p, masks[2])), a);
                break;
            }
            }
        }
    }
    return image;
}

bool dibTopDown(MetaBytes info) {
    DibHeader h;
    return readHeader(info, h) && h.height < 0;
}

QImage decodePackedDib(MetaBytes packed, DibColors colors) {
    DibHeader h;
    if (!readHeader(packed, h)) return {};
    const qint64 entries = h.bitCount <= 8 || h.headerSize != 12 ? h.colorCount : 0;
    const qint64 entrySize = colors == DibColors::PaletteIndices ? 2 : h.colorEntrySize;
    const qint64 bitsAt = h.headerSize + h.masksAfterHeader + entries * entrySize;
    return decodeDib(packed, packed.from(bitsAt), colors);
}

} // namespace nubivu
