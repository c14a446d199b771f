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

/* "D": the strip and tile tables are read when first used, after the
 * picture's size has been weighed; a few bytes may claim millions of strips. */
static TIFF *tiffOpen(TiffSource *src)
{
    TIFFOpenOptions *options = TIFFOpenOptionsAlloc();
    if (!options)
        return NULL;
    TIFFOpenOptionsSetErrorHandlerExtR(options, tiffQuiet, NULL);
    TIFFOpenOptionsSetWarningHandlerExtR(options, tiffQuiet, NULL);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, (tmsize_t)SPI_MAX_BYTES);
    TIFF *tif = TIFFClientOpenExt("picture", "rD", src, tiffSupply, tiffWrite, tiffSeek, tiffClose,
                                  tiffSize, tiffMap, tiffUnmap, options);
    TIFFOpenOptionsFree(options);
    return tif;
}

/* ---- what the file may make the decoding libraries take ------------------ */

/* Bytes of a segment (strip or tile) as stored, to be read through `map`:
 * the bit order libtiff hands the codec. */
typedef struct TiffBytes {
    const uint8_t *data;
    size_t size;
    const unsigned char *map;
} TiffBytes;

static unsigned tiffAt(const TiffBytes *b, size_t at)
{
    return b->map[b->data[at]];
}

/* A variable-length integer of xz's: seven bits a byte, at most nine bytes. */
static int xzNumber(const TiffBytes *b, size_t end, size_t *at, uint64_t *value)
{
    *value = 0;
    for (int i = 0; i < 9 && *at < end; ++i) {
        const unsigned byte = tiffAt(b, (*at)++);
        *value |= (uint64_t)(byte & 0x7Fu) << (7 * i);
        if (!(byte & 0x80u))
            return 1;
    }
    return 0;
}

/* Skips the LZMA2 chunks of a block; 0 where they end before the data does
 * not (liblzma stops there too, before any later block header). */
static int xzSkipChunks(const TiffBytes *b, size_t *at)
{
    for (;;) {
        if (*at >= b->size)
            return 0;
        const unsigned control = tiffAt(b, *at);
        if (control == 0) {
            ++*at;
            return 1;
        }
        size_t header, packed;
        if (control == 1 || control == 2) { /* stored chunk */
            if (*at + 3 > b->size)
                return 0;
            header = 3;
            packed = ((size_t)tiffAt(b, *at + 1) << 8 | tiffAt(b, *at + 2)) + 1;
        } else if (control >= 0x80) { /* LZMA chunk, new properties from 0xC0 */
            if (*at + 5 > b->size)
                return 0;
            header = control >= 0xC0 ? 6 : 5;
            packed = ((size_t)tiffAt(b, *at + 3) << 8 | tiffAt(b, *at + 4)) + 1;
        } else {
            return 0;
        }
        *at += header + packed;
    }
}

/* The largest dictionary any block of an xz stream asks LZMA2 for: liblzma
 * allocates it whole as the block begins, however little the block holds,
 * and libtiff sets it no memory limit. Walks the blocks as liblzma does and
 * stops where liblzma would: at the index, at the end of the data, at
 * anything it refuses. */
static uint64_t xzLargestDictionary(const TiffBytes *b)
{
    static const uint8_t magic[6] = {0xFD, '7', 'z', 'X', 'Z', 0};
    static const uint8_t check_size[16] = {0, 4, 4, 4, 8, 8, 8, 16, 16, 16, 32, 32, 32, 64, 64, 64};
    if (b->size < 12)
        return 0;
    for (size_t i = 0; i < sizeof magic; ++i)
        if (tiffAt(b, i) != magic[i])
            return 0;
    const unsigned check = check_size[tiffAt(b, 7) & 0x0Fu];
    uint64_t largest = 0;
    size_t at = 12;
    while (at < b->size) {
        const size_t block = at;
        const unsigned size_byte = tiffAt(b, block);
        const size_t header_end = block + ((size_t)size_byte + 1) * 4;
        if (size_byte == 0 || header_end > b->size) /* the index, or a header cut short */
            break;
        const unsigned flags = tiffAt(b, block + 1);
        uint64_t value;
        at = block + 2;
        if ((flags & 0x40u) && !xzNumber(b, header_end, &at, &value))
            break;
        if ((flags & 0x80u) && !xzNumber(b, header_end, &at, &value))
            break;
        int lzma2 = 0;
        for (unsigned filter = 0; filter <= (flags & 3u); ++filter) {
            uint64_t id, properties;
            if (!xzNumber(b, header_end, &at, &id) || !xzNumber(b, header_end, &at, &properties) ||
                properties > header_end - at)
                return largest;
            if (id == 0x21 && properties == 1) {
                const unsigned d = tiffAt(b, at);
                const uint64_t dictionary =
                    d >= 40 ? UINT32_MAX : (uint64_t)(2u | (d & 1u)) << (d / 2 + 11);
                if (dictionary > largest)
                    largest = dictionary;
                lzma2 = 1;
            }
            at += (size_t)properties;
        }
        at = header_end;
        if (!lzma2 || !xzSkipChunks(b, &at))
            break;
        at = block + (at - block + 3) / 4 * 4 + check; /* padding to four bytes, the check */
    }
    return largest;
}

/* The frame size a JPEG stream declares, read as libjpeg reads markers up to
 * the first scan (skipping stray bytes, fill bytes and stuffed zeros); 0
 * where there is none before libjpeg would stop. */
static int jpegFrame(const uint8_t *p, size_t n, uint32_t *width, uint32_t *height)
{
    if (n < 2 || p[0] != 0xFF || p[1] != 0xD8)
        return 0;
    size_t at = 2;
    for (;;) {
        while (at < n && p[at] != 0xFF)
            ++at;
        while (at < n && p[at] == 0xFF)
            ++at;
        if (at >= n)
            return 0;
        const unsigned marker = p[at++];
        if (marker == 0 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01)
            continue;
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2 || marker == 0xC9 ||
            marker == 0xCA) { /* the frames libjpeg decodes */
            if (at + 7 > n)
                return 0;
            *height = (uint32_t)p[at + 3] << 8 | p[at + 4];
            *width = (uint32_t)p[at + 5] << 8 | p[at + 6];
            return 1;
        }
        if (marker == 0xD8 || marker == 0xD9 || marker == 0xDA ||
            (marker >= 0xC3 && marker <= 0xCF && marker != 0xC4 && marker != 0xCC))
            return 0; /* libjpeg fails here, or meets the scan without a frame */
        if (at + 2 > n)
            return 0;
        at += (size_t)p[at] << 8 | p[at + 1];
    }
}

/* Sides a tile may have around a picture side: whole tiles of the usual
 * sizes, or the side rounded up to whole 16. */
static uint64_t tiffTileRoom(uint32_t side)
{
    const uint64_t rounded = ((uint64_t)side + 15) / 16 * 16;
    return rounded > SPI_MAX_TILE_SIDE ? rounded : SPI_MAX_TILE_SIDE;
}

/* Refuses what would let a small file make libtiff or a codec library under
 * it allocate out of proportion to the picture, before either allocates:
 * samples no colour needs, tiles far larger than the picture, and inner
 * headers that disagree with the picture (libjbig and libjpeg size their
 * buffers by the codestream's own header, liblzma by its dictionary). */
static int tiffCheckClaims(TIFF *tif, const TiffSource *src, uint32_t width, uint32_t height)
{
    uint16_t samples = 1, bits = 1, compression = COMPRESSION_NONE, fill = FILLORDER_MSB2LSB;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_FILLORDER, &fill);
    if ((uint64_t)samples * bits > 8 * SPI_MAX_STORED_PIXEL_BYTES)
        return SPI_NO_MEMORY;
    const int tiled = TIFFIsTiled(tif);
    uint32_t segment_width = width, segment_height = height;
    if (tiled) {
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &segment_width);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &segment_height);
        if (segment_width > tiffTileRoom(width) || segment_height > tiffTileRoom(height))
            return SPI_NO_MEMORY;
    } else {
        /* libjpeg may be handed one strip of the full strip height past the
         * picture's last row, never more; some writers pad a strip's frame to
         * whole blocks of 16. */
        uint32_t rows = height;
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rows);
        const uint64_t room = ((uint64_t)height + 15) / 16 * 16;
        const uint64_t padded = ((uint64_t)rows + 15) / 16 * 16;
        segment_height = (uint32_t)(padded < room ? padded : room);
        segment_width = (uint32_t)(((uint64_t)width + 15) / 16 * 16);
    }
    if (compression != COMPRESSION_JPEG && compression != COMPRESSION_JBIG &&
        compression != COMPRESSION_LZMA)
        return SPI_ALL_RIGHT;
    const uint32_t count = tiled ? TIFFNumberOfTiles(tif) : TIFFNumberOfStrips(tif);
    const uint64_t decoded = (uint64_t)(tiled ? TIFFTileSize64(tif) : TIFFStripSize64(tif));
    /* libtiff hands JBIG data over bit-reversed where the fill order is the
     * usual one, other codecs' where it is not (JPEG's never). */
    const int reversed = compression == COMPRESSION_JBIG   ? fill == FILLORDER_MSB2LSB
                         : compression == COMPRESSION_LZMA ? fill == FILLORDER_LSB2MSB
                                                           : 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t offset = TIFFGetStrileOffset(tif, i);
        if (offset >= src->size)
            continue; /* nothing there for a codec to read */
        uint64_t size = TIFFGetStrileByteCount(tif, i);
        if (size > src->size - offset)
            size = src->size - offset;
        const TiffBytes bytes = {src->data + offset, (size_t)size, TIFFGetBitRevTable(reversed)};
        if (compression == COMPRESSION_JPEG) {
            uint32_t frame_width, frame_height;
            if (jpegFrame(bytes.data, bytes.size, &frame_width, &frame_height) &&
                (frame_width > segment_width || frame_height > segment_height))
                return SPI_BROKEN_DATA;
        } else if (compression == COMPRESSION_LZMA) {
            const uint64_t dictionary = xzLargestDictionary(&bytes);
            if (dictionary > SPI_MAX_WINDOW_BYTES && dictionary > decoded)
                return SPI_NO_MEMORY;
        } else if (count == 1 && bytes.size >= 20) {
            /* JBIG's image header: planes, then width and height (libtiff
             * decodes one strip only, and only its first plane). */
            const uint32_t planes = tiffAt(&bytes, 2);
            const uint32_t jbig_width = tiffAt(&bytes, 4) << 24 | tiffAt(&bytes, 5) << 16 |
                                        tiffAt(&bytes, 6) << 8 | tiffAt(&bytes, 7);
            const uint32_t jbig_height = tiffAt(&bytes, 8) << 24 | tiffAt(&bytes, 9) << 16 |
                                         tiffAt(&bytes, 10) << 8 | tiffAt(&bytes, 11);
            if (planes != 1 || jbig_width > width || jbig_height > height)
                return SPI_BROKEN_DATA;
        }
    }
    return SPI_ALL_RIGHT;
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

static int tiffPlan(TIFF *tif, const TiffSource *src, TiffPlan *plan, TIFFRGBAImage *rgba,
                    int *rgba_open)
{
    uint16_t samples = 1, format = SAMPLEFORMAT_UINT, compression = COMPRESSION_NONE;
    memset(plan, 0, sizeof *plan);
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &plan->width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &plan->height))
        return SPI_BROKEN_DATA;
    if (plan->width == 0 || plan->height == 0 || plan->width > SPI_MAX_SIDE ||
        plan->height > SPI_MAX_SIDE)
        return SPI_BROKEN_DATA;
    const int claims = tiffCheckClaims(tif, src, plan->width, plan->height);
    if (claims != SPI_ALL_RIGHT)
        return claims;
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &plan->bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    if (!TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &plan->orientation) ||
        plan->orientation < 1 || plan->orientation > 8)
        plan->orientation = ORIENTATION_TOPLEFT;
    plan->samples = samples;
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    const int has_photometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &plan->photometric);
    /* The paths of our own read a row at a time. Tiles, the JPEG codecs
     * (their own colour handling) and JBIG (libtiff decodes it only a whole
     * strip at a time) go through TIFFRGBAImage. */
    const int by_rows = !TIFFIsTiled(tif) && compression != COMPRESSION_JPEG &&
                        compression != COMPRESSION_OJPEG && compression != COMPRESSION_JBIG;
    const int plain_samples = samples == 1 && by_rows;
    const int grey = has_photometric && (plan->photometric == PHOTOMETRIC_MINISBLACK ||
                                         plan->photometric == PHOTOMETRIC_MINISWHITE);
    uint16_t extra_count = 0, *extra = NULL, planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (grey && samples == 2 && plan->bits == 8 && format == SAMPLEFORMAT_UINT && by_rows &&
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
        format == SAMPLEFORMAT_UINT && planar == PLANARCONFIG_CONTIG && by_rows) {
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
    int result = tiffPlan(tif, &src, &plan, &rgba, &rgba_open);
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
