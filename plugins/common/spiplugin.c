/* The entry points of the shipped decoder plug-ins, on top of each plug-in's
 * SpiFormat. Nothing here knows a picture format. */
#include "spiplugin.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#define BITMAPINFOHEADER_SIZE 40
#define BITMAPV5HEADER_SIZE   124
#define BI_BITFIELDS          3

/* ---- the picture ---------------------------------------------------------- */

int spiImageAllocate(SpiImage *image, int64_t width, int64_t height, int bit_count)
{
    if (width <= 0 || height <= 0 || width > SPI_MAX_SIDE || height > SPI_MAX_SIDE)
        return SPI_BROKEN_DATA;
    if (bit_count != 1 && bit_count != 4 && bit_count != 8 && bit_count != 24 && bit_count != 32)
        return SPI_OTHER_ERROR;
    /* Both sides are at most 65535, so these products fit in 64 bits. */
    const uint64_t stride = (((uint64_t)width * (uint64_t)bit_count + 31) / 32) * 4;
    const uint64_t bytes = stride * (uint64_t)height;
    if (bytes > SPI_MAX_BYTES)
        return SPI_NO_MEMORY;
    HLOCAL handle = LocalAlloc(LHND, (size_t)bytes);
    if (!handle)
        return SPI_NO_MEMORY;
    uint8_t *bits = LocalLock(handle);
    if (!bits) {
        LocalFree(handle);
        return SPI_MEMORY_ERROR;
    }
    image->width = (int32_t)width;
    image->height = (int32_t)height;
    image->bit_count = bit_count;
    image->palette_size = bit_count <= 8 ? 1 << bit_count : 0;
    image->stride = (size_t)stride;
    image->bits = bits;
    image->bits_handle = handle;
    return SPI_ALL_RIGHT;
}

int spiImageBegin(SpiPictureInfo *info, SpiImage *image, int64_t width, int64_t height,
                  int bit_count)
{
    if (!info)
        return spiImageAllocate(image, width, height, bit_count);
    if (width <= 0 || height <= 0 || width > SPI_MAX_SIDE || height > SPI_MAX_SIDE)
        return SPI_BROKEN_DATA;
    info->width = (int32_t)width;
    info->height = (int32_t)height;
    info->color_depth = (int16_t)bit_count;
    return SPI_ALL_RIGHT;
}

uint8_t *spiImageRow(const SpiImage *image, int32_t y)
{
    return image->bits + (size_t)(image->height - 1 - y) * image->stride;
}

void spiImageSetColor(SpiImage *image, int index, uint8_t red, uint8_t green, uint8_t blue)
{
    if (index < 0 || index >= 256)
        return;
    image->palette[index][0] = blue;
    image->palette[index][1] = green;
    image->palette[index][2] = red;
    image->palette[index][3] = 0;
}

void spiImageGrayPalette(SpiImage *image, int depth, int inverted)
{
    const int n = 1 << depth;
    for (int i = 0; i < n; ++i) {
        const uint8_t v = (uint8_t)(i * 255 / (n - 1));
        spiImageSetColor(image, i, inverted ? 255 - v : v, inverted ? 255 - v : v,
                         inverted ? 255 - v : v);
    }
}

int spiPaletteBitCount(int entries)
{
    return entries <= 2 ? 1 : entries <= 16 ? 4 : 8;
}

void spiPutIndex(uint8_t *row, int bit_count, int32_t x, unsigned v)
{
    switch (bit_count) {
    case 1:
        if (v & 1)
            row[x >> 3] |= (uint8_t)(0x80u >> (x & 7));
        else
            row[x >> 3] &= (uint8_t) ~(0x80u >> (x & 7));
        break;
    case 4:
        if (x & 1)
            row[x >> 1] = (uint8_t)((row[x >> 1] & 0xF0u) | (v & 0x0Fu));
        else
            row[x >> 1] = (uint8_t)((row[x >> 1] & 0x0Fu) | ((v & 0x0Fu) << 4));
        break;
    default:
        row[x] = (uint8_t)v;
        break;
    }
}

void spiWiden2To4(const uint8_t *src, uint8_t *dst, uint32_t width)
{
    for (uint32_t x = 0; x < width; ++x)
        spiPutIndex(dst, 4, (int32_t)x, (src[x >> 2] >> (6 - 2 * (x & 3))) & 3u);
}

void spiImageFree(SpiImage *image)
{
    if (image->bits_handle) {
        LocalUnlock(image->bits_handle);
        LocalFree(image->bits_handle);
    }
    image->bits_handle = NULL;
    image->bits = NULL;
}

static void putLe32(uint8_t *p, uint32_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}

static void putLe16(uint8_t *p, uint16_t v)
{
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
}

/* BITMAPINFOHEADER (positive height: bottom-up) followed by the full colour
 * table, so a host that ignores biClrUsed still reads the right colours.
 * 32-bit pictures carry alpha, which a plain 32-bit DIB does not have: they
 * get a BITMAPV5HEADER with BI_BITFIELDS and an alpha mask, as the
 * platform's own bitmaps say so. */
static int imageHandOver(SpiImage *image, HLOCAL *bitmap_info, HLOCAL *bits)
{
    const size_t colors = (size_t)image->palette_size;
    const int alpha = image->bit_count == 32;
    const size_t header = alpha ? BITMAPV5HEADER_SIZE : BITMAPINFOHEADER_SIZE;
    HLOCAL info = LocalAlloc(LHND, header + colors * 4);
    if (!info)
        return SPI_NO_MEMORY;
    uint8_t *p = LocalLock(info);
    if (!p) {
        LocalFree(info);
        return SPI_MEMORY_ERROR;
    }
    putLe32(p, (uint32_t)header);
    putLe32(p + 4, (uint32_t)image->width);
    putLe32(p + 8, (uint32_t)image->height);
    putLe16(p + 12, 1);
    putLe16(p + 14, (uint16_t)image->bit_count);
    putLe32(p + 16, alpha ? BI_BITFIELDS : 0 /* BI_RGB */);
    putLe32(p + 20, (uint32_t)(image->stride * (size_t)image->height));
    putLe32(p + 32, (uint32_t)colors);
    if (alpha) {
        putLe32(p + 40, 0x00FF0000u); /* red, green, blue, alpha masks */
        putLe32(p + 44, 0x0000FF00u);
        putLe32(p + 48, 0x000000FFu);
        putLe32(p + 52, 0xFF000000u);
        putLe32(p + 56, 0x73524742u); /* LCS_sRGB */
        putLe32(p + 108, 4u);         /* LCS_GM_IMAGES */
    }
    memcpy(p + header, image->palette, colors * 4);
    LocalUnlock(info);
    LocalUnlock(image->bits_handle);
    *bitmap_info = info;
    *bits = image->bits_handle;
    image->bits_handle = NULL;
    image->bits = NULL;
    return SPI_ALL_RIGHT;
}

/* ---- progress ------------------------------------------------------------- */

int spiProgressStart(SpiProgress *progress, int32_t total)
{
    progress->total = total > 0 ? total : 1;
    /* About a hundred calls per picture: enough for a progress bar, cheap
     * enough not to show in the decoding time. */
    progress->step = progress->total / 100 > 0 ? progress->total / 100 : 1;
    progress->next = progress->step;
    if (!progress->callback)
        return 0;
    return progress->callback(0, progress->total, progress->data) != 0;
}

int spiProgressStep(SpiProgress *progress, int32_t done)
{
    if (!progress->callback || (done < progress->next && done < progress->total))
        return 0;
    progress->next = done + progress->step;
    return progress->callback(done < progress->total ? done : progress->total, progress->total,
                              progress->data) != 0;
}

/* ---- the source ----------------------------------------------------------- */

typedef struct Source {
    const uint8_t *data;
    size_t size;
    uint8_t *owned;
} Source;

/* Reads the file from `offset` to its end, so the decoders only ever see
 * memory and a file changed under us cannot fault a mapping. */
static int readFile(Source *src, const char *name, intptr_t offset)
{
    if (!name || offset < 0)
        return SPI_FILE_READ_ERROR;
    const int fd = open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return SPI_FILE_READ_ERROR;
    struct stat st;
    int result = SPI_FILE_READ_ERROR;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= (off_t)offset)
        goto done;
    if ((uint64_t)(st.st_size - offset) > SPI_MAX_BYTES) {
        result = SPI_NO_MEMORY;
        goto done;
    }
    const size_t size = (size_t)(st.st_size - offset);
    uint8_t *buffer = malloc(size);
    if (!buffer) {
        result = SPI_NO_MEMORY;
        goto done;
    }
    size_t got = 0;
    while (got < size) {
        const ssize_t n = pread(fd, buffer + got, size - got, (off_t)(offset + (intptr_t)got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += (size_t)n;
    }
    if (got == 0) {
        free(buffer);
        goto done;
    }
    src->data = buffer;
    src->size = got;
    src->owned = buffer;
    result = SPI_ALL_RIGHT;
done:
    close(fd);
    return result;
}

static int sourceOpen(Source *src, const char *source, intptr_t len, uint32_t flag)
{
    memset(src, 0, sizeof *src);
    switch (flag & 7u) {
    case SPI_SOURCE_FILE:
        return readFile(src, source, len);
    case SPI_SOURCE_MEMORY:
        if (!source || len <= 0)
            return SPI_MEMORY_ERROR;
        src->data = (const uint8_t *)source;
        src->size = (size_t)len;
        return SPI_ALL_RIGHT;
    default:
        return SPI_NO_FUNCTION;
    }
}

static void sourceClose(Source *src)
{
    free(src->owned);
    memset(src, 0, sizeof *src);
}

/* ---- the entry points ----------------------------------------------------- */

static int32_t putText(char *buf, int32_t buflen, const char *text)
{
    if (!buf || buflen <= 0)
        return 0;
    size_t n = strlen(text);
    if (n > (size_t)buflen - 1)
        n = (size_t)buflen - 1;
    memcpy(buf, text, n);
    buf[n] = '\0';
    return (int32_t)n;
}

int32_t GetPluginInfo(int32_t infono, char *buf, int32_t buflen)
{
    switch (infono) {
    case 0:
        return putText(buf, buflen, SPI_KIND_IMPORT);
    case 1: {
        char version[64] = "";
        char title[160];
        spiFormat.library_version(version, sizeof version);
        snprintf(title, sizeof title, "%s (%s)", spiFormat.title, version);
        return putText(buf, buflen, title);
    }
    case 2:
        return putText(buf, buflen, spiFormat.pattern);
    case 3:
        return putText(buf, buflen, spiFormat.description);
    default:
        return 0;
    }
}

int32_t SpiNubivuInterfaceVersion(void)
{
    return SPI_NUBIVU_INTERFACE_VERSION;
}

int32_t IsSupported(const char *filename, intptr_t probe)
{
    (void)filename; /* the signature decides, never the name */
    if (!probe)
        return 0;
    return spiFormat.probe((const uint8_t *)probe, SPI_PROBE_SIZE) ? 1 : 0;
}

int32_t GetPictureInfo(const char *source, intptr_t len, uint32_t flag, SpiPictureInfo *info)
{
    if (!info)
        return SPI_OTHER_ERROR;
    memset(info, 0, sizeof *info);
    Source src;
    int result = sourceOpen(&src, source, len, flag);
    if (result != SPI_ALL_RIGHT)
        return result;
    result = spiFormat.probe(src.data, src.size)
                 ? spiFormat.read(src.data, src.size, info, NULL, NULL)
                 : SPI_UNKNOWN_FORMAT;
    sourceClose(&src);
    return result;
}

int32_t GetPicture(const char *source, intptr_t len, uint32_t flag, HLOCAL *bitmap_info,
                   HLOCAL *bits, SpiProgressCallback callback, intptr_t data)
{
    if (!bitmap_info || !bits)
        return SPI_OTHER_ERROR;
    *bitmap_info = NULL;
    *bits = NULL;
    Source src;
    int result = sourceOpen(&src, source, len, flag);
    if (result != SPI_ALL_RIGHT)
        return result;
    SpiImage image;
    memset(&image, 0, sizeof image);
    SpiProgress progress = {callback, data, 0, 0, 0};
    result = spiFormat.probe(src.data, src.size)
                 ? spiFormat.read(src.data, src.size, NULL, &image, &progress)
                 : SPI_UNKNOWN_FORMAT;
    if (result == SPI_ALL_RIGHT && !image.bits_handle)
        result = SPI_OTHER_ERROR;
    if (result == SPI_ALL_RIGHT)
        result = imageHandOver(&image, bitmap_info, bits);
    spiImageFree(&image);
    sourceClose(&src);
    return result;
}

int32_t GetPreview(const char *source, intptr_t len, uint32_t flag, HLOCAL *bitmap_info,
                   HLOCAL *bits, SpiProgressCallback callback, intptr_t data)
{
    (void)source, (void)len, (void)flag, (void)bitmap_info, (void)bits, (void)callback, (void)data;
    return SPI_NO_FUNCTION;
}
