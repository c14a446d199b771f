/* Decoder plug-in for a made-up picture format, built in several variants
 * (see CMakeLists.txt) that each show one rule of the host.
 *
 * File layout, 16 bytes, little-endian:
 *   0  "NUBITEST"
 *   8  bits per pixel (1, 4, 8 or 24)
 *   9  lie: 0 for honest output, else which lie the LIAR variant tells
 *  10  width (u16)   12  height (u16)   14  seed   15  reserved
 * The pixels are not stored: they follow from x, y and the seed (see
 * nubitest.h, shared with the tests). */
#include "susieplugin.h"

#include "nubitest.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#ifndef KIND
#define KIND SPI_KIND_IMPORT
#endif

static char logText[4096];

static void note(const char *what, intptr_t offset)
{
    size_t used = strlen(logText);
    snprintf(logText + used, sizeof logText - used, "%s@%ld;", what, (long)offset);
}

SPI_EXPORT const char *NubiTestLog(void)
{
    return logText;
}
SPI_EXPORT void NubiTestResetLog(void)
{
    logText[0] = 0;
}

#ifndef NO_PLUGININFO
static const char *const texts[] = {
#ifdef NO_KIND
    "",
#else
    KIND,
#endif
    "Nubivu test plug-in",
#ifdef TEXTS_MULTI
    "*.nbx;*.nby",
    "two patterns",
    "*.nbz;",
    "ends in a semicolon",
    "*.nbq", /* no description: dropped */
#else
    "*.nbt",
    "Nubivu test picture",
#endif
};

int32_t GetPluginInfo(int32_t infono, char *buf, int32_t buflen)
{
    if (infono < 0 || (size_t)infono >= sizeof texts / sizeof texts[0] || !texts[infono][0])
        return 0;
    if (buflen <= 0)
        return 0;
    /* buflen is the buffer's size, its terminating NUL included. */
    size_t n = strlen(texts[infono]);
    if (n > (size_t)buflen - 1)
        n = (size_t)buflen - 1;
    memcpy(buf, texts[infono], n);
    buf[n] = 0;
    return (int32_t)n;
}
#endif

/* Reads the 16-byte header of a file or memory source; 0 when it is not ours. */
static int readHeader(const char *source, intptr_t len, uint32_t flag, NubiHeader *header)
{
    unsigned char raw[NUBI_HEADER_SIZE];
    if (flag == SPI_SOURCE_MEMORY) {
        if (len < NUBI_HEADER_SIZE)
            return 0;
        memcpy(raw, source, NUBI_HEADER_SIZE);
    } else {
        FILE *f = fopen(source, "rb");
        if (!f)
            return 0;
        int ok = fseek(f, (long)len, SEEK_SET) == 0 && fread(raw, 1, sizeof raw, f) == sizeof raw;
        fclose(f);
        if (!ok)
            return 0;
    }
    return nubiParseHeader(raw, header);
}

#ifdef NEEDS_DEPENDENCY
int NubiTestDependency(void);
#endif

int32_t IsSupported(const char *filename, intptr_t probe)
{
    (void)filename;
    note("IsSupported", 0);
#ifdef NEEDS_DEPENDENCY
    if (!NubiTestDependency())
        return 0;
#endif
#ifdef CLAIM_ALL
    (void)probe;
    return 1;
#else
    NubiHeader header;
    int ours = nubiParseHeader((const unsigned char *)probe, &header);
#ifdef WILD
    if (ours && header.lie == NUBI_WILD_PROBE_CRASH)
        abort(); /* a crash the sanitizers leave unreported */
#endif
    return ours;
#endif
}

int32_t GetPictureInfo(const char *source, intptr_t len, uint32_t flag, SpiPictureInfo *info)
{
    note("GetPictureInfo", flag == SPI_SOURCE_FILE ? len : 0);
    NubiHeader h;
    if (!readHeader(source, len, flag, &h))
        return SPI_UNKNOWN_FORMAT;
    memset(info, 0, sizeof *info);
    info->width = h.width;
    info->height = h.height;
    info->color_depth = (int16_t)h.bits;
    info->text_info = LocalAlloc(LPTR, 16);
    if (info->text_info)
        strcpy((char *)LocalLock(info->text_info), "made up");
    return SPI_ALL_RIGHT;
}

static void put32(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

__attribute__((unused)) static int32_t decode(const char *what, const char *source, intptr_t len,
                                              uint32_t flag, HLOCAL *pInfo, HLOCAL *pBits,
                                              SpiProgressCallback progress, intptr_t data,
                                              unsigned seedFlip)
{
    note(what, flag == SPI_SOURCE_FILE ? len : 0);
    NubiHeader h;
    if (!readHeader(source, len, flag, &h))
        return SPI_UNKNOWN_FORMAT;
#ifdef WILD
    if (h.lie == NUBI_WILD_CRASH)
        abort();
    if (h.lie == NUBI_WILD_HANG)
        for (;;)
            sleep(1);
    if (h.lie == NUBI_WILD_EXIT)
        _exit(0);
    if (h.lie == NUBI_WILD_GREEDY) {
        /* As a codec library that trusts a header does: never touched,
         * and the end where the memory is refused. */
        void *claim = malloc((size_t)8 << 30);
        if (!claim)
            abort();
        free(claim);
    }
    if (h.lie == NUBI_WILD_CHATTY) {
        printf("decoding %ux%u\n", h.width, h.height);
        fflush(stdout);
    }
#endif
    h.seed ^= seedFlip;
    uint32_t colors = h.bits <= 8 ? 1u << h.bits : 0;
    uint32_t stride = ((uint32_t)h.bits * h.width + 31) / 32 * 4;
    const unsigned form = h.bits == 32 ? h.form : NUBI_FORM_PLAIN;
    const uint32_t headerSize = form == NUBI_FORM_V4_ALPHA                                 ? 108
                                : form == NUBI_FORM_V5_ALPHA || form == NUBI_FORM_V5_PLAIN ? 124
                                                                                           : 40;
    const uint32_t maskBytes = form == NUBI_FORM_FIELDS ? 12 : 0;
    size_t infoSize = headerSize + maskBytes + 4 * colors, imageSize = (size_t)stride * h.height;
    unsigned lie = 0;
#ifdef LIAR
    lie = h.lie;
#endif
    if (lie == NUBI_LIE_SHORT_INFO)
        infoSize = 20;
    if (lie == NUBI_LIE_SHORT_BITS)
        imageSize -= 1;

    HLOCAL hInfo = LocalAlloc(LHND, infoSize);
    HLOCAL hBits = LocalAlloc(LHND, imageSize);
    if (!hInfo || !hBits) {
        LocalFree(hInfo);
        LocalFree(hBits);
        return SPI_NO_MEMORY;
    }
    unsigned char *bi = LocalLock(hInfo);
    if (infoSize >= 40) {
        put32(bi, headerSize);
        put32(bi + 4, h.width);
        put32(bi + 8, h.height);
        bi[12] = 1;
        bi[14] = (unsigned char)h.bits;
        put32(bi + 20, (uint32_t)imageSize);
        if (form != NUBI_FORM_PLAIN) {
            const int alpha = form == NUBI_FORM_V4_ALPHA || form == NUBI_FORM_V5_ALPHA;
            if (form != NUBI_FORM_V5_PLAIN)
                put32(bi + 16, 3); /* BI_BITFIELDS */
            put32(bi + 40, 0x00FF0000u);
            put32(bi + 44, 0x0000FF00u);
            put32(bi + 48, 0x000000FFu);
            if (headerSize > 40)
                put32(bi + 52, alpha || form == NUBI_FORM_V5_PLAIN ? 0xFF000000u : 0);
        }
        for (uint32_t k = 0; k < colors; ++k)
            put32(bi + headerSize + maskBytes + 4 * k, nubiPaletteEntry(k));
        if (lie == NUBI_LIE_MANY_COLORS)
            put32(bi + 32, 100000);
        if (lie == NUBI_LIE_ZERO_WIDTH)
            put32(bi + 4, 0);
        if (lie == NUBI_LIE_ODD_DEPTH)
            bi[14] = 7;
        if (lie == NUBI_LIE_HUGE_HEIGHT)
            put32(bi + 8, 0x40000000u);
        if (lie == NUBI_LIE_CORE_HEADER)
            put32(bi, 12);
        if (lie == NUBI_LIE_SHORT_V5)
            put32(bi, 124);
        if (lie == NUBI_QUIRK_FEW_COLORS)
            put32(bi + 32, 2);
    }
    LocalUnlock(hInfo);

    unsigned char *bits = LocalLock(hBits);
    for (uint32_t row = 0; row < h.height; ++row) {
        if (progress && progress((int32_t)row, (int32_t)h.height, data)) {
            note("stopped", row);
            LocalUnlock(hBits);
            LocalFree(hInfo);
            LocalFree(hBits);
            return SPI_ABORT;
        }
        if ((size_t)(row + 1) * stride > imageSize)
            break;
        nubiFillRow(&h, h.height - 1 - row, bits + (size_t)row * stride);
    }
    LocalUnlock(hBits);
    if (progress && progress((int32_t)h.height, (int32_t)h.height, data)) {
        LocalFree(hInfo);
        LocalFree(hBits);
        return SPI_ABORT;
    }

    *pInfo = hInfo;
    *pBits = hBits;
#ifdef LIAR
    static unsigned char notOurs[64];
    if (lie == NUBI_LIE_FOREIGN_HANDLE) {
        LocalFree(hBits);
        *pBits = notOurs;
    }
#endif
    return SPI_ALL_RIGHT;
}

#ifndef NO_GETPICTURE
int32_t GetPicture(const char *source, intptr_t len, uint32_t flag, HLOCAL *bitmap_info,
                   HLOCAL *bits, SpiProgressCallback progress, intptr_t data)
{
    return decode("GetPicture", source, len, flag, bitmap_info, bits, progress, data, 0);
}
#endif

#ifdef WITH_PREVIEW
/* The preview differs from the full picture by its seed, so tests can tell them apart. */
int32_t GetPreview(const char *source, intptr_t len, uint32_t flag, HLOCAL *bitmap_info,
                   HLOCAL *bits, SpiProgressCallback progress, intptr_t data)
{
    return decode("GetPreview", source, len, flag, bitmap_info, bits, progress, data,
                  NUBI_PREVIEW_FLIP);
}
#endif

#ifdef WITH_ARCHIVE
/* Archive entry points: required of the kind, never called by the host. */
int32_t GetArchiveInfo(const char *source, intptr_t len, uint32_t flag, HLOCAL *entries)
{
    (void)source;
    (void)len;
    (void)flag;
    (void)entries;
    return SPI_NO_FUNCTION;
}
int32_t GetFileInfo(const char *source, intptr_t len, const char *filename, uint32_t flag,
                    void *entry)
{
    (void)source;
    (void)len;
    (void)filename;
    (void)flag;
    (void)entry;
    return SPI_NO_FUNCTION;
}
int32_t GetFile(const char *source, intptr_t len, char *dest, uint32_t flag,
                SpiProgressCallback progress, intptr_t data)
{
    (void)source;
    (void)len;
    (void)dest;
    (void)flag;
    (void)progress;
    (void)data;
    return SPI_NO_FUNCTION;
}
#endif
