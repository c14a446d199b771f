// Play bench: the slide show played headless through the program's windows
// (file read, JPEG header, decode ahead on the worker thread, stretch into
// the panes, paint), against bare libjpeg decoding of the same files measured
// in the same run. All figures are medians over paired runs; it only prints.
//
//   nubivu_playbench --make-ppm OUT.ppm INDEX
//       a synthetic 1920 x 1080 picture
//   nubivu_playbench DIR LABEL RUNS [--two-core] [--paced ROWS] [--fullscreen]
//       DIR holds row<nnn>_<k|n|a>.jpg. Always: one-core ratios for the panes
//       of a 1024 and of a 1920 screen. --two-core: the speed-up on two cores.
//       --paced: ROWS played at 30 rows a second on two cores (lateness,
//       memory). --fullscreen: the cost of painting rows full screen.
#include "app/applicationsetup.h"
#include "decodefloor.h"
#include "fullscreencost.h"
#include "lessonplayer.h"
#include "pacedplay.h"
#include "pictures/jpegimage.h"
#include "processprobe.h"
#include "stats.h"
#include "syntheticpicture.h"

#include <QApplication>
#include <QDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace playbench;

namespace {

struct Options {
    QString dir;
    QString label;
    int runs = 5;
    bool twoCore = false;
    int pacedRows = 0;
    bool fullScreen = false;
};

constexpr double kPacedSpeed = 30; // rows a second
constexpr int kPacedScreen = 1920;

// Rows of the files in dir, each in pane order: cloud (k), weather map (n),
// rain (a).
std::vector<RowFiles> readRows(const QString& dirPath) {
    const QDir dir(dirPath);
    const QStringList files =
        dir.entryList({QStringLiteral("row*_?.jpg")}, QDir::Files, QDir::Name);
    std::vector<RowFiles> rows(size_t(files.size() / 3));
    // Sorted by name each row comes as _a, _k, _n.
    static const int order[3] = {1, 2, 0};
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t s = 0; s < 3; ++s)
            rows[r][s] = dir.filePath(files[qsizetype(r * 3) + order[s]]);
    return rows;
}

void measureScreen(int width, const std::vector<RowFiles>& rows, const Options& o,
                   const Cores& cores) {
    LessonPlayer player(width);
    player.setRows(rows, int(rows.size()));
    // A play shows rows 2 .. N: the floor decodes the same files.
    QStringList played;
    for (size_t r = 1; r < rows.size(); ++r)
        for (const QString& f : rows[r]) played << f;
    const double perRow = 1.0 / double(rows.size() - 1);

    DecodeFloor floor;
    floor.allocatingMs(played); // both paths warm before the paired runs
    player.playToEnd();
    std::vector<double> allocating, reusing, packed, oneCore, twoCores;
    std::vector<double> ratio, reusingRatio, packedRatio, speedup, pipeline;
    for (int i = 0; i < o.runs; ++i) {
        const double fa = floor.allocatingMs(played);
        const double fr = floor.reusingMs(played);
        const double f24 = floor.allocatingMs(played, DecodeFloor::Rows::Rgb24);
        const double p1 = player.playToEnd();
        allocating.push_back(fa * perRow);
        reusing.push_back(fr * perRow);
        packed.push_back(f24 * perRow);
        oneCore.push_back(p1 * perRow);
        ratio.push_back(fa / p1);
        reusingRatio.push_back(fr / p1);
        packedRatio.push_back(f24 / p1);
        if (o.twoCore) {
            cores.use(2);
            const double p2 = player.playToEnd();
            cores.use(1);
            twoCores.push_back(p2 * perRow);
            speedup.push_back(p1 / p2);
            // Decoding the next row on one core while the other does all
            // the rest: the most two cores can give over one.
            pipeline.push_back(p1 / std::max(fa, p1 - fa));
        }
    }

    const QSize pane = player.paneSize();
    std::printf("  screen %d, panes %dx%d:\n", width, pane.width(), pane.height());
    std::printf("    play  %.2f ms per row on one core", median(oneCore));
    if (o.twoCore) std::printf(", %.2f on two cores", median(twoCores));
    std::printf("\n    floor %.2f ms per row allocating each picture, %.2f reusing one buffer, "
                "%.2f into packed 24-bit rows\n",
                median(allocating), median(reusing), median(packed));
    // The ratio is against the allocating floor: the reader takes fresh
    // memory for every picture, and a reused buffer would hide what its
    // page faults cost.
    std::printf("ratio %.3f floor/ours %s screen %d (allocating floor; reusing floor %.3f; packed "
                "24-bit floor %.3f)\n",
                median(ratio), qPrintable(o.label), width, median(reusingRatio),
                median(packedRatio));
    if (o.twoCore)
        std::printf("two-core speedup %.2f %s screen %d (perfect pipeline of decode-next and "
                    "paint-this: %.2f)\n",
                    median(speedup), qPrintable(o.label), width, median(pipeline));
}

void measurePaced(const std::vector<RowFiles>& rows, const Options& o, const Cores& cores) {
    // Warm from the screen runs before: a list as long as the play, the
    // generated rows over and over.
    LessonPlayer player(kPacedScreen);
    player.setRows(rows, o.pacedRows);
    const int early = std::min(200, o.pacedRows);
    cores.use(2);
    const PacedPlayResult paced = playPaced(player, kPacedSpeed, o.pacedRows, {early, o.pacedRows});
    cores.use(1);
    const auto late = std::count_if(paced.latenessMs.begin(), paced.latenessMs.end(),
                                    [&](double ms) { return ms > paced.slotMs; });
    std::printf("lateness median %.2f ms p99 %.2f ms slot %.2f ms %s screen %d, %zu rows at %g "
                "rows/s on two cores, %td later than one slot\n",
                median(paced.latenessMs), percentile(paced.latenessMs, 0.99), paced.slotMs,
                qPrintable(o.label), kPacedScreen, paced.latenessMs.size(), kPacedSpeed, late);
    if (paced.residentMb.size() == 2)
        std::printf("memory rss after %d rows %.1f MB, after %d rows %.1f MB (peak %.1f MB, "
                    "%.1f MB) %s, decode-ahead on\n",
                    early, paced.residentMb[0], o.pacedRows, paced.residentMb[1], paced.peakMb[0],
                    paced.peakMb[1], qPrintable(o.label));
}

void measureFullScreen(const std::vector<RowFiles>& rows, const Options& o) {
    FullScreenCost cost;
    cost.decodeAndPaintMs(rows); // warm
    std::vector<double> decode, paint, ratio;
    for (int i = 0; i < o.runs; ++i) {
        const double d = cost.decodeMs(rows);
        const double dp = cost.decodeAndPaintMs(rows);
        decode.push_back(d / double(rows.size()));
        paint.push_back(dp / double(rows.size()));
        ratio.push_back(dp / d);
    }
    std::printf("fullscreen paint cost %.3f %s at 1920x1080 on one core (decode %.2f ms, decode "
                "and paint %.2f ms per row)\n",
                median(ratio), qPrintable(o.label), median(decode), median(paint));
}

int usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s DIR LABEL RUNS [--two-core] [--paced ROWS] [--fullscreen]\n"
                 "       %s --make-ppm OUT.ppm INDEX\n",
                 program, program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--make-ppm") == 0)
        return writeSyntheticPpm(argv[2], std::atoi(argv[3]));
    if (argc < 4) return usage(argv[0]);
    Options o;
    o.dir = QString::fromLocal8Bit(argv[1]);
    o.label = QString::fromLocal8Bit(argv[2]);
    o.runs = std::max(1, std::atoi(argv[3]));
    for (int i = 4; i < argc; ++i) {
        if (std::strcmp(argv[i], "--two-core") == 0)
            o.twoCore = true;
        else if (std::strcmp(argv[i], "--fullscreen") == 0)
            o.fullScreen = true;
        else if (std::strcmp(argv[i], "--paced") == 0 && i + 1 < argc)
            o.pacedRows = std::max(0, std::atoi(argv[++i]));
        else
            return usage(argv[0]);
    }

    nubivu::keepPictureMemory(); // as the program does at start
    QApplication app(argc, argv);
    const std::vector<RowFiles> rows = readRows(o.dir);
    if (rows.size() < 2) {
        std::fprintf(stderr, "%s: no rows of row<nnn>_<k|n|a>.jpg\n", argv[1]);
        return 2;
    }
    const Cores cores;
    if (cores.available() < 2 && (o.twoCore || o.pacedRows > 0)) {
        std::printf("only one core: no two-core figures\n");
        o.twoCore = false;
        o.pacedRows = 0;
    }
    // Everything on one core unless said otherwise.
    cores.use(1);

    std::printf("%s: %zu rows of three %dx%d JPEG files, %d paired runs, medians\n",
                qPrintable(o.label), rows.size(), PictureWidth, PictureHeight, o.runs);
    for (int width : {1024, 1920}) measureScreen(width, rows, o, cores);
    if (o.pacedRows > 0) measurePaced(rows, o, cores);
    if (o.fullScreen) measureFullScreen(rows, o);
    return 0;
}
