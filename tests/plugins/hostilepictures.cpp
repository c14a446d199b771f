#include "hostilepictures.h"

#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <jpeglib.h>
#include <vector>
#include <webp/encode.h>
#include <zlib.h>

namespace nubivu::test {

namespace {

template <typename T> QByteArray littleEndian(T v) {
    QByteArray out(sizeof v, '\0');
    qToLittleEndian(v, out.data());
    return out;
}
template <typename T> QByteArray bigEndian(T v) {
    QByteArray out(sizeof v, '\0');
    qToBigEndian(v, out.data());
    return out;
}
QByteArray le16(quint32 v) { return littleEndian(quint16(v)); }
QByteArray le32(quint32 v) { return littleEndian(v); }
QByteArray be16(quint32 v) { return bigEndian(quint16(v)); }
QByteArray be32(quint32 v) { return bigEndian(v); }
QByteArray le24(quint32 v) { return le32(v).left(3); }
QByteArray bytes(std::initializer_list<int> values) {
    QByteArray out;
    for (int v : values) out.append(char(v));
    return out;
}
quint32 crc(const QByteArray& data) {
    return quint32(crc32(0, reinterpret_cast<const Bytef*>(data.constData()), uInt(data.size())));
}
QByteArray zlibOf(const QByteArray& data) {
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()), 9);
    out.truncate(qsizetype(size));
    return out;
}
// Every bit of every byte in reverse order, as libtiff stores data of the
// other fill order.
QByteArray bitsReversed(QByteArray data) {
    for (char& c : data) {
        uchar v = uchar(c), r = 0;
        for (int i = 0; i < 8; ++i) r = uchar(r | (((v >> i) & 1) << (7 - i)));
        c = char(r);
    }
    return data;
}

// ---- TIFF -------------------------------------------------------------------

enum { Short = 3, Long = 4 };
struct TiffTag {
    quint16 tag;
    quint16 type;
    QList<quint32> values;
};

// A little-endian TIFF of one page whose only strip, or tile, is `segment`.
QByteArray tiffFile(QList<TiffTag> tags, const QByteArray& segment, bool tiled = false) {
    tags.append({quint16(tiled ? 324 : 273), Long, {8}});
    tags.append({quint16(tiled ? 325 : 279), Long, {quint32(segment.size())}});
    std::sort(tags.begin(), tags.end(),
              [](const TiffTag& a, const TiffTag& b) { return a.tag < b.tag; });
    QByteArray out = QByteArray("II*\0", 4) + le32(0) + segment;
    auto packed = [](const TiffTag& t) {
        QByteArray v;
        for (quint32 x : t.values) v += t.type == Short ? le16(x) : le32(x);
        return v;
    };
    QList<quint32> where;
    for (const TiffTag& t : tags) {
        const QByteArray v = packed(t);
        if (out.size() % 2) out.append('\0');
        where.append(quint32(out.size()));
        if (v.size() > 4) out += v;
    }
    if (out.size() % 2) out.append('\0');
    qToLittleEndian(quint32(out.size()), out.data() + 4);
    out += le16(quint32(tags.size()));
    for (qsizetype i = 0; i < tags.size(); ++i) {
        const TiffTag& t = tags[i];
        const QByteArray v = packed(t);
        out += le16(t.tag) + le16(t.type) + le32(quint32(t.values.size()));
        out += v.size() > 4 ? le32(where[i]) : v.leftJustified(4, '\0');
    }
    return out + le32(0);
}

QList<TiffTag> greyTags(quint32 width, quint32 height, quint32 compression) {
    return {{256, Long, {width}},        {257, Long, {height}}, {258, Short, {8}},
            {259, Short, {compression}}, {262, Short, {1}},     {277, Short, {1}},
            {278, Long, {height}}};
}

// JBIG's bilevel image header: planes, then width and height of the image.
QByteArray jbigHeader(quint32 planes, quint32 width, quint32 height) {
    return bytes({0, 0, int(planes), 0}) + be32(width) + be32(height) + be32(128) +
           bytes({0, 0, 3, 0x08});
}

// An xz stream whose one block asks LZMA2 for a dictionary of 2^32 - 1 bytes.
QByteArray xzWithHugeDictionary() {
    const QByteArray flags = bytes({0, 0});
    QByteArray out = bytes({0xFD, '7', 'z', 'X', 'Z', 0}) + flags + le32(crc(flags));
    const QByteArray block = bytes({2, 0, 0x21, 1, 40, 0, 0, 0});
    out += block + le32(crc(block));
    return out + bytes({1, 0, 0, 'x', 0});
}

// A zstd frame whose window is 2 GiB, beyond zstd's own ceiling.
QByteArray zstdWithHugeWindow() {
    return bytes({0x28, 0xB5, 0x2F, 0xFD, 0, 21 << 3}) + le24(1024u << 3 | 1) +
           QByteArray(1024, '\0');
}

// A progressive JPEG of 8192 x 65500 pixels, the first scan begun: all the
// coefficients of the frame are kept until the last scan.
QByteArray progressiveJpeg(int width, int height) {
    QByteArray out = bytes({0xFF, 0xD8, 0xFF, 0xDB, 0, 67, 0}) + QByteArray(64, '\1');
    out += bytes({0xFF, 0xC2, 0, 17, 8}) + be16(quint32(height)) + be16(quint32(width)) +
           bytes({3, 1, 0x11, 0, 2, 0x11, 0, 3, 0x11, 0});
    out += bytes({0xFF, 0xC4, 0, 20, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    out += bytes({0xFF, 0xDA, 0, 12, 3, 1, 0, 2, 0, 3, 0, 0, 0, 0});
    return out + QByteArray(16, '\0') + bytes({0xFF, 0xD9});
}

// A baseline JPEG of 32 x 32 pixels, as libjpeg writes it.
QByteArray baselineJpeg() {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = 32;
    cinfo.image_height = 32;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(32 * 3);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32 * 3; ++x) row[size_t(x)] = JSAMPLE((x * 7 + y * 5) & 255);
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

// An old-style JPEG TIFF (the whole JPEG stream named by JPEGInterchangeFormat)
// whose frame is `height` rows tall while the picture has 32.
QByteArray oldJpegTiff(quint16 height) {
    QByteArray jpeg = baselineJpeg();
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    qToBigEndian(height, jpeg.data() + sof + 5);
    const quint32 n = quint32(jpeg.size());
    return tiffFile({{256, Long, {32}},
                     {257, Long, {32}},
                     {258, Short, {8, 8, 8}},
                     {259, Short, {6}},
                     {262, Short, {6}},
                     {277, Short, {3}},
                     {278, Long, {32}},
                     {513, Long, {8}},
                     {514, Long, {n}},
                     {530, Short, {2, 2}}},
                    jpeg);
}

// ---- PNG --------------------------------------------------------------------

QByteArray pngChunk(const char* type, const QByteArray& data) {
    const QByteArray body = QByteArray(type, 4) + data;
    return be32(quint32(data.size())) + body + be32(crc(body));
}

QByteArray pngFile(quint32 width, quint32 height, int colorType, const QByteArray& beforeData) {
    const QByteArray ihdr = be32(width) + be32(height) + bytes({8, colorType, 0, 0, 0});
    const QByteArray pixels = QByteArray(colorType == 6 ? 5 : 2, '\0');
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", ihdr) + beforeData +
           pngChunk("IDAT", zlibOf(pixels)) + pngChunk("IEND", QByteArray());
}

// A grey ICC profile of `size` bytes that libpng takes as valid: the header
// fields it checks, no tags, zeros to the end.
QByteArray greyProfile(quint32 size) {
    QByteArray p(qsizetype(size), '\0');
    auto put = [&](int at, const QByteArray& v) { p.replace(at, v.size(), v); };
    put(0, be32(size));
    put(8, be32(0x02100000));
    put(12, "mntr");
    put(16, "GRAY");
    put(20, "XYZ ");
    put(36, "acsp");
    put(68, be32(0xF6D6) + be32(0x10000) + be32(0xD32D));
    return p;
}

// ---- GIF --------------------------------------------------------------------

// A frame of the given size at (left, 0) on a screen of the given size,
// with data for one pixel.
QByteArray gifFile(quint16 screenW, quint16 screenH, quint16 left, quint16 frameW, quint16 frameH) {
    return QByteArray("GIF89a") + le16(screenW) + le16(screenH) + bytes({0x80, 0, 0}) +
           bytes({0, 0, 0, 255, 255, 255}) + QByteArray(",") + le16(left) + le16(0) + le16(frameW) +
           le16(frameH) + bytes({0, 2, 2, 0x44, 0x01, 0}) + QByteArray(";");
}

// ---- WebP -------------------------------------------------------------------

QByteArray riffChunk(const char* fourcc, const QByteArray& data) {
    QByteArray out = QByteArray(fourcc, 4) + le32(quint32(data.size())) + data;
    if (data.size() % 2) out.append('\0');
    return out;
}

QByteArray webpFile(const QByteArray& chunks) {
    return QByteArray("RIFF") + le32(quint32(4 + chunks.size())) + QByteArray("WEBP") + chunks;
}

// The VP8L chunk of a lossless 1 x 1 picture, as libwebp writes it.
QByteArray onePixelVp8l() {
    const uint8_t pixel[4] = {10, 20, 30, 255};
    uint8_t* out = nullptr;
    const size_t size = WebPEncodeLosslessRGBA(pixel, 1, 1, 4, &out);
    const QByteArray file(reinterpret_cast<const char*>(out), qsizetype(size));
    WebPFree(out);
    return file.mid(12); // after RIFF, size, WEBP
}

QByteArray vp8xChunk(quint32 flags, quint32 width, quint32 height) {
    return riffChunk("VP8X", le32(flags) + le24(width - 1) + le24(height - 1));
}

} // namespace

QByteArray jbigClaimingGigabytes() {
    // No PhotometricInterpretation, 4 bits a sample; LSB-first fill order,
    // which libtiff hands to libjbig as it is stored.
    return tiffFile({{256, Short, {32}},
                     {257, Short, {32}},
                     {258, Short, {4}},
                     {259, Short, {34661}},
                     {266, Short, {2}},
                     {277, Short, {1}},
                     {278, Short, {32}}},
                    jbigHeader(32, 513, 67043328) + QByteArray(69, '\0'));
}

QList<Hostile> hostilePictures() {
    QList<Hostile> out;
    const QString tiff = QStringLiteral("iftiff"), png = QStringLiteral("ifpng"),
                  gif = QStringLiteral("ifgif"), webp = QStringLiteral("ifwebp");

    out.append({QStringLiteral("tiff: jbig header of 32 planes, 513 x 67043328"), tiff,
                jbigClaimingGigabytes(), true});
    QList<TiffTag> bilevel = greyTags(32, 32, 34661);
    bilevel[2].values = {1};
    out.append({QStringLiteral("tiff: jbig header of 65536 x 65536, bits reversed"), tiff,
                tiffFile(bilevel, bitsReversed(jbigHeader(1, 65536, 65536)) + QByteArray(16, '\0')),
                true});
    out.append({QStringLiteral("tiff: lzma dictionary of 4 GiB"), tiff,
                tiffFile(greyTags(32, 32, 34925), xzWithHugeDictionary()), true});
    out.append({QStringLiteral("tiff: zstd window of 2 GiB"), tiff,
                tiffFile(greyTags(32, 32, 50000), zstdWithHugeWindow()), true});
    out.append({QStringLiteral("tiff: progressive jpeg strip of 8192 x 65500 for 8 rows"), tiff,
                tiffFile({{256, Long, {8192}},
                          {257, Long, {8}},
                          {258, Short, {8, 8, 8}},
                          {259, Short, {7}},
                          {262, Short, {2}},
                          {277, Short, {3}},
                          {278, Long, {8}}},
                         progressiveJpeg(8192, 65500)),
                true});
    out.append({QStringLiteral("tiff: old-style jpeg frame of 65500 rows for 32"), tiff,
                oldJpegTiff(65500), false});
    QList<TiffTag> tiled = greyTags(32, 32, 8);
    tiled.removeLast(); // no RowsPerStrip
    // Below the size from which libtiff weighs the data against the tile.
    tiled.append({{322, Long, {8192}}, {323, Long, {8192}}});
    out.append({QStringLiteral("tiff: one tile of 8192 x 8192 for 32 x 32"), tiff,
                tiffFile(tiled, zlibOf(QByteArray(64, '\0')), true), true});
    QList<quint32> depths(4096, 16), extra(4093, 0);
    out.append({QStringLiteral("tiff: 4096 samples of 16 bits a pixel"), tiff,
                tiffFile({{256, Long, {256}},
                          {257, Long, {256}},
                          {258, Short, depths},
                          {259, Short, {8}},
                          {262, Short, {2}},
                          {277, Short, {4096}},
                          {278, Long, {256}},
                          {338, Short, extra}},
                         zlibOf(QByteArray(64, '\0'))),
                true});
    QList<TiffTag> pixar = greyTags(4096, 1, 32909);
    pixar.last().values = {65535};
    out.append({QStringLiteral("tiff: pixarlog strip of 65535 rows for 1"), tiff,
                tiffFile(pixar, zlibOf(QByteArray(64, '\0'))), false});
    QList<TiffTag> strips = greyTags(1, 1000000, 8);
    strips.last().values = {1};
    out.append({QStringLiteral("tiff: a million strips named by one offset"), tiff,
                tiffFile(strips, zlibOf(QByteArray(1, '\0'))), true});

    QByteArray texts;
    const QByteArray zeros = zlibOf(QByteArray(7999000, '\0'));
    for (int i = 0; i < 8; ++i) texts += pngChunk("zTXt", QByteArray("Comment\0\0", 9) + zeros);
    out.append({QStringLiteral("png: 8 zTXt chunks inflating to 8 MB each"), png,
                pngFile(1, 1, 0, texts), false});
    out.append({QStringLiteral("png: iCCP profile inflating to 8 MB"), png,
                pngFile(1, 1, 0,
                        pngChunk("iCCP", QByteArray("grey\0\0", 6) + zlibOf(greyProfile(7999000)))),
                false});
    out.append({QStringLiteral("png: IHDR of 65535 x 65535 RGBA"), png,
                pngFile(65535, 65535, 6, QByteArray()), true});

    out.append({QStringLiteral("gif: screen of 65535 x 65535 around one pixel"), gif,
                gifFile(65535, 65535, 0, 1, 1), true});
    out.append({QStringLiteral("gif: frame reaching to column 65536"), gif,
                gifFile(2, 2, 1, 65535, 1), true});

    const QByteArray pixel = onePixelVp8l();
    out.append({QStringLiteral("webp: canvas of 2^24 x 2^24 around one pixel"), webp,
                webpFile(vp8xChunk(0, 1 << 24, 1 << 24) + pixel), true});
    QByteArray tall = pixel;
    // VP8L header after the chunk header and its signature byte: 14 bits of
    // width - 1, 14 of height - 1.
    qToLittleEndian(quint32(16383 | 16383u << 14), tall.data() + 9);
    out.append({QStringLiteral("webp: bitstream of 16384 x 16384 in a canvas of one pixel"), webp,
                webpFile(vp8xChunk(0, 1, 1) + tall), true});
    const QByteArray frame =
        le24(0) + le24(0) + le24(16383) + le24(16383) + le24(100) + bytes({0}) + pixel;
    out.append({QStringLiteral("webp: animation frame of 16384 x 16384 on a canvas of one pixel"),
                webp,
                webpFile(vp8xChunk(0x02, 1, 1) + riffChunk("ANIM", QByteArray(6, '\0')) +
                         riffChunk("ANMF", frame)),
                false});
    return out;
}

} // namespace nubivu::test
