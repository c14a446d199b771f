#pragma once
// The bitmap class registered for every extension a picture plug-in declares:
// it tries the native BMP reader and the plug-ins, in an order that depends
// on the extension, and keeps the result as an ordinary bitmap.
#include "pictures/tbitmap.h"

#include <functional>
#include <memory>

class QIODevice;

namespace nubivu {

using TSPILoadFromStreamWithNameEvent =
    std::function<void(QIODevice& stream, const QString& fileName)>;

class TSPIBitmap : public TBitmap {
    NUBIVU_GRAPHIC(TSPIBitmap)
public:
    TSPIBitmap();

    void CopyFrom(const TGraphic& source) override;
    void LoadFile(const QString& fileName) override;
    void LoadStream(QIODevice& stream) override;
    // Takes over a loaded graphic (null: EInvalidGraphic); the graphic is freed in every case.
    void AdoptGraphic(std::unique_ptr<TGraphic> graphic);
    void LoadFromStreamWithName(QIODevice& stream, const QString& fileName);

    // Loads a stream with a name into this very bitmap; setting it changes nothing.
    TSPILoadFromStreamWithNameEvent OnLoadFromStreamWithName() const {
        return onLoadFromStreamWithName_;
    }
    void SetOnLoadFromStreamWithName(const TSPILoadFromStreamWithNameEvent&) {}

private:
    TProgressEvent RelayProgress();
    void ReportLoaded();

    TSPILoadFromStreamWithNameEvent onLoadFromStreamWithName_;
};

// The first of the two classes (the native one first when nativeFirst) that
// loads the file, or null when neither does.
std::unique_ptr<TGraphic> LoadGraphicFromFile(const TGraphicClass& pluginClass,
                                              const QString& fileName,
                                              const TGraphicClass& nativeClass, bool nativeFirst,
                                              const TProgressEvent& progress);
// The same for a stream; after a failed attempt the stream is back where it stood.
std::unique_ptr<TGraphic> LoadGraphicFromStream(const TGraphicClass& pluginClass, QIODevice& stream,
                                                const QString& fileName,
                                                const TGraphicClass& nativeClass, bool nativeFirst,
                                                const TProgressEvent& progress);

// Makes TSPIBitmap the class plug-in extensions are registered with, for as
// long as it lives; at its end every such registration is removed again.
// The program holds one for its whole run.
class TSPIBitmapRegistration {
public:
    TSPIBitmapRegistration();
    ~TSPIBitmapRegistration();
    TSPIBitmapRegistration(const TSPIBitmapRegistration&) = delete;
    TSPIBitmapRegistration& operator=(const TSPIBitmapRegistration&) = delete;
};

} // namespace nubivu
