#include "spi/pluginbitmap.h"

#include "pictures/formatregistry.h"
#include "pictures/graphicerrors.h"
#include "spi/plugingraphic.h"
#include "spi/pluginmanager.h"
#include "spi/spimessages.h"

#include <QIODevice>
#include <array>
#include <optional>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(PluginBitmap, Bitmap)

namespace {

bool isBmpName(const QString& fileName) {
    return spiFileExtension(fileName).toUpper() == QLatin1String(".BMP");
}

// Tries the two classes in order; load is called with each new instance.
template <class LoadFn>
std::unique_ptr<Graphic> firstThatLoads(const GraphicClass& pluginClass,
                                        const GraphicClass& nativeClass, bool nativeFirst,
                                        const ProgressHandler& progress, LoadFn load,
                                        const std::function<void()>& afterFailure) {
    for (const GraphicClass* cls : nativeFirst ? std::array{&nativeClass, &pluginClass}
                                               : std::array{&pluginClass, &nativeClass}) {
        if (!cls->create) continue;
        std::unique_ptr<Graphic> graphic = cls->create();
        graphic->setOnProgress(progress);
        try {
            load(*graphic);
            return graphic;
        } catch (...) {
            // The other class may well read it; this attempt's failure is not reported.
            if (afterFailure) afterFailure();
        }
    }
    return nullptr;
}

} // namespace

std::unique_ptr<Graphic> loadGraphicFromFile(const GraphicClass& pluginClass,
                                             const QString& fileName,
                                             const GraphicClass& nativeClass, bool nativeFirst,
                                             const ProgressHandler& progress) {
    return firstThatLoads(pluginClass, nativeClass, nativeFirst, progress,
                          [&](Graphic& g) { g.loadFile(fileName); }, {});
}

std::unique_ptr<Graphic> loadGraphicFromStream(const GraphicClass& pluginClass, QIODevice& stream,
                                               const QString& fileName,
                                               const GraphicClass& nativeClass, bool nativeFirst,
                                               const ProgressHandler& progress) {
    const qint64 position = stream.pos();
    return firstThatLoads(
        pluginClass, nativeClass, nativeFirst, progress,
        [&](Graphic& g) {
            if (auto* spi = dynamic_cast<PluginGraphic*>(&g))
                spi->loadFromStreamWithName(stream, fileName);
            else
                g.loadStream(stream);
        },
        [&] { stream.seek(position); });
}

PluginBitmap::PluginBitmap()
    : onLoadFromStreamWithName_([this](QIODevice& stream, const QString& fileName) {
          loadFromStreamWithName(stream, fileName);
      }) {}

ProgressHandler PluginBitmap::relayProgress() {
    // The inner graphic's final report is replaced by our own, sent once the bitmap is ours.
    return [this](Graphic*, ProgressStage stage, quint8 percent, bool redraw, const QRect& r,
                  const QString& message) {
        if (stage != ProgressStage::Ending) progress(this, stage, percent, redraw, r, message);
    };
}

void PluginBitmap::reportLoaded() {
    progress(this, ProgressStage::Ending, 100, true, QRect(0, 0, width(), height()),
             QString::fromUtf8(msg::SpiBitmapLoaded));
}

void PluginBitmap::loadFile(const QString& fileName) {
    try {
        adoptGraphic(loadGraphicFromFile(PluginGraphic::staticClass(), fileName,
                                         Bitmap::staticClass(), isBmpName(fileName),
                                         relayProgress()));
    } catch (...) {
        reportLoaded();
        throw;
    }
    reportLoaded();
}

void PluginBitmap::loadStream(QIODevice& stream) { loadFromStreamWithName(stream, QString()); }

void PluginBitmap::loadFromStreamWithName(QIODevice& stream, const QString& fileName) {
    try {
        adoptGraphic(loadGraphicFromStream(PluginGraphic::staticClass(), stream, fileName,
                                           Bitmap::staticClass(), isBmpName(fileName),
                                           relayProgress()));
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

PluginBitmapRegistration::PluginBitmapRegistration() {
    PluginManager::setGraphicClass(&PluginBitmap::staticClass());
}

PluginBitmapRegistration::~PluginBitmapRegistration() {
    unregisterPictureClass(PluginBitmap::staticClass());
}

} // namespace nubivu
