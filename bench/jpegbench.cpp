// The picture class's side of the JPEG decode benchmark: load the file as a
// pane does and decode it, as the floor program (jpegfloor.c) does with bare libjpeg.
//
// jpegbench FILE [REPEATS]    ->  prints "median_seconds peak_rss_kb"
// jpegbench --pattern W H OUT ->  writes a W x H test picture as PPM for cjpeg
#include "pictures/jpegimage.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

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
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: jpegbench FILE [REPEATS] | jpegbench --pattern W H OUT.ppm\n");
        return 2;
    }
    const int repeats = argc == 3 ? qMax(1, std::atoi(argv[2])) : 1;
    const QString path = QString::fromLocal8Bit(argv[1]);
    std::vector<double> times;
    unsigned sum = 0;
    for (int i = 0; i < repeats; ++i) {
        const auto start = std::chrono::steady_clock::now();
        JpegImage image;
        image.loadFile(path);
        const QImage& pixels = image.bitmap().image();
        times.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        for (qsizetype k = 0; k < pixels.sizeInBytes(); k += 4096) sum += pixels.constBits()[k];
    }
    std::sort(times.begin(), times.end());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.6f %ld %u\n", times[times.size() / 2], usage.ru_maxrss, sum & 1);
    return 0;
}
