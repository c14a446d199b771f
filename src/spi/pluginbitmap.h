#pragma once
// The bitmap class registered for every extension a picture plug-in declares:
// it tries the native BMP reader and the plug-ins, in an order that depends
// on the extension, and keeps the result as an ordinary bitmap.
#include "pictures/bitmap.h"

#include <functional>
#include <memory>

class QIODevice;

namespace nubivu {

using NamedStreamLoader = std::function<void(QIODevice& stream, const QString& fileName)>;

class PluginBitmap : public Bitmap {
    NUBIVU_GRAPHIC(PluginBitmap)
public:
    PluginBitmap();

    void copyFrom(const Graphic& source) override;
    void loadFile(const QString& fileName) override;
    void loadStream(QIODevice& stream) override;
    // Takes over a loaded graphic (null: EInvalidGraphic); the graphic is freed in every case.
    void adoptGraphic(std::unique_ptr<Graphic> graphic);
    void loadFromStreamWithName(QIODevice& stream, const QString& fileName);

    // Loads a stream with a name into this very bitmap; setting it changes nothing.
    NamedStreamLoader onLoadFromStreamWithName() const { return onLoadFromStreamWithName_; }
    void setOnLoadFromStreamWithName(const NamedStreamLoader&) {}

private:
    ProgressHandler relayProgress();
    void reportLoaded();

    NamedStreamLoader onLoadFromStreamWithName_;
};

// The first of the two classes (the native one first when nativeFirst) that
// loads the file, or null when neither does.
std::unique_ptr<Graphic> loadGraphicFromFile(const GraphicClass& pluginClass,
                                             const QString& fileName,
                                             const GraphicClass& nativeClass, bool nativeFirst,
                                             const ProgressHandler& progress);
// The same for a stream; after a failed attempt the stream is back where it stood.
std::unique_ptr<Graphic> loadGraphicFromStream(const GraphicClass& pluginClass, QIODevice& stream,
                                               const QString& fileName,
                                               const GraphicClass& nativeClass, bool nativeFirst,
                                               const ProgressHandler& progress);

// Makes PluginBitmap the class plug-in extensions are registered with, for as
// long as it lives; at its end every such registration is removed again.
// The program holds one for its whole run.
class PluginBitmapRegistration {
public:
    PluginBitmapRegistration();
    ~PluginBitmapRegistration();
    PluginBitmapRegistration(const PluginBitmapRegistration&) = delete;
    PluginBitmapRegistration& operator=(const PluginBitmapRegistration&) = delete;
};

} // namespace nubivu
