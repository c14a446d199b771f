/* The floor for the JPEG decode benchmark: the least a program can do to turn
 * a JPEG file into pixels with libjpeg and the picture class's settings (file
 * read whole into memory, floating-point IDCT, block smoothing, full size,
 * colour decoded into opaque 32-bit pixels, as the class keeps them, in one
 * buffer).
 *
 * jpegfloor FILE [REPEATS]  ->  prints "median_seconds peak_rss_kb" */
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <jpeglib.h>

struct error_mgr {
    struct jpeg_error_mgr pub;
    jmp_buf jump;
};

static void on_error(j_common_ptr cinfo) { longjmp(((struct error_mgr*)cinfo->err)->jump, 1); }
static void on_message(j_common_ptr cinfo, int level) {
    (void)cinfo;
    (void)level;
}

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec * 1e-9;
}

static int compare(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* Reads the file and decodes it once; returns the seconds taken, or -1. */
static double decode_once(const char* path, unsigned* sum) {
    const double start = now();
    FILE* f = fopen(path, "rb");
    if (!f) return -1;
    fseek(f, 0, SEEK_END);
    const long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    unsigned char* data = malloc((size_t)size);
    if (!data || fread(data, 1, (size_t)size, f) != (size_t)size) return -1;
    fclose(f);

    struct jpeg_decompress_struct cinfo;
    struct error_mgr err;
    unsigned char* volatile pixels = NULL;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = on_error;
    err.pub.emit_message = on_message;
    if (setjmp(err.jump)) {
        fprintf(stderr, "libjpeg error %d\n", err.pub.msg_code);
        return -1;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, (unsigned long)size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.scale_num = 1;
    cinfo.scale_denom = 1;
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    cinfo.out_color_space = cinfo.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    const size_t stride = (size_t)cinfo.output_width * (size_t)cinfo.output_components;
    pixels = malloc(stride * cinfo.output_height);
    if (!pixels) return -1;
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[16];
        const JDIMENSION first = cinfo.output_scanline;
        JDIMENSION n = cinfo.rec_outbuf_height;
        if (n > 16) n = 16;
        if (n > cinfo.output_height - first) n = cinfo.output_height - first;
        for (JDIMENSION i = 0; i < n; ++i) rows[i] = pixels + stride * (first + i);
        jpeg_read_scanlines(&cinfo, rows, n);
    }
    jpeg_finish_decompress(&cinfo);
    const size_t total = stride * cinfo.output_height;
    jpeg_destroy_decompress(&cinfo);
    const double seconds = now() - start;
    /* Read the pixels, so that nothing is optimised away. */
    for (size_t i = 0; i < total; i += 4096) *sum += pixels[i];
    free(pixels);
    free(data);
    return seconds;
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: jpegfloor FILE [REPEATS]\n");
        return 2;
    }
    const int repeats = argc == 3 && atoi(argv[2]) > 0 ? atoi(argv[2]) : 1;
    double* times = malloc(sizeof(double) * (size_t)repeats);
    unsigned sum = 0;
    for (int i = 0; i < repeats; ++i)
        if ((times[i] = decode_once(argv[1], &sum)) < 0) return 1;
    qsort(times, (size_t)repeats, sizeof(double), compare);
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    printf("%.6f %ld %u\n", times[repeats / 2], usage.ru_maxrss, sum & 1);
    free(times);
    return 0;
}
