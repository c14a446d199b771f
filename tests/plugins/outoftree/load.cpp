// Loads a plug-in built outside the tree through the host, as the program
// would, and decodes a 2 x 1 PPM picture with it.
#include "pictures/bitmap.h"
#include "pictures/formatregistry.h"
#include "spi/plugingraphic.h"
#include "spi/pluginmanager.h"

#include <QCoreApplication>
#include <cstdio>

using namespace nubivu;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: outoftreeload PLUGIN.spi PICTURE.ppm\n");
        return 2;
    }
    try {
        FormatRegistry formats;
        PluginManagerOptions options;
        options.skipFaultyLibraries = true;
        PluginManager spis(formats, options);
        spis.search(QString::fromLocal8Bit(argv[1]));
        for (const SkippedPlugin& s : spis.skippedPlugins())
            std::fprintf(stderr, "skipped: %s\n", qPrintable(s.message));
        if (spis.count() != 1 || !dynamic_cast<ImportPlugin*>(spis.items(0))) {
            std::fprintf(stderr, "not loaded as a picture plug-in\n");
            return 1;
        }
        PluginGraphic graphic(&spis);
        graphic.loadFile(QString::fromLocal8Bit(argv[2]));
        const QImage image = graphic.toBitmap(Bitmap::staticClass())->image();
        if (image.size() != QSize(2, 1) || image.pixel(0, 0) != qRgb('A', 'B', 'C') ||
            image.pixel(1, 0) != qRgb('D', 'E', 'F')) {
            std::fprintf(stderr, "wrong picture\n");
            return 1;
        }
    } catch (const ENubivuError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("loaded and decoded\n");
    return 0;
}
