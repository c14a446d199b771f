// The picture class's side of the JPEG decode benchmark: load the file as a
// pane does and decode it, as the floor program (jpegfloor.c) does with bare libjpeg.
//
// jpegbench FILE              ->  prints "seconds peak_rss_kb"
// jpegbench --pattern W H OUT ->  writes a W x H test picture as PPM for cjpeg
#include "pictures/tjpegimage.h"

#include <QFile>
#include <QRandomGenerator>

#include <chrono>
#include <cstdio>
#include <sys/resource.h>

using namespace nubivu;

namespace {

// Smooth gradients with fine detail and some noise: a photograph's mix of
// easy and hard blocks.
int writePattern(int w, int h, const char* out) {
    QFile f(QString::fromLocal8Bit(out));
    if (!f.open(QIODevice::WriteOnly)) return 1;
    f.write(QStringLiteral("P6\n%1 %2\n255\n").arg(w).arg(h).toLatin1());
    QRandomGenerator noise(7);
    QByteArray row(qsizetype(w) * 3, '\0');
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int n = int(noise.bounded(24)) - 12;
            row[3 * x] = char(qBound(0, x * 255 / w + n, 255));
            row[3 * x + 1] = char(qBound(0, y * 255 / h - n, 255));
            row[3 * x + 2] = char(((x / 13 + y / 11) % 3) * 100 + (x * y) % 50);
        }
        f.write(row);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 5 && QByteArray(argv[1]) == "--pattern")
        return writePattern(std::atoi(argv[2]), std::atoi(argv[3]), argv[4]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: jpegbench FILE | jpegbench --pattern W H OUT.ppm\n");
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    TJPEGImage image;
    image.LoadFile(QString::fromLocal8Bit(argv[1]));
    const TBitmap& bitmap = image.Bitmap();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const QImage& pixels = bitmap.Image();
    unsigned sum = 0;
    for (qsizetype i = 0; i < pixels.sizeInBytes(); i += 4096) sum += pixels.constBits()[i];
    std::printf("%.6f %ld %u\n", seconds, usage.ru_maxrss, sum & 1);
    return 0;
}
