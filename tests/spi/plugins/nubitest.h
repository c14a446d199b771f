/* The made-up test picture format, shared by the test plug-ins (C) and the
 * tests (C++) that check what they decode. */
#ifndef NUBITEST_H
#define NUBITEST_H

#include <stdint.h>
#include <string.h>

#define NUBI_HEADER_SIZE  16
#define NUBI_PREVIEW_FLIP 0xFFu

enum NubiLie {
    NUBI_LIE_NONE,
    NUBI_LIE_SHORT_BITS,  /* pixel handle one byte short */
    NUBI_LIE_SHORT_INFO,  /* info handle smaller than a header */
    NUBI_LIE_MANY_COLORS, /* colour count far beyond the depth */
    NUBI_LIE_ZERO_WIDTH,
    NUBI_LIE_ODD_DEPTH,      /* 7 bits per pixel */
    NUBI_LIE_HUGE_HEIGHT,    /* sizes far beyond the handles */
    NUBI_LIE_CORE_HEADER,    /* header size 12 */
    NUBI_LIE_FOREIGN_HANDLE, /* pixel handle not from LocalAlloc */
    NUBI_LIE_SHORT_V5,       /* header size 124 in a block made for a 40-byte header */
    NUBI_LIE_COUNT,
    /* Not a lie: a colour count of 2 for a picture that uses more indices. */
    NUBI_QUIRK_FEW_COLORS = 32
};

/* How a 32-bit picture is handed back (byte 15 of the file). */
enum NubiForm {
    NUBI_FORM_PLAIN,    /* 40-byte header, BI_RGB: the fourth byte is no alpha */
    NUBI_FORM_V4_ALPHA, /* 108-byte header, BI_BITFIELDS with an alpha mask */
    NUBI_FORM_V5_ALPHA, /* 124-byte header, BI_BITFIELDS with an alpha mask */
    NUBI_FORM_V5_PLAIN, /* 124-byte header, BI_RGB */
    NUBI_FORM_FIELDS,   /* 40-byte header and three masks, BI_BITFIELDS */
    NUBI_FORM_COUNT
};

/* What the WILD variant does, chosen by the lie byte: the misbehaviour a
 * plug-in run in the helper process may show. */
enum NubiWild {
    NUBI_WILD_CRASH = 0x40,       /* GetPicture crashes */
    NUBI_WILD_HANG = 0x41,        /* GetPicture never returns */
    NUBI_WILD_PROBE_CRASH = 0x42, /* IsSupported crashes */
    NUBI_WILD_CHATTY = 0x43,      /* prints on its standard output while it decodes */
    NUBI_WILD_EXIT = 0x44,        /* GetPicture ends the process quietly */
    NUBI_WILD_GREEDY = 0x45       /* GetPicture asks for 8 GiB, aborting where it gets none */
};

typedef struct NubiHeader {
    unsigned bits, lie, width, height, seed, form;
} NubiHeader;

static inline int nubiParseHeader(const unsigned char *raw, NubiHeader *h)
{
    if (memcmp(raw, "NUBITEST", 8) != 0)
        return 0;
    h->bits = raw[8];
    h->lie = raw[9];
    h->width = raw[10] | (unsigned)raw[11] << 8;
    h->height = raw[12] | (unsigned)raw[13] << 8;
    h->seed = raw[14];
    h->form = raw[15];
    if (h->bits != 1 && h->bits != 4 && h->bits != 8 && h->bits != 24 && h->bits != 32)
        return 0;
    if (h->form >= NUBI_FORM_COUNT)
        return 0;
    return h->width > 0 && h->height > 0;
}

/* Colour table entry k as stored: blue, green, red, reserved (little-endian 0x00RRGGBB). */
static inline uint32_t nubiPaletteEntry(uint32_t k)
{
    return ((k * 37u + 11u) & 255u) << 16 | ((k * 91u + 3u) & 255u) << 8 | ((k * 53u + 7u) & 255u);
}

/* Palette index (1, 4, 8 bits), 0x00RRGGBB colour (24 bits) or 0xAARRGGBB
 * (32 bits) of pixel (x, y), top row y = 0. */
static inline uint32_t nubiPixel(const NubiHeader *h, unsigned x, unsigned y)
{
    if (h->bits == 24 || h->bits == 32) {
        const uint32_t alpha = h->bits == 32 ? ((x * 60u + y * 30u + h->seed) & 255u) << 24 : 0;
        return alpha | ((x * 16u + h->seed) & 255u) << 16 | ((y * 16u) & 255u) << 8 |
               (h->seed & 255u);
    }
    return (x + 2u * y + h->seed) & ((1u << h->bits) - 1u);
}

static inline void nubiFillRow(const NubiHeader *h, unsigned y, unsigned char *row)
{
    unsigned stride = (h->bits * h->width + 31) / 32 * 4;
    memset(row, 0, stride);
    for (unsigned x = 0; x < h->width; ++x) {
        uint32_t v = nubiPixel(h, x, y);
        if (h->bits == 24) {
            row[3 * x] = (unsigned char)v;
            row[3 * x + 1] = (unsigned char)(v >> 8);
            row[3 * x + 2] = (unsigned char)(v >> 16);
        } else if (h->bits == 32) {
            for (unsigned k = 0; k < 4; ++k)
                row[4 * x + k] = (unsigned char)(v >> (8 * k));
        } else {
            unsigned bit = x * h->bits;
            row[bit / 8] |= (unsigned char)(v << (8 - h->bits - bit % 8));
        }
    }
}

#endif
