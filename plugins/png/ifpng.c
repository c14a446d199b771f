/* PNG import plug-in on libpng. */
#include "spiplugin.h"

#include <png.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef struct PngJob {
    png_structp png;
    png_infop info;
    const uint8_t *data;
    size_t size;
    size_t pos;
    uint8_t *scratch; /* 2-bit rows, widened to 4 bits once all passes are in */
    int widen;
    png_uint_32 width, height;
    int32_t rows_read; /* rows libpng has handed over, all passes counted */
    int truncated;     /* the data ended before libpng had what it asked for */
    size_t piece;      /* bytes of image data libpng asks for at a time; 0: its own */
} PngJob;

static void pngError(png_structp png, png_const_charp message)
{
    (void)message;
    png_longjmp(png, 1);
}

static void pngWarning(png_structp png, png_const_charp message)
{
    (void)png, (void)message;
}

static void pngSupply(png_structp png, png_bytep out, size_t n)
{
    PngJob *job = png_get_io_ptr(png);
    if (n > job->size - job->pos) {
        job->truncated = 1;
        png_error(png, "truncated");
    }
    memcpy(out, job->data + job->pos, n);
    job->pos += n;
}

/* Chooses the delivered form and sets libpng's transforms for it: palette
 * and grey pictures keep their indices (2 bits widened to 4), everything with
 * an alpha channel or a transparent colour becomes BGRA, the rest BGR. */
static int pngPlan(PngJob *job, int *bit_count)
{
    png_uint_32 width, height;
    int depth, color_type, interlace;
    png_get_IHDR(job->png, job->info, &width, &height, &depth, &color_type, &interlace, NULL, NULL);
    const int transparent = png_get_valid(job->png, job->info, PNG_INFO_tRNS) != 0;
    if (!transparent &&
        (color_type == PNG_COLOR_TYPE_PALETTE || color_type == PNG_COLOR_TYPE_GRAY)) {
        if (depth == 16)
            png_set_scale_16(job->png);
        *bit_count = depth == 2 ? 4 : depth > 8 ? 8 : depth;
    } else {
        png_set_expand(job->png);
        png_set_scale_16(job->png);
        png_set_gray_to_rgb(job->png);
        png_set_bgr(job->png);
        *bit_count = (transparent || (color_type & PNG_COLOR_MASK_ALPHA)) ? 32 : 24;
    }
    return depth == 2 && *bit_count == 4;
}

static void pngPalette(PngJob *job, SpiImage *image)
{
    const int color_type = png_get_color_type(job->png, job->info);
    if (color_type == PNG_COLOR_TYPE_GRAY) {
        const int depth = png_get_bit_depth(job->png, job->info);
        spiImageGrayPalette(image, depth > 8 ? 8 : depth, 0);
        return;
    }
    png_colorp colors = NULL;
    int count = 0;
    if (png_get_PLTE(job->png, job->info, &colors, &count) && colors) {
        for (int i = 0; i < count && i < 256; ++i)
            spiImageSetColor(image, i, colors[i].red, colors[i].green, colors[i].blue);
    }
}

/* Runs under libpng's error jump; everything it allocates hangs off job, so
 * the caller cleans up the same way after success, failure or a stop. */
static void pngWidenRows(PngJob *job, SpiImage *image)
{
    for (png_uint_32 y = 0; y < job->height; ++y)
        spiWiden2To4(job->scratch + (size_t)y * ((job->width + 3) / 4),
                     spiImageRow(image, (int32_t)y), job->width);
}

static int pngRun(PngJob *job, SpiPictureInfo *info, SpiImage *image, SpiProgress *progress)
{
    if (setjmp(png_jmpbuf(job->png))) {
        /* Damaged or cut short: the rows decoded so far are shown, the rest
         * stays blank, as other viewers do. */
        if (!image || !image->bits_handle || job->rows_read == 0)
            return SPI_BROKEN_DATA;
        if (job->widen)
            pngWidenRows(job, image);
        return SPI_ALL_RIGHT;
    }
    png_set_read_fn(job->png, job, pngSupply);
    png_set_user_limits(job->png, SPI_MAX_SIDE, SPI_MAX_SIDE);
    /* Only the pixels are shown: texts, profiles and the other ancillary
     * chunks (each may inflate to megabytes from a few bytes) are passed
     * over unread; tRNS still gives transparency. */
    png_set_keep_unknown_chunks(job->png, PNG_HANDLE_CHUNK_NEVER, NULL, -1);
    if (job->piece)
        png_set_compression_buffer_size(job->png, job->piece);
    png_read_info(job->png, job->info);
    int bit_count = 0;
    const int widen = pngPlan(job, &bit_count);
    const png_uint_32 width = png_get_image_width(job->png, job->info);
    const png_uint_32 height = png_get_image_height(job->png, job->info);
    job->width = width;
    job->height = height;
    const int passes = png_set_interlace_handling(job->png);
    png_read_update_info(job->png, job->info);
    int result = spiImageBegin(info, image, width, height, bit_count);
    if (result != SPI_ALL_RIGHT || info)
        return result;
    if (bit_count <= 8)
        pngPalette(job, image);
    const size_t rowbytes = png_get_rowbytes(job->png, job->info);
    if (widen) {
        if (rowbytes != (width + 3) / 4)
            return SPI_OTHER_ERROR;
        job->scratch = calloc(height, rowbytes);
        if (!job->scratch)
            return SPI_NO_MEMORY;
        job->widen = 1;
    } else if (rowbytes > image->stride) {
        return SPI_OTHER_ERROR;
    }
    const int32_t total = passes * (int32_t)height;
    if (spiProgressStart(progress, total))
        return SPI_ABORT;
    int32_t done = 0;
    for (int pass = 0; pass < passes; ++pass) {
        for (png_uint_32 y = 0; y < height; ++y) {
            png_bytep row =
                widen ? job->scratch + (size_t)y * rowbytes : spiImageRow(image, (int32_t)y);
            png_read_row(job->png, row, NULL);
            job->rows_read++;
            if (spiProgressStep(progress, ++done))
                return SPI_ABORT;
        }
    }
    if (widen)
        pngWidenRows(job, image);
    return SPI_ALL_RIGHT;
}

static int pngDecode(const uint8_t *data, size_t size, SpiPictureInfo *info, SpiImage *image,
                     SpiProgress *progress, size_t piece, int *truncated)
{
    PngJob job;
    memset(&job, 0, sizeof job);
    job.data = data;
    job.size = size;
    job.piece = piece;
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, pngError, pngWarning);
    if (!job.png)
        return SPI_NO_MEMORY;
    job.info = png_create_info_struct(job.png);
    const int result = job.info ? pngRun(&job, info, image, progress) : SPI_NO_MEMORY;
    png_destroy_read_struct(&job.png, &job.info, NULL);
    free(job.scratch);
    *truncated = job.truncated;
    return result;
}

static int pngRead(const uint8_t *data, size_t size, SpiPictureInfo *info, SpiImage *image,
                   SpiProgress *progress)
{
    int truncated = 0;
    const int result = pngDecode(data, size, info, image, progress, 0, &truncated);
    if (!truncated || info || result == SPI_ABORT)
        return result;
    /* Cut short: libpng reads image data in pieces of 8 KB and fails at the
     * first it cannot fill, losing the rows in it. Once more, a byte at a
     * time, to show every row the data holds; only damaged files pay. */
    spiImageFree(image);
    return pngDecode(data, size, info, image, progress, 1, &truncated);
}

static int pngProbe(const uint8_t *head, size_t size)
{
    return size >= 8 && png_sig_cmp(head, 0, 8) == 0;
}

static void pngVersion(char *buf, size_t size)
{
    snprintf(buf, size, "libpng %s", png_get_libpng_ver(NULL));
}

const SpiFormat spiFormat = {
    "Nubivu PNG plug-in", "*.png", "PNG", pngVersion, pngProbe, pngRead,
};
