/* A complete decoder plug-in for Nubivu: binary Netpbm colour pictures
 * ("P6", 8 bits per sample). Build it against an installed Nubivu with the
 * CMakeLists.txt beside it, or with pkg-config:
 *   cc -shared -fPIC -fvisibility=hidden -o ifppm.spi ifppm.c \
 *      $(pkg-config --cflags --libs nubivu-plugin)                        */
#include <nubivu/susieplugin.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const char* const texts[] = {SPI_KIND_IMPORT, "PPM plug-in example", "*.ppm",
                                    "Netpbm colour picture"};

int32_t GetPluginInfo(int32_t infono, char* buf, int32_t buflen) {
    if (infono < 0 || infono >= 4 || !buf || buflen <= 0) return 0;
    /* buflen counts the terminating NUL. */
    size_t n = strlen(texts[infono]);
    if (n > (size_t)buflen - 1) n = (size_t)buflen - 1;
    memcpy(buf, texts[infono], n);
    buf[n] = '\0';
    return (int32_t)n;
}

int32_t IsSupported(const char* filename, intptr_t probe) {
    (void)filename;
    const unsigned char* head = (const unsigned char*)probe;
    return head && head[0] == 'P' && head[1] == '6' && (head[2] == ' ' || head[2] == '\n');
}

/* The whole source in memory: a file from `len` on, or the host's bytes. */
static unsigned char* load(const char* src, intptr_t len, uint32_t flag, size_t* size) {
    if (flag == SPI_SOURCE_MEMORY) {
        unsigned char* copy = len > 0 ? malloc((size_t)len) : NULL;
        if (copy) memcpy(copy, src, (size_t)len);
        *size = (size_t)len;
        return copy;
    }
    FILE* f = fopen(src, "rb");
    if (!f) return NULL;
    unsigned char* data = NULL;
    long end;
    if (fseek(f, 0, SEEK_END) == 0 && (end = ftell(f)) > len &&
        fseek(f, (long)len, SEEK_SET) == 0) {
        *size = (size_t)(end - len);
        data = malloc(*size);
        if (data && fread(data, 1, *size, f) != *size) {
            free(data);
            data = NULL;
        }
    }
    fclose(f);
    return data;
}

/* Reads "P6 <width> <height> 255" and one blank; the pixels follow. */
static int header(const unsigned char* p, size_t size, int* width, int* height, size_t* pixels) {
    size_t i = 2;
    long v[3];
    if (size < 3 || p[0] != 'P' || p[1] != '6') return SPI_UNKNOWN_FORMAT;
    for (int k = 0; k < 3; ++k) {
        while (i < size && (p[i] == ' ' || p[i] == '\n' || p[i] == '\r' || p[i] == '\t')) ++i;
        v[k] = 0;
        if (i >= size || p[i] < '0' || p[i] > '9') return SPI_BROKEN_DATA;
        while (i < size && p[i] >= '0' && p[i] <= '9' && v[k] < 1000000)
            v[k] = v[k] * 10 + (p[i++] - '0');
    }
    if (v[0] < 1 || v[1] < 1 || v[0] > 65535 || v[1] > 65535 || v[2] != 255 || i >= size)
        return SPI_BROKEN_DATA;
    *width = (int)v[0];
    *height = (int)v[1];
    *pixels = i + 1;
    return size - *pixels < (size_t)v[0] * (size_t)v[1] * 3 ? SPI_BROKEN_DATA : SPI_ALL_RIGHT;
}

int32_t GetPictureInfo(const char* src, intptr_t len, uint32_t flag, SpiPictureInfo* info) {
    size_t size = 0, pixels;
    int width, height;
    unsigned char* data = load(src, len, flag, &size);
    if (!data) return SPI_FILE_READ_ERROR;
    const int result = header(data, size, &width, &height, &pixels);
    free(data);
    if (result != SPI_ALL_RIGHT) return result;
    memset(info, 0, sizeof *info);
    info->width = width;
    info->height = height;
    info->color_depth = 24;
    return SPI_ALL_RIGHT;
}

int32_t GetPicture(const char* src, intptr_t len, uint32_t flag, HLOCAL* bitmap_info, HLOCAL* bits,
                   SpiProgressCallback progress, intptr_t data) {
    size_t size = 0, pixels;
    int width, height;
    unsigned char* file = load(src, len, flag, &size);
    if (!file) return SPI_FILE_READ_ERROR;
    int result = header(file, size, &width, &height, &pixels);
    const size_t stride = ((size_t)width * 3 + 3) & ~(size_t)3;
    HLOCAL info = NULL, rows = NULL;
    if (result == SPI_ALL_RIGHT) {
        info = LocalAlloc(LHND, 40);
        rows = LocalAlloc(LHND, stride * (size_t)height);
        if (!info || !rows) result = SPI_NO_MEMORY;
    }
    if (result == SPI_ALL_RIGHT) {
        /* BITMAPINFOHEADER: size, width, height (positive: bottom-up), 1 plane, 24 bits, BI_RGB. */
        int32_t* h = LocalLock(info);
        h[0] = 40, h[1] = width, h[2] = height;
        ((uint16_t*)h)[6] = 1, ((uint16_t*)h)[7] = 24;
        LocalUnlock(info);
        unsigned char* out = LocalLock(rows);
        for (int y = 0; y < height && result == SPI_ALL_RIGHT; ++y) {
            const unsigned char* in = file + pixels + (size_t)y * (size_t)width * 3;
            unsigned char* row = out + (size_t)(height - 1 - y) * stride;
            for (int x = 0; x < width; ++x) { /* RGB to BGR */
                row[3 * x] = in[3 * x + 2];
                row[3 * x + 1] = in[3 * x + 1];
                row[3 * x + 2] = in[3 * x];
            }
            if (progress && progress(y + 1, height, data)) result = SPI_ABORT;
        }
        LocalUnlock(rows);
    }
    free(file);
    if (result != SPI_ALL_RIGHT) { /* on failure the host frees nothing */
        LocalFree(info);
        LocalFree(rows);
        return result;
    }
    *bitmap_info = info;
    *bits = rows;
    return SPI_ALL_RIGHT;
}

int32_t SpiNubivuInterfaceVersion(void) { return SPI_NUBIVU_INTERFACE_VERSION; }
