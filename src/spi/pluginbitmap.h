#pragma once
// The bitmap class registered for every extension a picture plug-in declares:
// it tries the native BMP reader and the plug-ins, in an order that depends
// on the extension, and keeps the result as an ordinary bitmap.
#include "pictures/bitmap.h"

#include <memory>

class QIODevice;

namespace nubivu {

class PluginManager;

class PluginBitmap : public Bitmap {
    NUBIVU_GRAPHIC(PluginBitmap)
public:
    // Asks the plug-ins of plugins (none when null: the native reader
    // alone), which must outlive every load; progress hears how each load goes.
    explicit PluginBitmap(const PluginManager* plugins = nullptr, ProgressHandler progress = {});

    void copyFrom(const Graphic& source) override;
    void loadFile(const QString& fileName) override;
    void loadStream(QIODevice& stream) override;
    // Takes over a loaded graphic (null: EInvalidGraphic); the graphic is freed in every case.
    void adoptGraphic(std::unique_ptr<Graphic> graphic);
    void loadFromStreamWithName(QIODevice& stream, const QString& fileName);

private:
    // The first of the native reader and the plug-ins (the native one first
    // when nativeFirst) that loads through load, or null when neither does;
    // afterFailure runs after each failed attempt.
    template <class LoadFn>
    std::unique_ptr<Graphic> firstThatLoads(const QString& fileName, LoadFn load,
                                            const std::function<void()>& afterFailure);
    void reportLoaded();

    const PluginManager* plugins_;
    ProgressHandler progress_;
};

} // namespace nubivu
