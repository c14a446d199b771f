#include "jpegtools.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace nubivu::test {

namespace {

QByteArray run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(120000);
    return p.exitStatus() == QProcess::NormalExit ? p.readAllStandardOutput() : QByteArray();
}

} // namespace

QByteArray makeJpeg(const QImage& image, int quality) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(rgb.width());
    c.image_height = JDIMENSION(rgb.height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, quality, TRUE);
    jpeg_start_compress(&c, TRUE);
    for (int y = 0; y < rgb.height(); ++y) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(y));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    const QByteArray jpeg(reinterpret_cast<const char*>(out), qsizetype(size));
    jpeg_destroy_compress(&c);
    std::free(out);
    return jpeg;
}

bool haveJpegTools() {
    return !QStandardPaths::findExecutable(QStringLiteral("cjpeg")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("djpeg")).isEmpty();
}

QImage testPattern(int width, int height, bool gray) {
    QImage img(width, height, QImage::Format_RGB32);
    QRandomGenerator noise(42);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int r = x * 255 / qMax(1, width - 1);
            int g = y * 255 / qMax(1, height - 1);
            int b = ((x / 7 + y / 5) % 2) ? 220 : 30;
            const int n = int(noise.bounded(40)) - 20;
            r = qBound(0, r + n, 255);
            g = qBound(0, g - n, 255);
            if (gray) r = g = b = qBound(0, (r + g + b) / 3 + n, 255);
            img.setPixel(x, y, qRgb(r, g, b));
        }
    return img;
}

QByteArray cjpeg(const QImage& image, const QStringList& switches, const QTemporaryDir& dir) {
    const QString source = dir.filePath(QStringLiteral("source.ppm"));
    image.save(source, "PPM");
    return run(QStringLiteral("cjpeg"), switches + QStringList{source});
}

QByteArray djpeg(const QByteArray& jpeg, const QStringList& switches, const QTemporaryDir& dir) {
    const QString input = dir.filePath(QStringLiteral("input.jpg"));
    QFile f(input);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(jpeg);
    f.close();
    return run(QStringLiteral("djpeg"), switches + QStringList{QStringLiteral("-bmp"), input});
}

} // namespace nubivu::test
