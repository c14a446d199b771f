#include "testencoders.h"

#include <QTransform>

#include <QFile>
#include <QtGlobal>
#include <algorithm>
#include <cstring>
#include <gif_lib.h>
#include <png.h>
#include <tiffio.h>
#include <vector>
#include <webp/encode.h>
#include <webp/mux.h>

namespace nubivu::test {

namespace {

// A busy pattern, so that neighbouring pixels and every sample value differ.
int busy(int x, int y, int c, int max) {
    return (x * 37 + y * 61 + c * 97 + x * y * 3) % (max + 1);
}

// A smooth one for the lossy encoders.
int smooth(int x, int y, int c, int w, int h) {
    switch (c) {
    case 0: return x * 255 / (w - 1);
    case 1: return y * 255 / (h - 1);
    default: return (x + y) * 255 / (w + h - 2);
    }
}

int to8(int v, int depth) { return depth == 16 ? qRound(v / 257.0) : v * 255 / ((1 << depth) - 1); }

// Packs samples of `depth` bits into a row, most significant first; 16-bit big-endian.
void putSample(std::vector<uchar>& row, int i, int v, int depth) {
    if (depth == 16) {
        row[i * 2] = uchar(v >> 8);
        row[i * 2 + 1] = uchar(v);
    } else if (depth == 8) {
        row[i] = uchar(v);
    } else {
        // High bit first, across bytes for depths such as 12.
        for (int k = 0; k < depth; ++k) {
            const int bit = i * depth + k;
            if ((v >> (depth - 1 - k)) & 1) row[bit / 8] |= uchar(0x80 >> (bit % 8));
        }
    }
}

QRgb paletteColor(int i) { return qRgb(i * 37 % 256, i * 91 % 256, i * 151 % 256); }

void pngFail(png_structp, png_const_charp message) {
    qFatal("libpng refused the test picture: %s", message);
}

void pngAppend(png_structp png, png_bytep data, size_t n) {
    static_cast<QByteArray*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), qsizetype(n));
}

} // namespace

Encoded encodePng(const PngSpec& spec) {
    const int w = 13, h = 7, max = (1 << spec.depth) - 1;
    const int channels = spec.colorType == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                         : spec.colorType == PNG_COLOR_TYPE_RGB      ? 3
                         : spec.colorType == PNG_COLOR_TYPE_RGBA     ? 4
                                                                     : 1;
    const size_t rowBytes = (size_t(w) * channels * spec.depth + 7) / 8;
    std::vector<std::vector<uchar>> rows(h, std::vector<uchar>(rowBytes, 0));
    Encoded out;
    out.expected = QImage(w, h, QImage::Format_ARGB32);
    const int keyR = busy(0, 0, 0, max), keyG = busy(0, 0, 1, max), keyB = busy(0, 0, 2, max);
    std::vector<png_byte> paletteAlpha(size_t(max) + 1);
    for (int i = 0; i <= max; ++i)
        paletteAlpha[size_t(i)] = png_byte(i % 3 == 0 ? 0 : i % 3 == 1 ? 128 : 255);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int s[4];
            for (int c = 0; c < channels; ++c) {
                s[c] = busy(x, y, c, max);
                putSample(rows[size_t(y)], x * channels + c, s[c], spec.depth);
            }
            QRgb rgb = 0;
            switch (spec.colorType) {
            case PNG_COLOR_TYPE_PALETTE:
                rgb = paletteColor(s[0]);
                if (spec.transparent)
                    rgb = (rgb & 0xFFFFFF) | QRgb(paletteAlpha[size_t(s[0])]) << 24;
                break;
            case PNG_COLOR_TYPE_GRAY: {
                const int g = to8(s[0], spec.depth);
                rgb = qRgba(g, g, g, spec.transparent && s[0] == keyR ? 0 : 255);
                break;
            }
            case PNG_COLOR_TYPE_GRAY_ALPHA: {
                const int g = to8(s[0], spec.depth);
                rgb = qRgba(g, g, g, to8(s[1], spec.depth));
                break;
            }
            case PNG_COLOR_TYPE_RGB:
                rgb = qRgba(to8(s[0], spec.depth), to8(s[1], spec.depth), to8(s[2], spec.depth),
                            spec.transparent && s[0] == keyR && s[1] == keyG && s[2] == keyB ? 0
                                                                                             : 255);
                break;
            default:
                rgb = qRgba(to8(s[0], spec.depth), to8(s[1], spec.depth), to8(s[2], spec.depth),
                            to8(s[3], spec.depth));
                break;
            }
            out.expected.setPixel(x, y, rgb);
        }
    }

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngFail, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out.data, pngAppend, nullptr);
    png_set_IHDR(png, info, w, h, spec.depth, spec.colorType,
                 spec.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette(size_t(max) + 1);
    if (spec.colorType == PNG_COLOR_TYPE_PALETTE) {
        for (int i = 0; i <= max; ++i) {
            const QRgb c = paletteColor(i);
            palette[size_t(i)] = {png_byte(qRed(c)), png_byte(qGreen(c)), png_byte(qBlue(c))};
        }
        png_set_PLTE(png, info, palette.data(), max + 1);
    }
    if (spec.transparent) {
        png_color_16 key{};
        key.gray = png_uint_16(keyR);
        key.red = png_uint_16(keyR), key.green = png_uint_16(keyG), key.blue = png_uint_16(keyB);
        if (spec.colorType == PNG_COLOR_TYPE_PALETTE)
            png_set_tRNS(png, info, paletteAlpha.data(), max + 1, nullptr);
        else
            png_set_tRNS(png, info, nullptr, 0, &key);
    }
    std::vector<png_bytep> pointers;
    for (auto& row : rows) pointers.push_back(row.data());
    png_write_info(png, info);
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

namespace {

int gifAppend(GifFileType* gif, const GifByteType* data, int n) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), n);
    return n;
}

} // namespace

Encoded encodeGif(const GifSpec& spec) {
    int bits = 1;
    while ((1 << bits) < spec.colors) ++bits;
    std::vector<GifColorType> colors(size_t(1) << bits);
    for (size_t i = 0; i < colors.size(); ++i) {
        const QRgb c = paletteColor(int(i));
        colors[i] = {GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))};
    }
    ColorMapObject* map = GifMakeMapObject(int(colors.size()), colors.data());
    Encoded out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out.data, gifAppend, &error);
    EGifSetGifVersion(gif, true);
    EGifPutScreenDesc(gif, spec.screen.width(), spec.screen.height(), bits, 0, map);
    const int transparentIndex = 1;
    if (spec.transparent) {
        GraphicsControlBlock control{};
        control.TransparentColor = transparentIndex;
        GifByteType block[4];
        EGifGCBToExtension(&control, block);
        EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, block);
    }
    const QRect f = spec.frame;
    EGifPutImageDesc(gif, f.x(), f.y(), f.width(), f.height(), spec.interlace, nullptr);
    std::vector<int> order;
    if (spec.interlace) {
        static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass)
            for (int y = start[pass]; y < f.height(); y += step[pass]) order.push_back(y);
    } else {
        for (int y = 0; y < f.height(); ++y) order.push_back(y);
    }
    out.expected =
        QImage(spec.screen.expandedTo(QSize(f.right() + 1, f.bottom() + 1)), QImage::Format_ARGB32);
    out.expected.fill(0);
    std::vector<GifPixelType> line(size_t(f.width()));
    for (int y : order) {
        for (int x = 0; x < f.width(); ++x) {
            const int index = (x * 7 + y * 3 + x * y) % spec.colors;
            line[size_t(x)] = GifPixelType(index);
            if (!(spec.transparent && index == transparentIndex))
                out.expected.setPixel(f.x() + x, f.y() + y, paletteColor(index));
        }
        EGifPutLine(gif, line.data(), f.width());
    }
    if (spec.secondFrame) {
        EGifPutImageDesc(gif, 0, 0, spec.screen.width(), spec.screen.height(), false, nullptr);
        std::vector<GifPixelType> blank(size_t(spec.screen.width()), 0);
        for (int y = 0; y < spec.screen.height(); ++y)
            EGifPutLine(gif, blank.data(), spec.screen.width());
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

Encoded encodeTiff(const TiffSpec& spec, const QString& dir) {
    const int w = 21, h = 13;
    const bool lossy = spec.compression == COMPRESSION_JPEG;
    const int max = (1 << spec.bits) - 1;
    const QString path = dir + QStringLiteral("/picture.tif");
    TIFF* tif = TIFFOpen(QFile::encodeName(path).constData(), "w");
    Encoded out;
    out.expected = QImage(w, h, QImage::Format_ARGB32);
    for (int page = 0; page < (spec.secondPage ? 2 : 1); ++page) {
        const int pw = page ? 8 : w, ph = page ? 8 : h;
        TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, pw);
        TIFFSetField(tif, TIFFTAG_IMAGELENGTH, ph);
        TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, spec.bits);
        TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spec.samples);
        TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, spec.photometric);
        TIFFSetField(tif, TIFFTAG_PLANARCONFIG,
                     spec.separate ? PLANARCONFIG_SEPARATE : PLANARCONFIG_CONTIG);
        TIFFSetField(tif, TIFFTAG_COMPRESSION, spec.compression);
        if (spec.photometric == PHOTOMETRIC_SEPARATED)
            TIFFSetField(tif, TIFFTAG_INKSET, INKSET_CMYK);
        if (spec.orientation != ORIENTATION_TOPLEFT)
            TIFFSetField(tif, TIFFTAG_ORIENTATION, spec.orientation);
        if (spec.alpha) {
            const uint16_t extra[] = {EXTRASAMPLE_UNASSALPHA};
            TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, extra);
        }
        if (lossy) {
            TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 95);
            TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
        }
        if (spec.compression == COMPRESSION_LZW && spec.bits == 8)
            TIFFSetField(tif, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
        std::vector<uint16_t> cmap[3];
        if (spec.photometric == PHOTOMETRIC_PALETTE) {
            for (int i = 0; i <= max; ++i) {
                const QRgb c = paletteColor(i);
                cmap[0].push_back(uint16_t(qRed(c) * 257));
                cmap[1].push_back(uint16_t(qGreen(c) * 257));
                cmap[2].push_back(uint16_t(qBlue(c) * 257));
            }
            TIFFSetField(tif, TIFFTAG_COLORMAP, cmap[0].data(), cmap[1].data(), cmap[2].data());
        }
        // libtiff writes JBIG as one strip, and not a row at a time.
        const bool oneStrip = spec.compression == COMPRESSION_JBIG;
        if (spec.tiled) {
            TIFFSetField(tif, TIFFTAG_TILEWIDTH, 16);
            TIFFSetField(tif, TIFFTAG_TILELENGTH, 16);
        } else {
            TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, oneStrip ? h : lossy ? 16 : 4);
        }
        const int planes = spec.separate ? spec.samples : 1;
        const int perRow = spec.separate ? 1 : spec.samples;
        auto sample = [&](int x, int y, int c) {
            if (page) return (x + y) % (max + 1);
            return lossy ? smooth(x, y, c, w, h) : busy(x, y, c, max);
        };
        const size_t rowBytes = (size_t(pw) * perRow * spec.bits + 7) / 8;
        std::vector<uchar> row(rowBytes);
        auto fillRow = [&](int y, int plane, std::vector<uchar>& target, int width) {
            std::fill(target.begin(), target.end(), 0);
            for (int x = 0; x < width; ++x)
                for (int c = 0; c < perRow; ++c) {
                    const int v = sample(x, y, spec.separate ? plane : c);
                    if (spec.bits == 16) {
                        const uint16_t native = uint16_t(v);
                        std::memcpy(&target[size_t(x * perRow + c) * 2], &native, 2);
                    } else {
                        putSample(target, x * perRow + c, v, spec.bits);
                    }
                }
        };
        if (spec.tiled) {
            std::vector<uchar> tile(size_t(TIFFTileSize(tif)));
            const size_t tileRow = (size_t(16) * perRow * spec.bits + 7) / 8;
            for (int plane = 0; plane < planes; ++plane)
                for (int ty = 0; ty < ph; ty += 16)
                    for (int tx = 0; tx < pw; tx += 16) {
                        std::fill(tile.begin(), tile.end(), 0);
                        std::vector<uchar> r(tileRow);
                        for (int y = ty; y < std::min(ph, ty + 16); ++y) {
                            std::fill(r.begin(), r.end(), 0);
                            for (int x = tx; x < std::min(pw, tx + 16); ++x)
                                for (int c = 0; c < perRow; ++c)
                                    putSample(r, (x - tx) * perRow + c,
                                              sample(x, y, spec.separate ? plane : c), spec.bits);
                            std::memcpy(&tile[size_t(y - ty) * tileRow], r.data(), tileRow);
                        }
                        TIFFWriteTile(tif, tile.data(), uint32_t(tx), uint32_t(ty), 0,
                                      uint16_t(plane));
                    }
        } else if (oneStrip) {
            std::vector<uchar> strip;
            for (int y = 0; y < ph; ++y) {
                fillRow(y, 0, row, pw);
                strip.insert(strip.end(), row.begin(), row.end());
            }
            TIFFWriteEncodedStrip(tif, 0, strip.data(), tmsize_t(strip.size()));
        } else {
            for (int plane = 0; plane < planes; ++plane)
                for (int y = 0; y < ph; ++y) {
                    fillRow(y, plane, row, pw);
                    TIFFWriteScanline(tif, row.data(), uint32_t(y), uint16_t(plane));
                }
        }
        TIFFWriteDirectory(tif);
        if (page) continue;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                auto v8 = [&](int c) {
                    return spec.bits == 16 ? qRound(sample(x, y, c) / 257.0)
                                           : sample(x, y, c) * 255 / max;
                };
                QRgb rgb = 0;
                switch (spec.photometric) {
                case PHOTOMETRIC_MINISWHITE:
                    rgb = qRgb(255 - v8(0), 255 - v8(0), 255 - v8(0));
                    break;
                case PHOTOMETRIC_MINISBLACK:
                    rgb = spec.bits == 16 ? qRgb(sample(x, y, 0) >> 8, sample(x, y, 0) >> 8,
                                                 sample(x, y, 0) >> 8)
                                          : qRgb(v8(0), v8(0), v8(0));
                    if (spec.alpha) rgb = qRgba(v8(0), v8(0), v8(0), v8(1));
                    break;
                case PHOTOMETRIC_PALETTE: rgb = paletteColor(sample(x, y, 0)); break;
                case PHOTOMETRIC_SEPARATED: {
                    const int k = 255 - v8(3);
                    rgb = qRgb(k * (255 - v8(0)) / 255, k * (255 - v8(1)) / 255,
                               k * (255 - v8(2)) / 255);
                    break;
                }
                default: rgb = qRgba(v8(0), v8(1), v8(2), spec.alpha ? v8(3) : 255); break;
                }
                out.expected.setPixel(x, y, rgb);
            }
    }
    TIFFClose(tif);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) out.data = file.readAll();
    // Stored row 0 and column 0 are the sides the tag names.
    const QTransform cw = QTransform().rotate(90);
    switch (spec.orientation) {
    case ORIENTATION_TOPRIGHT: out.expected = out.expected.mirrored(true, false); break;
    case ORIENTATION_BOTRIGHT: out.expected = out.expected.mirrored(true, true); break;
    case ORIENTATION_BOTLEFT: out.expected = out.expected.mirrored(false, true); break;
    case ORIENTATION_LEFTTOP:
        out.expected = out.expected.transformed(cw).mirrored(true, false);
        break;
    case ORIENTATION_RIGHTTOP: out.expected = out.expected.transformed(cw); break;
    case ORIENTATION_RIGHTBOT:
        out.expected = out.expected.transformed(cw).mirrored(false, true);
        break;
    case ORIENTATION_LEFTBOT:
        out.expected = out.expected.transformed(QTransform().rotate(270));
        break;
    default: break;
    }
    out.expected = out.expected.convertToFormat(QImage::Format_ARGB32);
    return out;
}

namespace {

QImage webpPicture(int w, int h, bool alpha, bool lossy, int variant) {
    QImage image(w, h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int r = lossy ? smooth(x, y, 0, w, h) : busy(x, y, 0, 255);
            const int g = lossy ? smooth(x, y, 1, w, h) : busy(x, y, 1, 255);
            const int b = (lossy ? smooth(x, y, 2, w, h) : busy(x, y, 2, 255)) ^ variant;
            const int a = !alpha  ? 255
                          : lossy ? (x < w / 3 ? 0 : 255)
                                  : (x + y) % 3 * 127 + (x + y) % 3 / 2;
            image.setPixel(x, y, qRgba(r, g, b, a));
        }
    return image;
}

QByteArray takeWebp(uint8_t* data, size_t size) {
    QByteArray out(reinterpret_cast<const char*>(data), qsizetype(size));
    WebPFree(data);
    return out;
}

} // namespace

Encoded encodeWebp(const WebpSpec& spec) {
    const int w = 23, h = 17;
    Encoded out;
    out.expected = webpPicture(w, h, spec.alpha, !spec.lossless, 0);
    if (!spec.alpha)
        out.expected = out.expected.convertToFormat(QImage::Format_RGB32)
                           .convertToFormat(QImage::Format_ARGB32);
    const QImage& p = out.expected;
    uint8_t* data = nullptr;
    if (!spec.animated) {
        size_t size = 0;
        if (spec.alpha)
            size = spec.lossless
                       ? WebPEncodeLosslessBGRA(p.constBits(), w, h, int(p.bytesPerLine()), &data)
                       : WebPEncodeBGRA(p.constBits(), w, h, int(p.bytesPerLine()), 90, &data);
        else {
            const QImage rgb = p.convertToFormat(QImage::Format_RGB888);
            size =
                spec.lossless
                    ? WebPEncodeLosslessRGB(rgb.constBits(), w, h, int(rgb.bytesPerLine()), &data)
                    : WebPEncodeRGB(rgb.constBits(), w, h, int(rgb.bytesPerLine()), 90, &data);
        }
        out.data = takeWebp(data, size);
        return out;
    }
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(w, h, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = spec.lossless;
    const QImage second = webpPicture(w, h, spec.alpha, !spec.lossless, 0x55);
    int timestamp = 0;
    for (const QImage* frame : {&p, &second}) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = w;
        picture.height = h;
        WebPPictureImportBGRA(&picture, frame->constBits(), int(frame->bytesPerLine()));
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, &config);
    WebPData assembled;
    WebPDataInit(&assembled);
    WebPAnimEncoderAssemble(encoder, &assembled);
    out.data =
        QByteArray(reinterpret_cast<const char*>(assembled.bytes), qsizetype(assembled.size));
    WebPDataClear(&assembled);
    WebPAnimEncoderDelete(encoder);
    return out;
}

} // namespace nubivu::test
