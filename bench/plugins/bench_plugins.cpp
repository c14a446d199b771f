// Decoding time of the shipped plug-ins against Qt's own reader of the same
// format, same bytes, same run: median of alternating rounds, and the ratio.
// Usage: bench_plugins [rounds]
#include "susieplugin.h"

#include "../benchstats.h"
#include "../weathermap.h"
#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <dlfcn.h>
#include <gif_lib.h>
#include <vector>

namespace {

using benchstats::median;

struct Case {
    const char* plugin;
    const char* format;
    QString name;
    QByteArray data;
};

QByteArray qtEncode(const QImage& image, const char* format, int quality = -1) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (quality >= 0) writer.setQuality(quality);
    if (!writer.write(image)) return QByteArray();
    return out;
}

int gifAppend(GifFileType* gif, const GifByteType* data, int n) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), n);
    return n;
}

QByteArray gifEncode(const QImage& rgb) {
    const QImage indexed = rgb.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    std::vector<GifColorType> colors(256);
    for (int i = 0; i < indexed.colorCount(); ++i)
        colors[size_t(i)] = {GifByteType(qRed(indexed.color(i))),
                             GifByteType(qGreen(indexed.color(i))),
                             GifByteType(qBlue(indexed.color(i)))};
    ColorMapObject* map = GifMakeMapObject(256, colors.data());
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifAppend, &error);
    EGifPutScreenDesc(gif, indexed.width(), indexed.height(), 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, indexed.width(), indexed.height(), false, nullptr);
    for (int y = 0; y < indexed.height(); ++y)
        EGifPutLine(gif, const_cast<GifPixelType*>(indexed.constScanLine(y)), indexed.width());
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(3, atoi(argv[1])) : 15;
    const QImage map = weatherMap(1280, 960);
    QImage withAlpha = map.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < withAlpha.height(); y += 2)
        for (int x = 0; x < withAlpha.width() / 3; ++x) withAlpha.setPixel(x, y, 0);
    const QList<QByteArray> readable = QImageReader::supportedImageFormats();

    std::vector<Case> cases = {
        {"ifpng", "png", QStringLiteral("PNG 24-bit 1280x960"), qtEncode(map, "png")},
        {"ifpng", "png", QStringLiteral("PNG 8-bit palette"),
         qtEncode(map.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither), "png")},
        {"ifpng", "png", QStringLiteral("PNG with alpha"), qtEncode(withAlpha, "png")},
        {"ifgif", "gif", QStringLiteral("GIF 256 colours 1280x960"), gifEncode(map)},
        {"iftiff", "tiff", QStringLiteral("TIFF RGB LZW"), QByteArray()},
        {"ifwebp", "webp", QStringLiteral("WebP lossy"), QByteArray()},
        {"ifwebp", "webp", QStringLiteral("WebP lossless with alpha"), QByteArray()},
    };
    if (readable.contains("tiff")) {
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "tiff");
        writer.setCompression(1); // LZW
        writer.write(map.convertToFormat(QImage::Format_RGB888));
        cases[4].data = out;
    }
    if (readable.contains("webp")) {
        cases[5].data = qtEncode(map, "webp", 80);
        cases[6].data = qtEncode(withAlpha, "webp", 101); // above 100: lossless
    }

    std::printf("%-28s %10s %10s %7s\n", "picture", "plug-in ms", "Qt ms", "ratio");
    bool allMet = true;
    for (const Case& c : cases) {
        if (c.data.isEmpty() || !readable.contains(c.format)) {
            std::printf("%-28s skipped: Qt has no %s reader here\n", qPrintable(c.name), c.format);
            continue;
        }
        const QByteArray path =
            QCoreApplication::applicationDirPath().toLocal8Bit() + "/../bin/" + c.plugin + ".spi";
        void* handle = dlopen(path.constData(), RTLD_NOW);
        if (!handle) {
            std::printf("%-28s cannot load %s\n", qPrintable(c.name), path.constData());
            return 1;
        }
        auto getPicture = reinterpret_cast<SpiGetPictureFn>(dlsym(handle, "GetPicture"));
        std::vector<double> ours, qt;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            HLOCAL info = nullptr, bits = nullptr;
            const int result = getPicture(c.data.constData(), c.data.size(), SPI_SOURCE_MEMORY,
                                          &info, &bits, nullptr, 0);
            ours.push_back(timer.nsecsElapsed() / 1e6);
            if (result != SPI_ALL_RIGHT) {
                std::printf("%-28s plug-in failed with %d\n", qPrintable(c.name), result);
                return 1;
            }
            LocalFree(info);
            LocalFree(bits);
            timer.restart();
            QBuffer buffer;
            buffer.setData(c.data);
            buffer.open(QIODevice::ReadOnly);
            QImageReader reader(&buffer, c.format);
            const QImage image = reader.read();
            qt.push_back(timer.nsecsElapsed() / 1e6);
            if (image.isNull()) return 1;
        }
        dlclose(handle);
        const double a = median(ours), b = median(qt), ratio = a / b;
        allMet = allMet && ratio <= 1.2;
        std::printf("%-28s %10.2f %10.2f %7.2f%s\n", qPrintable(c.name), a, b, ratio,
                    ratio <= 1.2 ? "" : "  over 1.2");
    }
    std::printf("target (median ratio <= 1.2): %s\n", allMet ? "met" : "NOT met");
    return 0;
}
