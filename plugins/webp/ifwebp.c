/* WebP import plug-in on libwebp: still pictures, and the first frame of an
 * animation placed on its canvas. */
#include "spiplugin.h"

#include <stdio.h>
#include <string.h>
#include <webp/decode.h>
#include <webp/demux.h>

typedef struct WebpFrame {
    const uint8_t *data; /* the frame's own bitstream */
    size_t size;
    int canvas_width, canvas_height;
    int left, top, width, height;
    int bit_count;
} WebpFrame;

static int webpFirstFrame(const uint8_t *data, size_t size, WebpFrame *frame)
{
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(data, size, &features) != VP8_STATUS_OK)
        return SPI_BROKEN_DATA;
    memset(frame, 0, sizeof *frame);
    if (!features.has_animation) {
        frame->data = data;
        frame->size = size;
        frame->canvas_width = frame->width = features.width;
        frame->canvas_height = frame->height = features.height;
        frame->bit_count = features.has_alpha ? 32 : 24;
        return SPI_ALL_RIGHT;
    }
    const WebPData whole = {data, size};
    WebPDemuxer *demux = WebPDemux(&whole);
    if (!demux)
        return SPI_BROKEN_DATA;
    WebPIterator it;
    int result = SPI_BROKEN_DATA;
    if (WebPDemuxGetFrame(demux, 1, &it)) {
        frame->data = it.fragment.bytes; /* points into `data`, outlives the demuxer */
        frame->size = it.fragment.size;
        frame->canvas_width = (int)WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH);
        frame->canvas_height = (int)WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
        frame->left = it.x_offset;
        frame->top = it.y_offset;
        frame->width = it.width;
        frame->height = it.height;
        const int covers = frame->left == 0 && frame->top == 0 &&
                           frame->width == frame->canvas_width &&
                           frame->height == frame->canvas_height;
        frame->bit_count = (it.has_alpha || !covers) ? 32 : 24;
        /* The demuxer has checked that the frame lies on the canvas. */
        if (frame->width > 0 && frame->height > 0 &&
            frame->left + frame->width <= frame->canvas_width &&
            frame->top + frame->height <= frame->canvas_height)
            result = SPI_ALL_RIGHT;
        WebPDemuxReleaseIterator(&it);
    }
    WebPDemuxDelete(demux);
    return result;
}

/* Decodes in slices of the input so the host sees progress and can stop;
 * libwebp writes straight into the picture, flipped to bottom-up. */
static int webpPaint(const WebpFrame *frame, SpiImage *image, SpiProgress *progress)
{
    const size_t bpp = (size_t)image->bit_count / 8;
    const int bottom = frame->top + frame->height - 1; /* the frame's last row, from the top */
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return SPI_OTHER_ERROR;
    config.options.flip = 1;
    config.output.colorspace = image->bit_count == 32 ? MODE_BGRA : MODE_BGR;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = spiImageRow(image, bottom) + (size_t)frame->left * bpp;
    config.output.u.RGBA.stride = (int)image->stride;
    config.output.u.RGBA.size =
        (size_t)(frame->height - 1) * image->stride + (size_t)frame->width * bpp;
    WebPIDecoder *decoder = WebPIDecode(NULL, 0, &config);
    if (!decoder)
        return SPI_NO_MEMORY;
    int result = spiProgressStart(progress, frame->height) ? SPI_ABORT : SPI_BROKEN_DATA;
    const size_t slice =
        frame->size / 8 > ((size_t)128 << 10) ? frame->size / 8 : (size_t)128 << 10;
    size_t fed = 0;
    while (result == SPI_BROKEN_DATA && fed < frame->size) {
        fed = frame->size - fed > slice ? fed + slice : frame->size;
        const VP8StatusCode status = WebPIUpdate(decoder, frame->data, fed);
        if (status == VP8_STATUS_OK) {
            result = SPI_ALL_RIGHT;
            break;
        }
        if (status != VP8_STATUS_SUSPENDED)
            break;
        int rows = 0;
        if (WebPIDecGetRGB(decoder, &rows, NULL, NULL, NULL) && spiProgressStep(progress, rows))
            result = SPI_ABORT;
    }
    if (result == SPI_ALL_RIGHT && spiProgressStep(progress, frame->height))
        result = SPI_ABORT;
    WebPIDelete(decoder);
    return result;
}

static int webpRead(const uint8_t *data, size_t size, SpiPictureInfo *info, SpiImage *image,
                    SpiProgress *progress)
{
    WebpFrame frame;
    int result = webpFirstFrame(data, size, &frame);
    if (result == SPI_ALL_RIGHT)
        result =
            spiImageBegin(info, image, frame.canvas_width, frame.canvas_height, frame.bit_count);
    if (result == SPI_ALL_RIGHT && !info)
        result = webpPaint(&frame, image, progress);
    return result;
}

static int webpProbe(const uint8_t *head, size_t size)
{
    return size >= 12 && memcmp(head, "RIFF", 4) == 0 && memcmp(head + 8, "WEBP", 4) == 0;
}

static void webpVersion(char *buf, size_t size)
{
    const int version = WebPGetDecoderVersion();
    snprintf(buf, size, "libwebp %d.%d.%d", (version >> 16) & 0xFF, (version >> 8) & 0xFF,
             version & 0xFF);
}

const SpiFormat spiFormat = {
    "Nubivu WebP plug-in", "*.webp", "WebP", webpVersion, webpProbe, webpRead,
};
