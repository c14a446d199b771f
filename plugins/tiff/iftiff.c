/* TIFF import plug-in on libtiff: the first page. Bilevel, grey and palette
 * pictures of up to 8 bits (grey also 16) keep their indices; grey, RGB and
 * CMYK samples of depths libtiff's RGBA reader does not know (12 bits, 16-bit
 * CMYK) are read here; every other kind goes through the RGBA reader, which
 * knows CMYK, YCbCr, LogLuv, old JPEG and 16-bit samples. Every path is read
 * in stored order and then turned as the Orientation tag says. */
#include "spiplugin.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tiffio.h>

typedef struct TiffSource {
    const uint8_t *data;
    uint64_t size;
    uint64_t pos;
} TiffSource;

static tmsize_t tiffSupply(thandle_t handle, void *out, tmsize_t n)
{
    TiffSource *src = handle;
    if (n <= 0 || src->pos >= src->size)
        return 0;
    uint64_t want = (uint64_t)n;
    if (want > src->size - src->pos)
        want = src->size - src->pos;
    memcpy(out, src->data + src->pos, (size_t)want);
    src->pos += want;
    return (tmsize_t)want;
}

static tmsize_t tiffWrite(thandle_t handle, void *in, tmsize_t n)
{
    (void)handle, (void)in, (void)n;
    return 0;
}

static toff_t tiffSeek(thandle_t handle, toff_t offset, int whence)
{
    TiffSource *src = handle;
    uint64_t base = whence == SEEK_CUR ? src->pos : whence == SEEK_END ? src->size : 0;
    if (offset > UINT64_MAX - base)
        return (toff_t)-1;
    src->pos = base + offset;
    return src->pos;
}

static int tiffClose(thandle_t handle)
{
    (void)handle;
    return 0;
}

static toff_t tiffSize(thandle_t handle)
{
    return ((TiffSource *)handle)->size;
}

static int tiffMap(thandle_t handle, void **base, toff_t *size)
{
    TiffSource *src = handle;
    *base = (void *)src->data;
    *size = src->size;
    return 1;
}

static void tiffUnmap(thandle_t handle, void *base, toff_t size)
{
    (void)handle, (void)base, (void)size;
}

/* libtiff's messages would go to stderr of the viewer; the result code says
 * all the host needs. */
static int tiffQuiet(TIFF *tif, void *data, const char *module, const char *fmt, va_list ap)
{
    (void)tif, (void)data, (void)module, (void)fmt, (void)ap;
    return 1;
}

static TIFF *tiffOpen(TiffSource *src)
{
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return NULL;
    TIFFOpenOptionsSetErrorHandlerExtR(options, tiffQuiet, NULL);
    TIFFOpenOptionsSetWarningHandlerExtR(options, tiffQuiet, NULL);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, (tmsize_t)SPI_MAX_BYTES);
    TIFF *tif = TIFFClientOpenExt("picture", "r", src, tiffSupply, tiffWrite, tiffSeek, tiffClose,
                                  tiffSize, tiffMap, tiffUnmap, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

typedef struct TiffPlan {
    uint32_t width, height;
    uint16_t bits, photometric;
    int indexed;    /* rows read as they are, into a 1, 4 or 8-bit picture */
    int floating;   /* grey samples are IEEE numbers from 0 (black) to 1 */
    int grey_alpha; /* 8-bit grey and alpha, read here: libtiff's RGBA reader
                       loses the alpha plane of separate planes */
    int associated; /* the alpha premultiplies the grey */
    int separate;
    int bit_count;
    /* Samples of any depth up to 16, one plane, read and scaled here. */
    int generic;
    uint16_t samples;
    int colors;    /* colour samples per pixel: 1 grey, 3 RGB, 4 CMYK */
    int has_alpha; /* the sample after the colours is alpha */
    uint16_t orientation;
} TiffPlan;

static int tiffPlan(TIFF *tif, TiffPlan *plan, TIFFRGBAImage *rgba, int *rgba_open)
{
    uint16_t samples = 1, format = SAMPLEFORMAT_UINT, compression = COMPRESSION_NONE;
    memset(plan, 0, sizeof *plan);
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &plan->width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &plan->height))
        return SPI_BROKEN_DATA;
    if (plan->width == 0 || plan->height == 0 || plan->width > SPI_MAX_SIDE ||
        plan->height > SPI_MAX_SIDE)
        return SPI_BROKEN_DATA;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &plan->bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (!TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &plan->orientation) ||
        plan->orientation < 1 || plan->orientation > 8)
        plan->orientation = ORIENTATION_TOPLEFT;
    plan->samples = samples;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const int has_photometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &plan->photometric);
    const int plain_samples = samples == 1 && !TIFFIsTiled(tif) &&
                              compression != COMPRESSION_JPEG && compression != COMPRESSION_OJPEG;
    const int grey = has_photometric && (plan->photometric == PHOTOMETRIC_MINISBLACK ||
                                         plan->photometric == PHOTOMETRIC_MINISWHITE);
    uint16_t extra_count = 0, *extra = NULL, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (grey && samples == 2 && plan->bits == 8 && format == SAMPLEFORMAT_UINT &&
        !TIFFIsTiled(tif) && compression != COMPRESSION_JPEG && compression != COMPRESSION_OJPEG &&
        TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra) && extra_count == 1 &&
        extra[0] != EXTRASAMPLE_UNSPECIFIED) {
        plan->grey_alpha = 1;
        plan->associated = extra[0] == EXTRASAMPLE_ASSOCALPHA;
        plan->separate = planar == PLANARCONFIG_SEPARATE;
        plan->bit_count = 32;
        return SPI_ALL_RIGHT;
    }
    if (plain_samples && grey && format == SAMPLEFORMAT_IEEEFP &&
        (plan->bits == 32 || plan->bits == 64)) {
        plan->indexed = plan->floating = 1;
        plan->bit_count = 8;
        return SPI_ALL_RIGHT;
    }
    if (plain_samples && format == SAMPLEFORMAT_UINT &&
        ((grey && (plan->bits == 1 || plan->bits == 2 || plan->bits == 4 || plan->bits == 8 ||
                   plan->bits == 16)) ||
         (has_photometric && plan->photometric == PHOTOMETRIC_PALETTE &&
          (plan->bits == 1 || plan->bits == 2 || plan->bits == 4 || plan->bits == 8)))) {
        plan->indexed = 1;
        plan->bit_count = plan->bits == 1 ? 1 : plan->bits <= 4 ? 4 : 8;
        return SPI_ALL_RIGHT;
    }
    uint16_t inkset = INKSET_CMYK;
    TIFFGetFieldDefaulted(tif, TIFFTAG_INKSET, &inkset);
    const int cmyk =
        has_photometric && plan->photometric == PHOTOMETRIC_SEPARATED && inkset == INKSET_CMYK;
    const int rgb = has_photometric && plan->photometric == PHOTOMETRIC_RGB;
    const int colors = grey ? 1 : rgb ? 3 : cmyk ? 4 : 0;
    const int rgba_knows = plan->bits == 8 || (plan->bits == 16 && !cmyk);
    if (colors && samples >= colors && !rgba_knows && plan->bits <= 16 &&
        format == SAMPLEFORMAT_UINT && planar == PLANARCONFIG_CONTIG && !TIFFIsTiled(tif) &&
        compression != COMPRESSION_JPEG && compression != COMPRESSION_OJPEG) {
        plan->generic = 1;
        plan->colors = colors;
        if (samples > colors && TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra) &&
            extra_count >= 1 && extra[0] != EXTRASAMPLE_UNSPECIFIED) {
            plan->has_alpha = 1;
            plan->associated = extra[0] == EXTRASAMPLE_ASSOCALPHA;
        }
        plan->bit_count = plan->has_alpha ? 32 : 24;
        return SPI_ALL_RIGHT;
    }
    char message[1024];
    if (!TIFFRGBAImageOK(tif, message))
        return SPI_UNKNOWN_FORMAT;
    if (!TIFFRGBAImageBegin(rgba, tif, 0, message))
        return SPI_BROKEN_DATA;
    *rgba_open = 1;
    plan->bit_count = rgba->alpha ? 32 : 24;
    return SPI_ALL_RIGHT;
}

static void tiffColorMap(TIFF *tif, const TiffPlan *plan, SpiImage *image)
{
    if (plan->photometric != PHOTOMETRIC_PALETTE) {
        spiImageGrayPalette(image, plan->bits > 8 ? 8 : plan->bits,
                            plan->photometric == PHOTOMETRIC_MINISWHITE);
        return;
    }
    uint16_t *red, *green, *blue;
    if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
        return;
    const int n = 1 << plan->bits;
    /* Some writers store 8-bit values in the 16-bit map. */
    int shift = 0;
    for (int i = 0; i < n; ++i)
        if (red[i] > 255 || green[i] > 255 || blue[i] > 255)
            shift = 8;
    for (int i = 0; i < n; ++i)
        spiImageSetColor(image, i, (uint8_t)(red[i] >> shift), (uint8_t)(green[i] >> shift),
                         (uint8_t)(blue[i] >> shift));
}

static void tiffStoreFloats(const uint8_t *line, uint8_t *row, uint32_t width, int bits)
{
    for (uint32_t x = 0; x < width; ++x) {
        double v;
        if (bits == 64) {
            memcpy(&v, line + (size_t)x * 8, 8);
        } else {
            float f;
            memcpy(&f, line + (size_t)x * 4, 4);
            v = f;
        }
        /* NaN fails both tests and ends up black. */
        row[x] = (uint8_t)(v >= 1.0 ? 255 : v > 0.0 ? v * 255.0 + 0.5 : 0);
    }
}

static int tiffReadIndexed(TIFF *tif, const TiffPlan *plan, SpiImage *image, SpiProgress *progress)
{
    tiffColorMap(tif, plan, image);
    const tmsize_t line_size = TIFFScanlineSize(tif);
    if (line_size <= 0)
        return SPI_BROKEN_DATA;
    uint8_t *line = malloc((size_t)line_size);
    if (!line)
        return SPI_NO_MEMORY;
    int result = spiProgressStart(progress, (int32_t)plan->height) ? SPI_ABORT : SPI_ALL_RIGHT;
    for (uint32_t y = 0; y < plan->height && result == SPI_ALL_RIGHT; ++y) {
        if (TIFFReadScanline(tif, line, y, 0) < 0) {
            result = SPI_BROKEN_DATA;
            break;
        }
        uint8_t *row = spiImageRow(image, (int32_t)y);
        if (plan->floating) {
            tiffStoreFloats(line, row, plan->width, plan->bits);
        } else
            switch (plan->bits) {
            case 2:
                spiWiden2To4(line, row, plan->width);
                break;
            case 16: {
                const uint16_t *wide = (const uint16_t *)(void *)line;
                for (uint32_t x = 0; x < plan->width; ++x)
                    row[x] = (uint8_t)(wide[x] >> 8);
                break;
            }
            default:
                memcpy(row, line,
                       (size_t)line_size < image->stride ? (size_t)line_size : image->stride);
                break;
            }
        if (spiProgressStep(progress, (int32_t)y + 1))
            result = SPI_ABORT;
    }
    free(line);
    return result;
}

static uint8_t tiffStraight(unsigned v, unsigned a)
{
    return (uint8_t)(a == 0 ? 0 : v >= a ? 255 : (v * 255 + a / 2) / a);
}

static int tiffReadGreyAlpha(TIFF *tif, const TiffPlan *plan, SpiImage *image,
                             SpiProgress *progress)
{
    const tmsize_t line_size = TIFFScanlineSize(tif);
    const size_t needed = plan->separate ? plan->width : (size_t)plan->width * 2;
    if (line_size <= 0 || (size_t)line_size < needed)
        return SPI_BROKEN_DATA;
    uint8_t *grey = malloc((size_t)line_size * 2);
    if (!grey)
        return SPI_NO_MEMORY;
    uint8_t *alpha = grey + line_size;
    int result = spiProgressStart(progress, (int32_t)plan->height) ? SPI_ABORT : SPI_ALL_RIGHT;
    /* Separate planes are stored one after the other, so all grey rows come
     * first; the alpha plane is read in a second pass. */
    for (int pass = 0; pass < (plan->separate ? 2 : 1) && result == SPI_ALL_RIGHT; ++pass) {
        for (uint32_t y = 0; y < plan->height && result == SPI_ALL_RIGHT; ++y) {
            if (TIFFReadScanline(tif, pass ? alpha : grey, y, (uint16_t)pass) < 0) {
                result = SPI_BROKEN_DATA;
                break;
            }
            uint8_t *row = spiImageRow(image, (int32_t)y);
            for (uint32_t x = 0; x < plan->width; ++x, row += 4) {
                if (plan->separate && pass == 0) {
                    row[0] = grey[x];
                    continue;
                }
                const unsigned g = plan->separate ? row[0] : grey[2 * x];
                const unsigned a = plan->separate ? alpha[x] : grey[2 * x + 1];
                uint8_t v = plan->associated ? tiffStraight(g, a) : (uint8_t)g;
                if (plan->photometric == PHOTOMETRIC_MINISWHITE)
                    v = (uint8_t)(255 - v);
                row[0] = row[1] = row[2] = v;
                row[3] = (uint8_t)a;
            }
            const int32_t done =
                (int32_t)((pass * plan->height + y + 1) / (plan->separate ? 2 : 1));
            if (spiProgressStep(progress, done))
                result = SPI_ABORT;
        }
    }
    free(grey);
    return result;
}

/* Sample `index` of a row of `bits`-bit samples, packed from the high bit. */
static unsigned tiffSample(const uint8_t *line, uint64_t index, int bits)
{
    if (bits == 16) { /* libtiff hands 16-bit samples over in the host's order */
        uint16_t v;
        memcpy(&v, line + index * 2, 2);
        return v;
    }
    uint64_t bit = index * (uint64_t)bits;
    unsigned v = 0;
    for (int left = bits; left > 0;) {
        const unsigned byte = line[bit >> 3];
        const int offset = (int)(bit & 7);
        const int take = 8 - offset < left ? 8 - offset : left;
        v = (v << take) | ((byte >> (8 - offset - take)) & ((1u << take) - 1u));
        left -= take;
        bit += (uint64_t)take;
    }
    return v;
}

static int tiffReadGeneric(TIFF *tif, const TiffPlan *plan, SpiImage *image, SpiProgress *progress)
{
    const tmsize_t line_size = TIFFScanlineSize(tif);
    if (line_size <= 0 ||
        (uint64_t)line_size * 8 < (uint64_t)plan->width * plan->samples * plan->bits)
        return SPI_BROKEN_DATA;
    uint8_t *line = malloc((size_t)line_size);
    if (!line)
        return SPI_NO_MEMORY;
    const unsigned max = (1u << plan->bits) - 1u;
    const int white = plan->photometric == PHOTOMETRIC_MINISWHITE;
    int result = spiProgressStart(progress, (int32_t)plan->height) ? SPI_ABORT : SPI_ALL_RIGHT;
    for (uint32_t y = 0; y < plan->height && result == SPI_ALL_RIGHT; ++y) {
        if (TIFFReadScanline(tif, line, y, 0) < 0) {
            result = SPI_BROKEN_DATA;
            break;
        }
        uint8_t *row = spiImageRow(image, (int32_t)y);
        for (uint32_t x = 0; x < plan->width; ++x) {
            unsigned v[5];
            const uint64_t first = (uint64_t)x * plan->samples;
            for (int k = 0; k < plan->colors + plan->has_alpha; ++k)
                v[k] = (tiffSample(line, first + (uint64_t)k, plan->bits) * 255u + max / 2) / max;
            unsigned r, g, b;
            if (plan->colors == 1) {
                r = g = b = white ? 255u - v[0] : v[0];
            } else if (plan->colors == 3) {
                r = v[0], g = v[1], b = v[2];
            } else { /* CMYK, as libtiff's RGBA reader turns it */
                const unsigned k = 255u - v[3];
                r = k * (255u - v[0]) / 255u, g = k * (255u - v[1]) / 255u,
                b = k * (255u - v[2]) / 255u;
            }
            if (plan->has_alpha) {
                const unsigned a = v[plan->colors];
                if (plan->associated) {
                    r = tiffStraight(r, a), g = tiffStraight(g, a), b = tiffStraight(b, a);
                }
                row[0] = (uint8_t)b, row[1] = (uint8_t)g, row[2] = (uint8_t)r, row[3] = (uint8_t)a;
                row += 4;
            } else {
                row[0] = (uint8_t)b, row[1] = (uint8_t)g, row[2] = (uint8_t)r;
                row += 3;
            }
        }
        if (spiProgressStep(progress, (int32_t)y + 1))
            result = SPI_ABORT;
    }
    free(line);
    return result;
}

static uint32_t tiffGetPixel(const uint8_t *row, int bit_count, uint32_t x)
{
    switch (bit_count) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15u;
    case 8:
        return row[x];
    case 24:
        return (uint32_t)row[3 * x] | (uint32_t)row[3 * x + 1] << 8 |
               (uint32_t)row[3 * x + 2] << 16;
    default:
        return (uint32_t)row[4 * x] | (uint32_t)row[4 * x + 1] << 8 |
               (uint32_t)row[4 * x + 2] << 16 | (uint32_t)row[4 * x + 3] << 24;
    }
}

static void tiffPutPixel(uint8_t *row, int bit_count, uint32_t x, uint32_t v)
{
    if (bit_count <= 8) {
        spiPutIndex(row, bit_count, (int32_t)x, v);
        return;
    }
    const int bytes = bit_count / 8;
    for (int i = 0; i < bytes; ++i)
        row[(size_t)x * (size_t)bytes + (size_t)i] = (uint8_t)(v >> (8 * i));
}

/* The picture as it is meant to be seen: stored row 0 and column 0 are the
 * sides the Orientation tag names (5 to 8 swap width and height). */
static int tiffOrient(SpiImage *image, uint16_t orientation)
{
    if (orientation == ORIENTATION_TOPLEFT)
        return SPI_ALL_RIGHT;
    const uint32_t w = (uint32_t)image->width, h = (uint32_t)image->height;
    const int swap = orientation >= ORIENTATION_LEFTTOP;
    SpiImage out;
    memset(&out, 0, sizeof out);
    const int result = spiImageAllocate(&out, swap ? h : w, swap ? w : h, image->bit_count);
    if (result != SPI_ALL_RIGHT)
        return result;
    out.palette_size = image->palette_size;
    memcpy(out.palette, image->palette, sizeof out.palette);
    const uint32_t dw = (uint32_t)out.width, dh = (uint32_t)out.height;
    for (uint32_t r = 0; r < h; ++r) {
        const uint8_t *src = spiImageRow(image, (int32_t)r);
        for (uint32_t c = 0; c < w; ++c) {
            uint32_t x, y;
            switch (orientation) {
            case ORIENTATION_TOPRIGHT:
                x = w - 1 - c, y = r;
                break;
            case ORIENTATION_BOTRIGHT:
                x = w - 1 - c, y = h - 1 - r;
                break;
            case ORIENTATION_BOTLEFT:
                x = c, y = h - 1 - r;
                break;
            case ORIENTATION_LEFTTOP:
                x = r, y = c;
                break;
            case ORIENTATION_RIGHTTOP:
                x = dw - 1 - r, y = c;
                break;
            case ORIENTATION_RIGHTBOT:
                x = dw - 1 - r, y = dh - 1 - c;
                break;
            default: /* ORIENTATION_LEFTBOT */
                x = r, y = dh - 1 - c;
                break;
            }
            tiffPutPixel(spiImageRow(&out, (int32_t)y), image->bit_count, x,
                         tiffGetPixel(src, image->bit_count, c));
        }
    }
    spiImageFree(image);
    *image = out;
    return SPI_ALL_RIGHT;
}

/* The picture keeps straight alpha; libtiff premultiplies colour pictures
 * with unassociated alpha, and associated alpha comes so from the file. */
static void tiffStoreRgba(const uint32_t *src, uint8_t *row, uint32_t width, int bit_count,
                          int premultiplied)
{
    for (uint32_t x = 0; x < width; ++x) {
        const uint32_t p = src[x];
        uint32_t r = TIFFGetR(p), g = TIFFGetG(p), b = TIFFGetB(p);
        if (bit_count == 24) {
            row[0] = (uint8_t)b, row[1] = (uint8_t)g, row[2] = (uint8_t)r;
            row += 3;
            continue;
        }
        const uint32_t a = TIFFGetA(p);
        if (premultiplied && a != 0 && a != 255) {
            r = tiffStraight(r, a);
            g = tiffStraight(g, a);
            b = tiffStraight(b, a);
        }
        row[0] = (uint8_t)b, row[1] = (uint8_t)g, row[2] = (uint8_t)r, row[3] = (uint8_t)a;
        row += 4;
    }
}

/* Reads bands of whole strips or tiles in stored order; turning the picture
 * is left to tiffOrient, as on the other paths. */
static int tiffReadRgba(TIFF *tif, TIFFRGBAImage *rgba, const TiffPlan *plan, SpiImage *image,
                        SpiProgress *progress)
{
    uint32_t unit = 0;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
    if (unit == 0 || unit > plan->height)
        unit = plan->height;
    uint32_t band = unit;
    while (band < plan->height && (uint64_t)(band + unit) * plan->width * 4 <= ((uint64_t)4 << 20))
        band += unit;
    if (band > plan->height)
        band = plan->height;
    uint32_t *buffer = malloc((size_t)band * plan->width * 4);
    if (!buffer)
        return SPI_NO_MEMORY;
    rgba->req_orientation = rgba->orientation;
    const int grey =
        rgba->photometric == PHOTOMETRIC_MINISBLACK || rgba->photometric == PHOTOMETRIC_MINISWHITE;
    const int premultiplied =
        rgba->alpha == EXTRASAMPLE_ASSOCALPHA || (rgba->alpha == EXTRASAMPLE_UNASSALPHA && !grey);
    int result = spiProgressStart(progress, (int32_t)plan->height) ? SPI_ABORT : SPI_ALL_RIGHT;
    for (uint32_t top = 0; top < plan->height && result == SPI_ALL_RIGHT; top += band) {
        const uint32_t rows = plan->height - top < band ? plan->height - top : band;
        rgba->row_offset = (int)top;
        rgba->col_offset = 0;
        if (!TIFFRGBAImageGet(rgba, buffer, plan->width, rows)) {
            result = SPI_BROKEN_DATA;
            break;
        }
        for (uint32_t i = 0; i < rows; ++i)
            tiffStoreRgba(buffer + (size_t)i * plan->width, spiImageRow(image, (int32_t)(top + i)),
                          plan->width, image->bit_count, premultiplied);
        if (spiProgressStep(progress, (int32_t)(top + rows)))
            result = SPI_ABORT;
    }
    free(buffer);
    return result;
}

static int tiffRead(const uint8_t *data, size_t size, SpiPictureInfo *info, SpiImage *image,
                    SpiProgress *progress)
{
    TiffSource src = {data, size, 0};
    TIFF *tif = tiffOpen(&src);
    if (!tif)
        return SPI_BROKEN_DATA;
    TiffPlan plan;
    TIFFRGBAImage rgba;
    int rgba_open = 0;
    int result = tiffPlan(tif, &plan, &rgba, &rgba_open);
    const int swap = plan.orientation >= ORIENTATION_LEFTTOP;
    if (result == SPI_ALL_RIGHT)
        result = info ? spiImageBegin(info, NULL, swap ? plan.height : plan.width,
                                      swap ? plan.width : plan.height, plan.bit_count)
                      : spiImageBegin(NULL, image, plan.width, plan.height, plan.bit_count);
    if (result == SPI_ALL_RIGHT && !info)
        result = plan.grey_alpha ? tiffReadGreyAlpha(tif, &plan, image, progress)
                 : plan.indexed  ? tiffReadIndexed(tif, &plan, image, progress)
                 : plan.generic  ? tiffReadGeneric(tif, &plan, image, progress)
                                 : tiffReadRgba(tif, &rgba, &plan, image, progress);
    if (result == SPI_ALL_RIGHT && !info)
        result = tiffOrient(image, plan.orientation);
    if (rgba_open)
        TIFFRGBAImageEnd(&rgba);
    TIFFClose(tif);
    return result;
}

static int tiffProbe(const uint8_t *head, size_t size)
{
    if (size < 4)
        return 0;
    /* Classic TIFF (42) and BigTIFF (43), either byte order. */
    return (head[0] == 'I' && head[1] == 'I' && (head[2] == 42 || head[2] == 43) && head[3] == 0) ||
           (head[0] == 'M' && head[1] == 'M' && head[2] == 0 && (head[3] == 42 || head[3] == 43));
}

static void tiffVersion(char *buf, size_t size)
{
    /* "LIBTIFF, Version 4.5.0\nCopyright ..." */
    const char *text = TIFFGetVersion();
    const char *version = text ? strstr(text, "Version ") : NULL;
    if (!version) {
        snprintf(buf, size, "libtiff");
        return;
    }
    version += 8;
    const size_t length = strcspn(version, "\n");
    snprintf(buf, size, "libtiff %.*s", (int)length, version);
}

const SpiFormat spiFormat = {
    "Nubivu TIFF plug-in", "*.tif;*.tiff", "TIFF", tiffVersion, tiffProbe, tiffRead,
};
