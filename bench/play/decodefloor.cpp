#include "decodefloor.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace playbench {

namespace {

// Decodes path into the rows rowAt gives once the size is known. The bench's
// own files are sound: libjpeg's default error handling (exit) is enough.
template <typename RowAt> void decodeFile(const QString& path, J_COLOR_SPACE space, RowAt rowAt) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    const QByteArray data = file.readAll();
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.do_block_smoothing = TRUE;
    cinfo.out_color_space = space;
    jpeg_start_decompress(&cinfo);
    auto row = rowAt(int(cinfo.output_width), int(cinfo.output_height));
    // As many rows a call as libjpeg hands out at once, as the reader asks.
    JSAMPROW rows[16];
    while (cinfo.output_scanline < cinfo.output_height) {
        const int first = int(cinfo.output_scanline);
        const int batch =
            std::min({int(cinfo.rec_outbuf_height), 16, int(cinfo.output_height) - first});
        for (int i = 0; i < batch; ++i) rows[i] = row(first + i);
        jpeg_read_scanlines(&cinfo, rows, JDIMENSION(batch));
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

template <typename Decoder> double timeAll(const QStringList& files, Decoder decode) {
    QElapsedTimer clock;
    clock.start();
    for (const QString& f : files) decode(f);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

void DecodeFloor::decodeAllocating(const QString& path, Rows rows) {
    QImage image;
    const bool rgb24 = rows == Rows::Rgb24;
    decodeFile(path, rgb24 ? JCS_RGB : JCS_EXT_BGRA, [&image, rgb24](int width, int height) {
        image = QImage(width, height, rgb24 ? QImage::Format_RGB888 : QImage::Format_RGB32);
        return [&image](int y) { return image.scanLine(y); };
    });
}

void DecodeFloor::decodeReusing(const QString& path) {
    decodeFile(path, JCS_EXT_BGRA, [this](int width, int height) {
        const size_t stride = size_t(width) * 4;
        buffer_.resize(stride * size_t(height));
        return [this, stride](int y) { return &buffer_[stride * size_t(y)]; };
    });
}

double DecodeFloor::allocatingMs(const QStringList& files, Rows rows) {
    return timeAll(files, [this, rows](const QString& f) { decodeAllocating(f, rows); });
}

double DecodeFloor::reusingMs(const QStringList& files) {
    return timeAll(files, [this](const QString& f) { decodeReusing(f); });
}

} // namespace playbench
