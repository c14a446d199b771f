#include "pictures/dib.h"

#include "pictures/picturememory.h"

#include <bit>
#include <cstring>

namespace nubivu {

namespace {

quint16 u16(const uchar* p) { return quint16(p[0] | p[1] << 8); }
quint32 u32(const uchar* p) {
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

const uchar* bytes(QByteArrayView v) { return reinterpret_cast<const uchar*>(v.data()); }

// One colour channel of a bit-field pixel, widened or narrowed to 8 bits.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(quint32 m) : mask(m) {
        if (!m) return;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
    }
    uint value(quint32 pixel, uint absent) const {
        if (!mask) return absent;
        const quint32 v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        const quint32 max = (quint32(1) << bits) - 1;
        return (v * 255 + max / 2) / max;
    }
};

// Red, green and blue each need one run of bits of their own within the
// pixel; alpha may be absent, and where it is there it needs one too.
bool masksUsable(const quint32 (&masks)[4], int bitsPerPixel) {
    const quint64 limit = bitsPerPixel == 16 ? 0xFFFF : 0xFFFFFFFF;
    quint32 seen = 0;
    for (int i = 0; i < 4; ++i) {
        const quint32 m = masks[i];
        if (!m) {
            if (i < 3) return false;
            continue;
        }
        const quint32 run = m >> std::countr_zero(m);
        if ((run & (run + 1)) != 0 || m > limit || (seen & m)) return false;
        seen |= m;
    }
    return true;
}

bool headerTaken(quint32 size, const DibOptions& o) {
    if (o.pluginOutput) return size == 40 || size == 108 || size == 124;
    // 16 and 64: OS/2 2.x, whole or cut short after the depth.
    return size == 12 || size == 16 || size == 40 || size == 52 || size == 56 || size == 64 ||
           size == 108 || size == 124;
}

// The layout of the header at p. The colour table may take the bytes up to
// tableRoomEnd where that lies past its start (a BMP file's pixel offset),
// and is refused where len does not hold it.
std::optional<DibLayout> parse(const uchar* p, qsizetype len, qsizetype tableRoomEnd,
                               const DibOptions& o) {
    if (len < 12) return std::nullopt;
    const quint32 size = u32(p);
    if (!headerTaken(size, o) || len < qsizetype(size)) return std::nullopt;
    DibLayout l;
    l.headerSize = size;
    l.tableOffset = size;
    qint64 height = 0;
    int planes = 0;
    quint32 colorsUsed = 0;
    if (size == 12) {
        // OS/2 1.x core header: 16-bit sizes, three-byte colour table entries.
        l.width = u16(p + 4);
        height = u16(p + 6);
        planes = u16(p + 8);
        l.bitsPerPixel = u16(p + 10);
        l.entrySize = 3;
    } else {
        l.width = qint32(u32(p + 4));
        const qint32 stored = qint32(u32(p + 8));
        if (stored == INT32_MIN) return std::nullopt;
        height = stored;
        planes = u16(p + 12);
        l.bitsPerPixel = u16(p + 14);
        if (size > 16) {
            l.compression = u32(p + 16);
            colorsUsed = u32(p + 32);
        }
    }
    if (planes != 1) return std::nullopt;
    if (o.paletteIndices) l.entrySize = 2;

    const int bpp = l.bitsPerPixel;
    const bool indexed = bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8;
    if (!indexed && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;
    if (o.pluginOutput && bpp == 2) return std::nullopt;
    // OS/2 2.x numbers its own compressions 3 (Huffman) and 4 (RLE24): none of them here.
    if (size == 64 && l.compression > BI_RLE4) return std::nullopt;
    switch (l.compression) {
    case BI_RGB: break;
    case BI_RLE8:
    case BI_RLE4:
        if (!o.runLength || o.pluginOutput || bpp != (l.compression == BI_RLE8 ? 8 : 4) ||
            height < 0)
            return std::nullopt;
        break;
    case BI_ALPHABITFIELDS:
        if (o.pluginOutput) return std::nullopt;
        [[fallthrough]];
    case BI_BITFIELDS: {
        if (bpp != 16 && bpp != 32) return std::nullopt;
        // The 40-byte header is followed by three masks (four with the alpha
        // variant); larger headers hold them, the alpha mask from 56 bytes on.
        const int count = l.compression == BI_ALPHABITFIELDS || size >= 56 ? 4 : 3;
        if (size == 40) {
            if (len < 40 + 4 * count) return std::nullopt;
            l.tableOffset = 40 + 4 * count;
        } else if (size < quint32(40 + 4 * count)) {
            return std::nullopt;
        }
        for (int i = 0; i < count; ++i) l.masks[i] = u32(p + 40 + 4 * i);
        if (!masksUsable(l.masks, bpp)) return std::nullopt;
        l.hasMasks = true;
        l.hasAlpha = l.masks[3] != 0;
        break;
    }
    default: return std::nullopt;
    }

    if (o.halfHeight) {
        if (height % 2) return std::nullopt;
        height /= 2;
    }
    const qint64 rows = height < 0 ? -height : height;
    const qint64 width = l.width;
    if (width <= 0 || rows <= 0 || width > o.maxSide || rows > o.maxSide ||
        width * rows > o.maxPixels)
        return std::nullopt;
    const bool rle = l.compression == BI_RLE8 || l.compression == BI_RLE4;
    if (rle && width * rows > MaxRunLengthPixels) return std::nullopt;
    l.height = qint32(height);
    l.stride = ((width * bpp + 31) / 32) * 4;
    l.imageSize = l.stride * rows;
    if (l.imageSize > MaxPictureBytes) return std::nullopt;

    // Colour table. Entries beyond what the depth can index are skipped; a
    // table that claims more entries than there is room for before the pixels
    // is as long as that room. True colour may carry a table too: only where
    // the rows follow it does its size matter.
    const qint64 most = indexed ? qint64(1) << bpp : 256;
    if (o.pluginOutput && colorsUsed > most) return std::nullopt;
    const qint64 declared = colorsUsed ? qMin<qint64>(colorsUsed, most) : indexed ? most : 0;
    l.numColors = int(declared);
    l.infoSize = l.tableOffset + declared * l.entrySize;
    qint64 count = declared;
    // (Core headers have no count: their table always fills that room.)
    if (tableRoomEnd > l.tableOffset)
        count = qMin(count, qint64(tableRoomEnd - l.tableOffset) / l.entrySize);
    const qint64 held = (len - l.tableOffset) / l.entrySize;
    if (count > held) {
        if (!o.greyForMissingColours && (indexed || tableRoomEnd < 0)) return std::nullopt;
        count = held;
    }
    if (indexed && count == 0 && !o.greyForMissingColours) return std::nullopt;
    l.tableCount = int(count);
    return l;
}

QVector<QRgb> colourTable(const uchar* info, const DibLayout& l, const DibOptions& o) {
    const bool indexed = l.bitsPerPixel <= 8;
    QVector<QRgb> table;
    table.reserve(l.tableCount);
    for (int k = 0; k < l.tableCount; ++k) {
        const uchar* e = info + l.tableOffset + qint64(k) * l.entrySize;
        if (l.entrySize == 2) {
            const int v = e[0]; // an index into a palette we have not: its low byte as grey
            table.push_back(qRgb(v, v, v));
        } else {
            table.push_back(qRgb(e[2], e[1], e[0]));
        }
    }
    if (indexed && o.greyForMissingColours) {
        const int levels = 1 << l.bitsPerPixel;
        while (table.size() < levels) {
            const int v = int(table.size()) * 255 / (levels - 1);
            table.push_back(qRgb(v, v, v));
        }
    }
    return table;
}

// Indices past the end of a short colour table are drawn black, as the
// platform draws them: the table the pixels are drawn with is lengthened,
// the picture's own palette stays as the file has it.
void setColorTable(QImage& image, const QVector<QRgb>& palette) {
    int highest = 0;
    if (palette.size() < 256) {
        for (int y = 0; y < image.height(); ++y) {
            const uchar* row = image.constScanLine(y);
            for (int x = 0; x < image.width(); ++x) highest = qMax(highest, int(row[x]));
        }
    }
    QVector<QRgb> table = palette;
    while (table.size() <= highest) table.push_back(qRgb(0, 0, 0));
    image.setColorTable(table);
}

// Runs that cross the end of a row are clipped, as the platform clips them;
// data that ends right after an end-of-line is a complete picture whose
// end-of-bitmap marker was left out.
bool readRle(const uchar* p, qsizetype len, const DibLayout& l, QImage& image) {
    const bool four = l.compression == BI_RLE4;
    const qint64 width = l.width;
    const qint64 height = l.rows();
    qint64 x = 0;
    qint64 y = 0; // counted from the bottom row
    qsizetype i = 0;
    bool atLineStart = false;
    auto put = [&](uint index) {
        if (x < width) image.scanLine(int(height - 1 - y))[x] = uchar(index);
        ++x;
    };
    while (true) {
        if (i + 2 > len) return atLineStart && i == len;
        const uint count = p[i];
        const uint code = p[i + 1];
        i += 2;
        atLineStart = false;
        if (count > 0) {
            if (y >= height) return false;
            for (uint k = 0; k < count && x < width; ++k)
                put(four ? ((k & 1) ? code & 0x0F : code >> 4) : code);
        } else if (code == 0) {
            x = 0;
            ++y;
            atLineStart = true;
        } else if (code == 1) {
            return true;
        } else if (code == 2) {
            if (i + 2 > len) return false;
            x += p[i];
            y += p[i + 1];
            i += 2;
            if (x > width || y > height) return false;
        } else {
            const qsizetype bytes = four ? (code + 1) / 2 : code;
            const qsizetype padded = (bytes + 1) & ~qsizetype(1);
            if (i + padded > len) return false;
            if (y >= height) return false;
            for (uint k = 0; k < code && x < width; ++k) {
                const uint b = p[i + (four ? k / 2 : k)];
                put(four ? ((k & 1) ? b & 0x0F : b >> 4) : b);
            }
            i += padded;
        }
    }
}

// The pixels of a DIB whose layout is checked: the rows from bits on,
// avail bytes of them.
std::optional<Dib> decode(const DibLayout& l, const uchar* info, const uchar* bits, qsizetype avail,
                          const DibOptions& o) {
    const int bpp = l.bitsPerPixel;
    const bool indexed = bpp <= 8;
    const int width = l.width;
    const int height = l.rows();
    Dib dib;
    dib.bitsPerPixel = bpp;
    dib.layout = l;
    if (indexed) dib.palette = colourTable(info, l, o);

    if (l.compression == BI_RLE8 || l.compression == BI_RLE4) {
        dib.image = PictureMemory::newImage(QSize(width, height), QImage::Format_Indexed8);
        if (dib.image.isNull()) return std::nullopt;
        dib.image.fill(0);
        if (!readRle(bits, avail, l, dib.image)) return std::nullopt;
        setColorTable(dib.image, dib.palette);
        dib.rowsRead = height;
        return dib;
    }

    qint64 rows = height;
    if (l.imageSize > avail) {
        if (!o.partialRows) return std::nullopt;
        rows = avail / l.stride;
        if (rows == 0) return std::nullopt;
    }
    dib.rowsRead = int(rows);
    const qint64 stride = l.stride;
    const bool topDown = l.topDown();
    // Row y of the picture, counted from the top, is the r-th stored.
    auto stored = [&](int y) { return topDown ? y : height - 1 - y; };
    auto present = [&](int y) { return stored(y) < rows; };
    auto row = [&](int y) { return bits + stride * stored(y); };

    if (indexed) {
        dib.image = PictureMemory::newImage(QSize(width, height), QImage::Format_Indexed8);
        if (dib.image.isNull()) return std::nullopt;
        const uint mask = (1u << bpp) - 1;
        for (int y = 0; y < height; ++y) {
            uchar* out = dib.image.scanLine(y);
            if (!present(y)) {
                std::memset(out, 0, size_t(width));
                continue;
            }
            const uchar* in = row(y);
            if (bpp == 8) {
                std::memcpy(out, in, size_t(width));
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const qint64 bit = qint64(x) * bpp;
                out[x] = uchar((in[bit >> 3] >> (8 - bpp - (bit & 7))) & mask);
            }
        }
        setColorTable(dib.image, dib.palette);
        return dib;
    }

    quint32 masks[4] = {l.masks[0], l.masks[1], l.masks[2], l.masks[3]};
    if (!l.hasMasks) {
        const quint32 plain16[4] = {0x7C00, 0x03E0, 0x001F, 0};
        const quint32 plain32[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFF000000};
        std::memcpy(masks, bpp == 16 ? plain16 : plain32, sizeof masks);
    }
    const Channel r(masks[0]), g(masks[1]), b(masks[2]), a(masks[3]);
    // Alpha where the header gives it a mask of its own, or where the caller
    // reads the fourth byte as alpha; a plain 32-bit picture is opaque
    // whatever its fourth byte holds.
    const bool alpha = a.mask && ((o.alpha == DibAlpha::Masks && l.hasMasks) ||
                                  o.alpha == DibAlpha::MasksOrFourthByte);
    dib.image = PictureMemory::newImage(QSize(width, height),
                                        alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (dib.image.isNull()) return std::nullopt;
    const bool plain32 = bpp == 32 && r.mask == 0xFF0000 && g.mask == 0xFF00 && b.mask == 0xFF;
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(dib.image.scanLine(y));
        if (!present(y)) {
            std::memset(out, 0, size_t(width) * sizeof(QRgb));
            continue;
        }
        const uchar* in = row(y);
        if (bpp == 24) {
            for (int x = 0; x < width; ++x, in += 3) out[x] = qRgb(in[2], in[1], in[0]);
        } else if (plain32 && !alpha) {
            for (int x = 0; x < width; ++x, in += 4) out[x] = qRgb(in[2], in[1], in[0]);
        } else if (bpp == 32) {
            for (int x = 0; x < width; ++x, in += 4) {
                const quint32 v = u32(in);
                out[x] = qRgba(int(r.value(v, 0)), int(g.value(v, 0)), int(b.value(v, 0)),
                               alpha ? int(a.value(v, 255)) : 255);
            }
        } else {
            for (int x = 0; x < width; ++x, in += 2) {
                const quint32 v = u16(in);
                out[x] = qRgba(int(r.value(v, 0)), int(g.value(v, 0)), int(b.value(v, 0)),
                               alpha ? int(a.value(v, 255)) : 255);
            }
        }
    }
    return dib;
}

} // namespace

std::optional<DibLayout> readDibLayout(QByteArrayView info, const DibOptions& options) {
    return parse(bytes(info), info.size(), options.bitsOffset, options);
}

QVector<QRgb> dibColourTable(QByteArrayView info, const DibLayout& layout,
                             const DibOptions& options) {
    if (layout.tableOffset + qint64(layout.tableCount) * layout.entrySize > info.size()) return {};
    return colourTable(bytes(info), layout, options);
}

std::optional<Dib> readDib(QByteArrayView data, const DibOptions& options) {
    const uchar* p = bytes(data);
    const qsizetype len = data.size();
    const std::optional<DibLayout> layout = parse(p, len, options.bitsOffset, options);
    if (!layout) return std::nullopt;
    const qint64 bits = options.bitsOffset < 0 ? layout->infoSize : options.bitsOffset;
    if (bits < layout->tableOffset || bits > len) return std::nullopt;
    std::optional<Dib> dib = decode(*layout, p, p + bits, len - qsizetype(bits), options);
    if (dib) {
        const bool rle = layout->compression == BI_RLE8 || layout->compression == BI_RLE4;
        dib->end = rle ? len : qsizetype(bits + layout->stride * dib->rowsRead);
    }
    return dib;
}

std::optional<Dib> readDib(QByteArrayView info, QByteArrayView bits, const DibOptions& options) {
    DibOptions inInfo = options;
    inInfo.bitsOffset = -1; // the table may take all of info
    const std::optional<DibLayout> layout = readDibLayout(info, inInfo);
    if (!layout) return std::nullopt;
    std::optional<Dib> dib = decode(*layout, bytes(info), bytes(bits), bits.size(), options);
    if (dib) dib->end = qsizetype(layout->stride * dib->rowsRead);
    return dib;
}

} // namespace nubivu
