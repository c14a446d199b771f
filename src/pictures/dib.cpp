#include "pictures/dib.h"

#include "pictures/picturememory.h"

#include <bit>
#include <cstring>

namespace nubivu {

namespace {

enum : quint32 { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

quint16 u16(const uchar* p) { return quint16(p[0] | p[1] << 8); }
quint32 u32(const uchar* p) {
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}

// One colour channel of a bit-field pixel, widened or narrowed to 8 bits.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    int bits = 0;

    bool set(quint32 m) {
        mask = m;
        if (!m) return true;
        shift = std::countr_zero(m);
        bits = std::popcount(m);
        const quint32 run = m >> shift;
        return (run & (run + 1)) == 0; // one contiguous run of bits
    }
    uint value(quint32 pixel, uint absent) const {
        if (!mask) return absent;
        const quint32 v = (pixel & mask) >> shift;
        if (bits >= 8) return v >> (bits - 8);
        const quint32 max = (quint32(1) << bits) - 1;
        return (v * 255 + max / 2) / max;
    }
};

struct Header {
    qint64 width = 0;
    qint64 height = 0;
    bool topDown = false;
    int bpp = 0;
    quint32 compression = BI_RGB;
    quint32 colorsUsed = 0;
    quint32 masks[4] = {0, 0, 0, 0};
    bool hasMasks = false;
    qsizetype tableStart = 0;
    int entrySize = 4;
};

bool readHeader(const uchar* p, qsizetype len, Header& h) {
    if (len < 12) return false;
    const quint32 size = u32(p);
    if (size == 12) {
        // OS/2 1.x core header: 16-bit sizes, three-byte colour table entries.
        h.width = u16(p + 4);
        h.height = u16(p + 6);
        if (u16(p + 8) != 1) return false;
        h.bpp = u16(p + 10);
        h.entrySize = 3;
        h.tableStart = 12;
        return true;
    }
    const bool os2v2 = size == 16 || size == 64;
    if (!(os2v2 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124))
        return false;
    if (len < qsizetype(size)) return false;
    h.width = qint32(u32(p + 4));
    const qint32 height = qint32(u32(p + 8));
    if (u16(p + 12) != 1) return false;
    h.bpp = u16(p + 14);
    h.tableStart = size;
    if (height == INT32_MIN) return false;
    h.topDown = height < 0;
    h.height = height < 0 ? -qint64(height) : qint64(height);
    if (size == 16) return true;
    h.compression = u32(p + 16);
    // OS/2 2.x numbers its own compressions 3 (Huffman) and 4 (RLE24): none of them here.
    if (os2v2 && h.compression > BI_RLE4) return false;
    h.colorsUsed = u32(p + 32);
    if (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) {
        // The 40-byte header is followed by three masks (four with the alpha
        // variant); larger headers hold them, the alpha mask from 56 bytes on.
        const int count = h.compression == BI_ALPHABITFIELDS || size >= 56 ? 4 : 3;
        const qsizetype at = 40;
        if (size == 40) {
            // The masks follow the 40-byte header, ahead of the colour table.
            if (len < 40 + 4 * count) return false;
            h.tableStart = 40 + 4 * count;
        } else if (size < qsizetype(40 + 4 * count)) {
            return false;
        }
        for (int i = 0; i < count; ++i) h.masks[i] = u32(p + at + 4 * i);
        h.hasMasks = true;
    }
    return true;
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
bool readRle(const uchar* p, qsizetype len, const Header& h, QImage& image) {
    const bool four = h.compression == BI_RLE4;
    const qint64 width = h.width;
    const qint64 height = h.height;
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

} // namespace

std::optional<Dib> readDib(QByteArrayView data, const DibOptions& options) {
    const auto* p = reinterpret_cast<const uchar*>(data.data());
    const qsizetype len = data.size();
    Header h;
    if (!readHeader(p, len, h)) return std::nullopt;

    const int bpp = h.bpp;
    const bool indexed = bpp == 1 || bpp == 2 || bpp == 4 || bpp == 8;
    if (!indexed && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;
    switch (h.compression) {
    case BI_RGB: break;
    case BI_RLE8:
        if (bpp != 8 || h.topDown) return std::nullopt;
        break;
    case BI_RLE4:
        if (bpp != 4 || h.topDown) return std::nullopt;
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (bpp != 16 && bpp != 32) return std::nullopt;
        break;
    default: return std::nullopt;
    }
    if (options.halfHeight) {
        if (h.height % 2) return std::nullopt;
        h.height /= 2;
    }
    if (h.width <= 0 || h.height <= 0 || h.width > 0xFFFFFF || h.height > 0xFFFFFF ||
        h.width * h.height > options.maxPixels)
        return std::nullopt;
    const bool rle = h.compression == BI_RLE8 || h.compression == BI_RLE4;
    if (rle && h.width * h.height > MaxRlePixels) return std::nullopt;

    // Colour table. Entries beyond what the depth can index are skipped; a
    // table that claims more entries than there is room for before the pixels
    // is as long as that room.
    qint64 tableCount = 0;
    if (indexed) {
        const qint64 full = qint64(1) << bpp;
        tableCount = h.colorsUsed == 0 ? full : qint64(h.colorsUsed);
        tableCount = qMin(tableCount, full);
        // (Core headers have no count: their table always fills that room.)
        if (options.bitsOffset > h.tableStart)
            tableCount = qMin(tableCount, qint64(options.bitsOffset - h.tableStart) / h.entrySize);
        if (tableCount == 0) return std::nullopt;
    } else if (options.bitsOffset < 0 && h.tableStart + qint64(h.colorsUsed) * h.entrySize > len) {
        return std::nullopt;
    }
    const qint64 tableEnd = h.tableStart + tableCount * h.entrySize;
    if (tableEnd > len) return std::nullopt;
    QVector<QRgb> palette;
    palette.reserve(qsizetype(tableCount));
    for (qint64 k = 0; k < tableCount; ++k) {
        const uchar* e = p + h.tableStart + k * h.entrySize;
        palette.push_back(qRgb(e[2], e[1], e[0]));
    }

    const qint64 declaredEnd =
        indexed ? tableEnd : h.tableStart + qint64(h.colorsUsed) * h.entrySize;
    const qsizetype bits = options.bitsOffset < 0 ? qsizetype(declaredEnd) : options.bitsOffset;
    if (bits < h.tableStart || bits > len) return std::nullopt;
    const uchar* src = p + bits;
    const qsizetype avail = len - bits;

    Dib dib;
    dib.bitsPerPixel = bpp;
    dib.palette = palette;
    const int width = int(h.width);
    const int height = int(h.height);

    if (rle) {
        dib.image = PictureMemory::newImage(QSize(width, height), QImage::Format_Indexed8);
        if (dib.image.isNull()) return std::nullopt;
        dib.image.fill(0);
        if (!readRle(src, avail, h, dib.image)) return std::nullopt;
        setColorTable(dib.image, palette);
        dib.end = len;
        return dib;
    }

    const qint64 stride = ((h.width * bpp + 31) / 32) * 4;
    if (stride * h.height > avail) return std::nullopt;
    dib.end = bits + qsizetype(stride * h.height);
    auto row = [&](int y) { return src + stride * (h.topDown ? y : height - 1 - y); };

    if (indexed) {
        dib.image = PictureMemory::newImage(QSize(width, height), QImage::Format_Indexed8);
        if (dib.image.isNull()) return std::nullopt;
        const uint mask = (1u << bpp) - 1;
        for (int y = 0; y < height; ++y) {
            const uchar* in = row(y);
            uchar* out = dib.image.scanLine(y);
            if (bpp == 8) {
                std::memcpy(out, in, size_t(width));
                continue;
            }
            for (int x = 0; x < width; ++x) {
                const qint64 bit = qint64(x) * bpp;
                out[x] = uchar((in[bit >> 3] >> (8 - bpp - (bit & 7))) & mask);
            }
        }
        setColorTable(dib.image, palette);
        return dib;
    }

    Channel r, g, b, a;
    if (h.hasMasks) {
        if (!r.set(h.masks[0]) || !g.set(h.masks[1]) || !b.set(h.masks[2]) || !a.set(h.masks[3]))
            return std::nullopt;
        // Every colour needs bits of its own within the pixel.
        const quint32 all = h.masks[0] | h.masks[1] | h.masks[2] | h.masks[3];
        if (!r.mask || !g.mask || !b.mask || (bpp == 16 && all > 0xFFFF) ||
            (h.masks[0] & h.masks[1]) || (h.masks[1] & h.masks[2]) || (h.masks[0] & h.masks[2]))
            return std::nullopt;
    } else if (bpp == 16) {
        r.set(0x7C00);
        g.set(0x03E0);
        b.set(0x001F);
    } else {
        r.set(0xFF0000);
        g.set(0x00FF00);
        b.set(0x0000FF);
        a.set(0xFF000000);
    }
    // Alpha where the header gives it a mask of its own, or where the caller
    // reads the fourth byte as alpha (icons); a plain 32-bit picture is opaque
    // whatever its fourth byte holds.
    const bool alpha = a.mask && (options.keepAlpha || h.hasMasks);
    dib.image = PictureMemory::newImage(QSize(width, height),
                                        alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (dib.image.isNull()) return std::nullopt;
    const bool plain32 = bpp == 32 && r.mask == 0xFF0000 && g.mask == 0xFF00 && b.mask == 0xFF;
    for (int y = 0; y < height; ++y) {
        const uchar* in = row(y);
        auto* out = reinterpret_cast<QRgb*>(dib.image.scanLine(y));
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

} // namespace nubivu
