// What running a plug-in in the helper process costs, against the same
// plug-in in this process, same bytes, same run (medians of alternating
// rounds):
// - a 1920x1080 PNG decoded along the host's whole path, from the load call
//   to the bitmap a pane draws, with a warm helper;
// - the round trip of one small call (IsSupported);
// - a warm start of the helper: start, load the plug-in, read its texts.
// Usage: bench_helper [rounds]
#include "pictures/formatregistry.h"
#include "spi/helperlibrary.h"
#include "spi/pluginbitmap.h"
#include "spi/pluginlibraryloader.h"
#include "spi/pluginmanager.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "../benchstats.h"
#include "../weathermap.h"

using namespace nubivu;

namespace {

using benchstats::median;

const QString kHelper = QStringLiteral(NUBIVU_RUNTIME_DIR "/nubivu-spihost");

// One manager holding the plug-in, in process or in the helper.
std::unique_ptr<PluginManager> managerFor(FormatRegistry& formats, const QString& plugin,
                                          bool inProcess) {
    PluginManagerOptions options;
    options.macBinary = false;
    options.libraries.thirdPartyInProcess = inProcess;
    options.libraries.helperProgram = kHelper;
    auto spis = std::make_unique<PluginManager>(formats, options);
    spis->search(plugin);
    return spis;
}

double decodeMs(const PluginManager& spis, const QString& file) {
    QElapsedTimer timer;
    timer.start();
    PluginBitmap bitmap(&spis);
    bitmap.loadFile(file);
    if (bitmap.width() != 1920) std::fprintf(stderr, "decode failed\n");
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    QTemporaryDir dir;
    // A copy away from the program's folder counts as a third-party plug-in.
    const QString plugin = dir.filePath(QStringLiteral("ifpng.spi"));
    QFile::copy(QStringLiteral(NUBIVU_RUNTIME_DIR "/ifpng.spi"), plugin);
    const QString picture = dir.filePath(QStringLiteral("map.png"));
    weatherMap(1920, 1080).save(picture, "PNG");
    FormatRegistry formats;

    std::vector<double> inProcess, helper, tripIn, tripHelper, starts;
    char probe[2048] = {};
    QFile head(picture);
    head.open(QIODevice::ReadOnly);
    head.read(probe, sizeof probe);
    const QByteArray name = QFile::encodeName(picture);
    // Only one manager lives at a time: blocks of rounds, in process and in
    // the helper by turns, each after one decode that warms it up.
    for (int block = 0; block < 3; ++block) {
        for (const bool local : {true, false}) {
            const auto spis = managerFor(formats, plugin, local);
            auto& spi = static_cast<ImportPlugin&>(*spis->items(0));
            decodeMs(*spis, picture);
            for (int r = 0; r < (rounds + 2) / 3; ++r) {
                (local ? inProcess : helper).push_back(decodeMs(*spis, picture));
                QElapsedTimer timer;
                timer.start();
                constexpr int calls = 200;
                for (int i = 0; i < calls; ++i)
                    spi.IsSupported(name.constData(), reinterpret_cast<intptr_t>(probe));
                (local ? tripIn : tripHelper).push_back(double(timer.nsecsElapsed()) / 1e3 / calls);
            }
        }
    }
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        const auto started = HelperLibrary::open(HelperCommand{kHelper, {}}, plugin);
        char text[256] = {};
        if (!started || started->GetPluginInfo(1, text, 255) <= 0)
            std::fprintf(stderr, "helper start failed\n");
        starts.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double a = median(inProcess), b = median(helper);
    std::printf("1920x1080 PNG, load call to drawable bitmap (median of %d)\n",
                int(inProcess.size()));
    std::printf(
        "  in process   %8.2f ms\n  helper       %8.2f ms\n  ratio        %8.3f (target <= 1.15)\n",
        a, b, b / a);
    std::printf("IsSupported round trip\n  in process   %8.2f us\n  helper       %8.2f us\n",
                median(tripIn), median(tripHelper));
    std::printf(
        "warm helper start (start, load, one text)\n  helper       %8.2f ms (target < 50)\n",
        median(starts));
    return 0;
}
