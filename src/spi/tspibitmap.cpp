#include "spi/tspibitmap.h"

#include "pictures/fileformats.h"
#include "pictures/graphicerrors.h"
#include "spi/spimessages.h"
#include "spi/tspigraphic.h"
#include "spi/tspis.h"

#include <QIODevice>
#include <array>
#include <optional>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(TSPIBitmap, TBitmap)

namespace {

bool isBmpName(const QString& fileName) {
    return SPIFileExtension(fileName).toUpper() == QLatin1String(".BMP");
}

// Tries the two classes in order; load is called with each new instance.
template <class LoadFn>
std::unique_ptr<TGraphic> firstThatLoads(const TGraphicClass& pluginClass,
                                         const TGraphicClass& nativeClass, bool nativeFirst,
                                         const TProgressEvent& progress, LoadFn load,
                                         const std::function<void()>& afterFailure) {
    for (const TGraphicClass* cls : nativeFirst ? std::array{&nativeClass, &pluginClass}
                                                : std::array{&pluginClass, &nativeClass}) {
        if (!cls->create) continue;
        std::unique_ptr<TGraphic> graphic = cls->create();
        graphic->SetOnProgress(progress);
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

std::unique_ptr<TGraphic> LoadGraphicFromFile(const TGraphicClass& pluginClass,
                                              const QString& fileName,
                                              const TGraphicClass& nativeClass, bool nativeFirst,
                                              const TProgressEvent& progress) {
    return firstThatLoads(pluginClass, nativeClass, nativeFirst, progress,
                          [&](TGraphic& g) { g.LoadFile(fileName); }, {});
}

std::unique_ptr<TGraphic> LoadGraphicFromStream(const TGraphicClass& pluginClass, QIODevice& stream,
                                                const QString& fileName,
                                                const TGraphicClass& nativeClass, bool nativeFirst,
                                                const TProgressEvent& progress) {
    const qint64 position = stream.pos();
    return firstThatLoads(
        pluginClass, nativeClass, nativeFirst, progress,
        [&](TGraphic& g) {
            if (auto* spi = dynamic_cast<TSPIGraphic*>(&g))
                spi->LoadFromStreamWithName(stream, fileName);
            else
                g.LoadStream(stream);
        },
        [&] { stream.seek(position); });
}

TSPIBitmap::TSPIBitmap()
    : onLoadFromStreamWithName_([this](QIODevice& stream, const QString& fileName) {
          LoadFromStreamWithName(stream, fileName);
      }) {}

TProgressEvent TSPIBitmap::RelayProgress() {
    // The inner graphic's final report is replaced by our own, sent once the bitmap is ours.
    return [this](TGraphic*, TProgressStage stage, quint8 percent, bool redraw, const QRect& r,
                  const QString& message) {
        if (stage != TProgressStage::psEnding) Progress(this, stage, percent, redraw, r, message);
    };
}

void TSPIBitmap::ReportLoaded() {
    Progress(this, TProgressStage::psEnding, 100, true, QRect(0, 0, Width(), Height()),
             QString::fromUtf8(msg::SpiBitmapLoaded));
}

void TSPIBitmap::LoadFile(const QString& fileName) {
    try {
        AdoptGraphic(LoadGraphicFromFile(TSPIGraphic::StaticClass(), fileName,
                                         TBitmap::StaticClass(), isBmpName(fileName),
                                         RelayProgress()));
    } catch (...) {
        ReportLoaded();
        throw;
    }
    ReportLoaded();
}

void TSPIBitmap::LoadStream(QIODevice& stream) { LoadFromStreamWithName(stream, QString()); }

void TSPIBitmap::LoadFromStreamWithName(QIODevice& stream, const QString& fileName) {
    try {
        AdoptGraphic(LoadGraphicFromStream(TSPIGraphic::StaticClass(), stream, fileName,
                                           TBitmap::StaticClass(), isBmpName(fileName),
                                           RelayProgress()));
    } catch (...) {
        ReportLoaded();
        throw;
    }
    ReportLoaded();
}

void TSPIBitmap::AdoptGraphic(std::unique_ptr<TGraphic> graphic) {
    if (!graphic) throw EInvalidGraphic(QString::fromUtf8(msg::SpiCouldNotDecode));
    auto* decoded = dynamic_cast<TSPIGraphic*>(graphic.get());
    if (!decoded) {
        CopyFrom(*graphic);
        return;
    }
    // Only a 16-colour picture brings its colour table along as the bitmap's palette.
    std::optional<QVector<QRgb>> palette;
    if (decoded->Is16Color()) palette = decoded->Palette();
    const std::unique_ptr<TBitmap> bitmap = decoded->ExtractBitmap(TBitmap::StaticClass());
    CopyFrom(*bitmap);
    if (palette) SetPalette(*palette);
}

void TSPIBitmap::CopyFrom(const TGraphic& source) {
    const auto* decoded = dynamic_cast<const TSPIGraphic*>(&source);
    if (!decoded) {
        TBitmap::CopyFrom(source);
        return;
    }
    const std::unique_ptr<TBitmap> bitmap = decoded->ToBitmap(TBitmap::StaticClass());
    TBitmap::CopyFrom(*bitmap);
    if (decoded->Is16Color()) SetPalette(decoded->Palette());
}

TSPIBitmapRegistration::TSPIBitmapRegistration() {
    TSPIs::SetGraphicClass(&TSPIBitmap::StaticClass());
}

TSPIBitmapRegistration::~TSPIBitmapRegistration() {
    UnregisterPictureClass(TSPIBitmap::StaticClass());
}

} // namespace nubivu
