/* GIF import plug-in on giflib: the first frame of a picture or an animation,
 * placed on the logical screen. */
#include "spiplugin.h"

#include <gif_lib.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct GifSource {
    const uint8_t *data;
    size_t size;
    size_t pos;
} GifSource;

static int gifSupply(GifFileType *gif, GifByteType *out, int n)
{
    GifSource *src = gif->UserData;
    size_t want = n > 0 ? (size_t)n : 0;
    if (want > src->size - src->pos)
        want = src->size - src->pos;
    memcpy(out, src->data + src->pos, want);
    src->pos += want;
    return (int)want;
}

/* What the first frame needs: its descriptor, colours and transparent index. */
typedef struct GifFrame {
    int left, top, width, height, interlace;
    int canvas_width, canvas_height;
    const ColorMapObject *colors;
    int transparent; /* -1: none */
    int bit_count;
    /* Nothing of the frame is on the screen (zero-sized, or wholly outside):
     * the picture is the screen in its background colour. */
    int blank;
    uint8_t background[3];
} GifFrame;

static int gifResult(int error)
{
    switch (error) {
    case D_GIF_ERR_NOT_GIF_FILE:
        return SPI_UNKNOWN_FORMAT;
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return SPI_NO_MEMORY;
    default:
        return SPI_BROKEN_DATA;
    }
}

/* Skips extensions up to the first image, keeping the graphic control block
 * that belongs to it. */
static int gifFirstFrame(GifFileType *gif, GifFrame *frame)
{
    frame->transparent = -1;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return gifResult(gif->Error);
        if (type == TERMINATE_RECORD_TYPE)
            return SPI_BROKEN_DATA;
        if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType *block = NULL;
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return gifResult(gif->Error);
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4)
                frame->transparent = (block[1] & 1) ? block[4] : -1;
            while (block) {
                if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                    return gifResult(gif->Error);
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE)
            return SPI_BROKEN_DATA;
        if (DGifGetImageDesc(gif) == GIF_ERROR)
            return gifResult(gif->Error);
        break;
    }
    const GifImageDesc *desc = &gif->Image;
    if (desc->Left < 0 || desc->Top < 0 || desc->Width < 0 || desc->Height < 0)
        return SPI_BROKEN_DATA;
    frame->left = desc->Left;
    frame->top = desc->Top;
    frame->width = desc->Width;
    frame->height = desc->Height;
    frame->interlace = desc->Interlace;
    const int screen = gif->SWidth > 0 && gif->SHeight > 0;
    if (frame->width == 0 || frame->height == 0 ||
        (screen && (frame->left >= gif->SWidth || frame->top >= gif->SHeight))) {
        if (!screen)
            return SPI_BROKEN_DATA;
        frame->blank = 1;
        frame->canvas_width = gif->SWidth;
        frame->canvas_height = gif->SHeight;
        const ColorMapObject *map = gif->SColorMap;
        if (map && gif->SBackGroundColor < map->ColorCount) {
            const GifColorType *c = &map->Colors[gif->SBackGroundColor];
            frame->background[0] = c->Red, frame->background[1] = c->Green,
            frame->background[2] = c->Blue;
        }
        frame->bit_count = 24;
        return SPI_ALL_RIGHT;
    }
    /* A frame that sticks out of the screen widens the picture rather than
     * being cut (the sides are 16-bit, so the sums cannot overflow). */
    frame->canvas_width =
        gif->SWidth > frame->left + frame->width ? gif->SWidth : frame->left + frame->width;
    frame->canvas_height =
        gif->SHeight > frame->top + frame->height ? gif->SHeight : frame->top + frame->height;
    frame->colors = desc->ColorMap ? desc->ColorMap : gif->SColorMap;
    const int covers = frame->left == 0 && frame->top == 0 && frame->width == frame->canvas_width &&
                       frame->height == frame->canvas_height;
    const int entries = frame->colors ? frame->colors->ColorCount : 256;
    frame->bit_count = (frame->transparent >= 0 || !covers) ? 32 : spiPaletteBitCount(entries);
    return SPI_ALL_RIGHT;
}

static void gifColor(const GifFrame *frame, int index, uint8_t rgb[3])
{
    if (frame->colors && index < frame->colors->ColorCount) {
        const GifColorType *c = &frame->colors->Colors[index];
        rgb[0] = c->Red, rgb[1] = c->Green, rgb[2] = c->Blue;
    } else if (!frame->colors) {
        rgb[0] = rgb[1] = rgb[2] = (uint8_t)index; /* no colour table at all: grey */
    } else {
        rgb[0] = rgb[1] = rgb[2] = 0;
    }
}

/* Picture row of the n-th line as stored (interlaced: rows 0,8,16.., 4,12..,
 * 2,6.., 1,3..). */
static int gifLineRow(const GifFrame *frame, int n)
{
    if (!frame->interlace)
        return n;
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int lines = (frame->height - start[pass] + step[pass] - 1) / step[pass];
        if (n < lines)
            return start[pass] + n * step[pass];
        n -= lines;
    }
    return 0;
}

static void gifPaintBlank(const GifFrame *frame, SpiImage *image)
{
    for (int y = 0; y < frame->canvas_height; ++y) {
        uint8_t *p = spiImageRow(image, y);
        for (int x = 0; x < frame->canvas_width; ++x, p += 3)
            p[0] = frame->background[2], p[1] = frame->background[1], p[2] = frame->background[0];
    }
}

static int gifPaint(GifFileType *gif, const GifFrame *frame, SpiImage *image, SpiProgress *progress)
{
    if (frame->blank) {
        gifPaintBlank(frame, image);
        return SPI_ALL_RIGHT;
    }
    if (image->bit_count <= 8) {
        for (int i = 0; i < image->palette_size; ++i) {
            uint8_t rgb[3];
            gifColor(frame, i, rgb);
            spiImageSetColor(image, i, rgb[0], rgb[1], rgb[2]);
        }
    }
    GifPixelType *line = malloc((size_t)frame->width);
    if (!line)
        return SPI_NO_MEMORY;
    int result = spiProgressStart(progress, frame->height) ? SPI_ABORT : SPI_ALL_RIGHT;
    for (int n = 0; n < frame->height && result == SPI_ALL_RIGHT; ++n) {
        /* Data that ends early or holds a bad code: the lines decoded so
         * far are shown, as other viewers show them; none is a failure. */
        if (DGifGetLine(gif, line, frame->width) == GIF_ERROR) {
            if (n == 0)
                result = gifResult(gif->Error);
            break;
        }
        uint8_t *row = spiImageRow(image, frame->top + gifLineRow(frame, n));
        if (image->bit_count == 32) {
            uint8_t *p = row + (size_t)frame->left * 4;
            for (int x = 0; x < frame->width; ++x, p += 4) {
                if (line[x] == frame->transparent)
                    continue; /* stays transparent */
                uint8_t rgb[3];
                gifColor(frame, line[x], rgb);
                p[0] = rgb[2], p[1] = rgb[1], p[2] = rgb[0], p[3] = 255;
            }
        } else if (image->bit_count == 8) {
            memcpy(row, line, (size_t)frame->width);
        } else {
            for (int x = 0; x < frame->width; ++x)
                spiPutIndex(row, image->bit_count, x, line[x]);
        }
        if (spiProgressStep(progress, n + 1))
            result = SPI_ABORT;
    }
    free(line);
    return result;
}

static int gifRead(const uint8_t *data, size_t size, SpiPictureInfo *info, SpiImage *image,
                   SpiProgress *progress)
{
    GifSource src = {data, size, 0};
    int error = 0;
    GifFileType *gif = DGifOpen(&src, gifSupply, &error);
    if (!gif)
        return gifResult(error);
    GifFrame frame;
    memset(&frame, 0, sizeof frame);
    int result = gifFirstFrame(gif, &frame);
    if (result == SPI_ALL_RIGHT)
        result =
            spiImageBegin(info, image, frame.canvas_width, frame.canvas_height, frame.bit_count);
    if (result == SPI_ALL_RIGHT && !info)
        result = gifPaint(gif, &frame, image, progress);
    DGifCloseFile(gif, &error);
    return result;
}

static int gifProbe(const uint8_t *head, size_t size)
{
    return size >= 6 && (memcmp(head, "GIF87a", 6) == 0 || memcmp(head, "GIF89a", 6) == 0);
}

static void gifVersion(char *buf, size_t size)
{
    /* giflib has no run-time version query; its ABI is fixed per major version. */
    snprintf(buf, size, "giflib %d.%d.%d", GIFLIB_MAJOR, GIFLIB_MINOR, GIFLIB_RELEASE);
}

const SpiFormat spiFormat = {
    "Nubivu GIF plug-in", "*.gif", "GIF", gifVersion, gifProbe, gifRead,
};
