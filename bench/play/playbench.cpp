// Play throughput: the slide show played headless from row 1 to the last row
// through the real path (file read, JPEG header, decode on first paint,
// stretch into the pane, paint), against a floor measured in the same run:
// bare libjpeg decoding of the same files with the reader's settings.
//
//   nubivu_playbench --make-ppm OUT.ppm INDEX   a synthetic 1920 x 1080 picture
//   nubivu_playbench DIR [LABEL] [RUNS] [ROWS]  DIR holds row<nnn>_<k|n|a>.jpg;
//                                               ROWS shown for the memory check
#include "app/lessonwindows.h"
#include "app/mainwindow.h"
#include "pictures/tjpegimage.h"
#include "slideshow/slideshow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <memory>
#include <vector>

using namespace nubivu;

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Cloud-like texture: a few octaves of smooth waves plus fine noise, so that
// the JPEG files are about as large as real satellite pictures.
int makePpm(const char* path, int index) {
    std::FILE* out = std::fopen(path, "wb");
    if (!out) return 1;
    std::fprintf(out, "P6\n%d %d\n255\n", kWidth, kHeight);
    std::vector<unsigned char> line(size_t(kWidth) * 3);
    unsigned seed = 2463534242u + unsigned(index) * 7919u;
    const double phase = index * 0.7;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            double v = 0;
            double scale = 1;
            for (int octave = 0; octave < 4; ++octave) {
                const double f = 0.004 * (1 << octave);
                v += scale * std::sin(x * f + phase * (octave + 1)) * std::cos(y * f * 1.3 - phase);
                scale *= 0.5;
            }
            seed ^= seed << 13;
            seed ^= seed >> 17;
            seed ^= seed << 5;
            const int noise = int(seed % 24) - 12;
            const int g = std::clamp(int(128 + 90 * v) + noise, 0, 255);
            unsigned char* p = &line[size_t(x) * 3];
            p[0] = static_cast<unsigned char>(std::clamp(g - 20 + index % 40, 0, 255));
            p[1] = static_cast<unsigned char>(g);
            p[2] = static_cast<unsigned char>(std::clamp(g + 30, 0, 255));
        }
        std::fwrite(line.data(), 1, line.size(), out);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}

// The floor: what decoding the file costs at the least, with the settings of
// the program's reader (full size, float DCT, 32-bit BGRX output).
void decodeBare(const QString& path, std::vector<unsigned char>& pixels) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) std::abort();
    const QByteArray data = file.readAll();
    jpeg_decompress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&cinfo, TRUE);
    cinfo.dct_method = JDCT_FLOAT;
    cinfo.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&cinfo);
    const size_t stride = size_t(cinfo.output_width) * 4;
    pixels.resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = &pixels[stride * cinfo.output_scanline];
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double peakMegabytes() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

// Plays from row 1 to the last row; returns the milliseconds of the play.
double playOnce(MainWindow& window) {
    window.returnToStart(); // row 1, outside the timing
    QElapsedTimer clock;
    clock.start();
    window.play();
    while (window.Slides().Playing())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--make-ppm")
        return makePpm(argv[2], std::atoi(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s DIR [LABEL] [RUNS] [ROWS] | --make-ppm OUT INDEX\n",
                     argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const QString dirPath = QString::fromLocal8Bit(argv[1]);
    const QString label = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("jpeg");
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const int memoryRows = argc > 4 ? std::max(0, std::atoi(argv[4])) : 2000;

    const QDir dir(dirPath);
    const QStringList files =
        dir.entryList({QStringLiteral("row*_?.jpg")}, QDir::Files, QDir::Name);
    const int rows = int(files.size()) / 3;
    if (rows < 2) {
        std::fprintf(stderr, "%s: no rows of row<nnn>_<k|n|a>.jpg\n", argv[1]);
        return 2;
    }

    RegisterJpegFormat();
    auto windows = std::make_unique<LessonWindows>(ScreenMetrics::forWidth(1024));
    MainWindow& mainWindow = windows->mainWindow();
    DataList& list = windows->lesson().rows();
    for (int r = 0; r < rows; ++r) {
        list.AppendNumberedRow();
        for (int s = 0; s < 3; ++s) {
            // entryList sorts row<nnn>_a, _k, _n: put them in pane order k, n, a
            static const int order[3] = {1, 2, 0};
            list.SetCell(s + 1, r + 1, dir.filePath(files[r * 3 + order[s]]));
        }
    }
    mainWindow.show();
    mainWindow.onActivated();

    // The files the play shows: rows 2 .. N.
    QStringList played;
    for (int i = 3; i < rows * 3; ++i) played << dir.filePath(files[i]);
    std::vector<unsigned char> pixels;
    auto floorOnce = [&] {
        QElapsedTimer clock;
        clock.start();
        for (const QString& f : played) decodeBare(f, pixels);
        return double(clock.nsecsElapsed()) / 1e6;
    };

    // Memory first: the peak must not move between 200 and 2,000 rows shown.
    int shown = 0;
    double peak200 = 0;
    while (shown < memoryRows) {
        playOnce(mainWindow);
        shown += rows; // row 1 by return, then rows 2 .. N by play
        if (peak200 == 0 && shown >= 200) peak200 = peakMegabytes();
    }
    const double peak2000 = peakMegabytes();

    floorOnce(); // warm both paths before the paired runs
    playOnce(mainWindow);
    std::vector<double> ours, floor, ratio;
    for (int i = 0; i < runs; ++i) {
        const double f = floorOnce();
        const double o = playOnce(mainWindow);
        floor.push_back(f / (rows - 1));
        ours.push_back(o / (rows - 1));
        ratio.push_back(f / o);
    }
    if (mainWindow.Slides().currentRow() != rows) {
        std::fprintf(stderr, "play ended on row %d of %d\n", mainWindow.Slides().currentRow(),
                     rows);
        return 1;
    }

    std::printf("%s: %d rows of three %dx%d JPEG files, %d paired runs\n", qPrintable(label), rows,
                kWidth, kHeight, runs);
    std::printf("  play  %.2f ms per row (median)\n", median(ours));
    std::printf("  floor %.2f ms per row (bare libjpeg decode, same settings, median)\n",
                median(floor));
    std::printf("ratio %.3f floor/ours %s\n", median(ratio), qPrintable(label));
    std::printf("  peak memory after 200 rows %.1f MB, after %d rows %.1f MB\n", peak200, shown,
                peak2000);
    windows.reset();
    UnregisterJpegFormat();
    return 0;
}
