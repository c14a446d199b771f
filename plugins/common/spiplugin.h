/* What the four shipped decoder plug-ins share: the entry points themselves,
 * the source (file or memory) handling, the picture they build and its
 * hand-over as BITMAPINFO + bottom-up pixels in local memory.
 *
 * Each plug-in supplies one SpiFormat named `spiFormat`; the entry points in
 * spiplugin.c do the rest, so every plug-in answers errors, progress and
 * ownership the same way. */
#ifndef NUBIVU_SPIPLUGIN_H
#define NUBIVU_SPIPLUGIN_H

#include <setjmp.h>
#include <stddef.h>
#include <stdint.h>

#include "susieplugin.h"

/* Refused before anything is allocated: a picture a viewer cannot show anyway,
 * and the usual way damaged data asks for gigabytes. */
#define SPI_MAX_SIDE  65535
#define SPI_MAX_BYTES ((size_t)1 << 30)

/* What a decoding library may set aside beside the picture, whatever the
 * picture's size: a compression window or dictionary. zstd refuses larger
 * windows itself; every preset of xz (64 MiB at most) and every level of zstd
 * stays within it. */
#define SPI_MAX_WINDOW_BYTES ((uint64_t)128 << 20)
/* A stored pixel of more bytes is samples no shown colour needs (eight of 32
 * bits, four of 64): such a header only makes a small file claim large
 * buffers. */
#define SPI_MAX_STORED_PIXEL_BYTES 32
/* Tiles may reach past a small picture: up to this side (or the picture's
 * own, rounded up to whole 16), as tiling writers make them. */
#define SPI_MAX_TILE_SIDE 1024

/* A decoded picture: DIB layout (rows bottom-up, padded to 4 bytes),
 * 1, 4 or 8 bits with a colour table, 24-bit BGR, or 32-bit BGRA with
 * straight (not premultiplied) alpha. */
typedef struct SpiImage {
    int32_t width;
    int32_t height;
    int bit_count;
    int palette_size;
    uint8_t palette[256][4]; /* blue, green, red, 0 */
    size_t stride;
    uint8_t *bits; /* locked pixel block while decoding */
    HLOCAL bits_handle;
} SpiImage;

/* The progress callback and its data, checked by the decoders. */
typedef struct SpiProgress {
    SpiProgressCallback callback;
    intptr_t data;
    int32_t total;
    int32_t step;
    int32_t next;
} SpiProgress;

typedef struct SpiFormat {
    const char *title; /* without the library version */
    const char *pattern;
    const char *description;
    /* Writes the library's runtime version text into buf. */
    void (*library_version)(char *buf, size_t size);
    /* Non-zero when the head bytes carry the format's signature. */
    int (*probe)(const uint8_t *head, size_t size);
    /* With info: fills in the size and the bit count decoding would deliver.
     * Otherwise decodes into image (allocated with spiImageAllocate); on
     * failure the caller frees whatever image holds. SPI_* result. */
    int (*read)(const uint8_t *data, size_t size, SpiPictureInfo *info, SpiImage *image,
                SpiProgress *progress);
} SpiFormat;

extern const SpiFormat spiFormat;

/* Allocates the pixel block (zeroed, so anything a damaged picture leaves out
 * is black or transparent) after checking the size limits. SPI_* result. */
int spiImageAllocate(SpiImage *image, int64_t width, int64_t height, int bit_count);
/* Once a decoder knows the picture's size and delivered bit count: answers
 * them into info (GetPictureInfo) or, without info, allocates image. */
int spiImageBegin(SpiPictureInfo *info, SpiImage *image, int64_t width, int64_t height,
                  int bit_count);
/* Frees the pixel block (nothing when there is none). */
void spiImageFree(SpiImage *image);
/* Address of picture row y counted from the top. */
uint8_t *spiImageRow(const SpiImage *image, int32_t y);
/* A grey ramp of 2^depth entries (inverted: white first). */
void spiImageGrayPalette(SpiImage *image, int depth, int inverted);
void spiImageSetColor(SpiImage *image, int index, uint8_t red, uint8_t green, uint8_t blue);
/* The bit count a palette of `entries` colours is delivered in: 1, 4 or 8. */
int spiPaletteBitCount(int entries);
/* Widens a row of 2-bit indices to 4 bits (hosts know no 2-bit DIB). */
void spiWiden2To4(const uint8_t *src, uint8_t *dst, uint32_t width);
/* Stores index v at column x of a 1, 4 or 8-bit row. */
void spiPutIndex(uint8_t *row, int bit_count, int32_t x, unsigned v);

/* Starts counting up to total; then spiProgressStep after each unit of work.
 * Both answer non-zero when the host asked to stop. */
int spiProgressStart(SpiProgress *progress, int32_t total);
int spiProgressStep(SpiProgress *progress, int32_t done);

#endif
