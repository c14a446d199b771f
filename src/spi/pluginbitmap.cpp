#include "spi/pluginbitmap.h"

#include "core/logging.h"
#include "pictures/graphicerrors.h"
#include "spi/plugingraphic.h"
#include "spi/pluginmanager.h"
#include "spi/spimessages.h"

#include <QIODevice>
#include <optional>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(PluginBitmap, Bitmap)

namespace {

bool isBmpName(const QString& fileName) {
    return spiFileExtension(fileName).toUpper() == QLatin1String(".BMP");
}

} // namespace

PluginBitmap::PluginBitmap(const PluginManager* plugins, ProgressHandler progress)
    : plugins_(plugins), progress_(std::move(progress)) {}

template <class LoadFn>
std::unique_ptr<Graphic> PluginBitmap::firstThatLoads(const QString& fileName, LoadFn load,
                                                      const std::function<void()>& afterFailure) {
    const bool nativeFirst = isBmpName(fileName);
    // The inner graphic's final report is replaced by our own, sent once the bitmap is ours.
    ProgressHandler relay = [this](Graphic*, ProgressStage stage, quint8 percent, bool redraw,
                                   const QRect& r, const QString& message) {
        if (stage != ProgressStage::Ending && progress_)
            progress_(this, stage, percent, redraw, r, message);
    };
    for (const bool native : {nativeFirst, !nativeFirst}) {
        std::unique_ptr<Graphic> graphic;
        if (native)
            graphic = std::make_unique<Bitmap>();
        else
            graphic = std::make_unique<PluginGraphic>(plugins_, relay);
        try {
            load(*graphic);
            return graphic;
        } catch (...) {
            // The other one may well read it; this attempt's failure is not reported.
            logCaughtFailure(lcPlugins(), fileName,
                             native ? "not a BMP file" : "no plug-in decoded it");
            if (afterFailure) afterFailure();
        }
    }
    return nullptr;
}

void PluginBitmap::reportLoaded() {
    if (progress_)
        progress_(this, ProgressStage::Ending, 100, true, QRect(0, 0, width(), height()),
                  QString::fromUtf8(msg::SpiBitmapLoaded));
}

void PluginBitmap::loadFile(const QString& fileName) {
    try {
        adoptGraphic(firstThatLoads(fileName, [&](Graphic& g) { g.loadFile(fileName); }, {}));
    } catch (...) {
        reportLoaded();
        throw;
    }
    reportLoaded();
}

void PluginBitmap::loadStream(QIODevice& stream) { loadFromStreamWithName(stream, QString()); }

void PluginBitmap::loadFromStreamWithName(QIODevice& stream, const QString& fileName) {
    // After a failed attempt the stream is back where it stood.
    const qint64 position = stream.pos();
    try {
        adoptGraphic(firstThatLoads(
            fileName,
            [&](Graphic& g) {
                if (auto* spi = dynamic_cast<PluginGraphic*>(&g))
                    spi->loadFromStreamWithName(stream, fileName);
                else
                    g.loadStream(stream);
            },
            [&] { stream.seek(position); }));
    } catch (...) {
        reportLoaded();
        throw;
    }
    reportLoaded();
}

void PluginBitmap::adoptGraphic(std::unique_ptr<Graphic> graphic) {
    if (!graphic) throw EInvalidGraphic(QString::fromUtf8(msg::SpiCouldNotDecode));
    auto* decoded = dynamic_cast<PluginGraphic*>(graphic.get());
    if (!decoded) {
        copyFrom(*graphic);
        return;
    }
    // Only a 16-colour picture brings its colour table along as the bitmap's palette.
    std::optional<QVector<QRgb>> palette;
    if (decoded->is16Color()) palette = decoded->palette();
    const std::unique_ptr<Bitmap> bitmap = decoded->extractBitmap(Bitmap::staticClass());
    copyFrom(*bitmap);
    if (palette) setPalette(*palette);
}

void PluginBitmap::copyFrom(const Graphic& source) {
    const auto* decoded = dynamic_cast<const PluginGraphic*>(&source);
    if (!decoded) {
        Bitmap::copyFrom(source);
        return;
    }
    const std::unique_ptr<Bitmap> bitmap = decoded->toBitmap(Bitmap::staticClass());
    Bitmap::copyFrom(*bitmap);
    if (decoded->is16Color()) setPalette(decoded->palette());
}

} // namespace nubivu
