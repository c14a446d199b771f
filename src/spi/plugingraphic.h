#pragma once
// A picture decoded by a plug-in: draws itself, reports its size and
// palette, writes itself out as a BMP file image, and turns into a bitmap
// read straight from the plug-in's memory.
#include "pictures/bitmap.h"
#include "pictures/graphic.h"
#include "spi/plugindecodejob.h"
#include "spi/spioutput.h"

#include <memory>
#include <optional>

namespace nubivu {

class PluginManager;

class PluginGraphic : public Graphic {
    NUBIVU_GRAPHIC(PluginGraphic)
public:
    // Decodes through the plug-ins of plugins (none when null), which must
    // outlive every load; progress hears how each load goes.
    explicit PluginGraphic(const PluginManager* plugins = nullptr, ProgressHandler progress = {});
    ~PluginGraphic() override;

    // Asks the plug-ins; EInvalidGraphic when none decodes the data.
    void loadFile(const QString& fileName) override;
    void loadStream(QIODevice& stream) override;
    void loadFromStreamWithName(QIODevice& stream, const QString& fileName);
    // A BMP file image of the decoded picture.
    void saveStream(QIODevice& stream) const override;
    void drawInto(QPainter& painter, const QRect& rect) override;

    bool empty() const override { return !ableData_ || ableData_->isEmpty(); }
    // As the decoded header stores them (a negative height for top-down rows).
    int width() const override { return layout().width; }
    int height() const override { return layout().height; }
    QVector<QRgb> palette() const override;
    bool is16Color() const { return layout().bitsPerPixel == 4; }
    const DibLayout& layout() const;

    // A new bitmap of bitmapClass (Bitmap or a subclass) holding the picture.
    std::unique_ptr<Bitmap> toBitmap(const GraphicClass& bitmapClass) const;
    // The same, but the plug-in's memory is given back as soon as the picture is read from it.
    std::unique_ptr<Bitmap> extractBitmap(const GraphicClass& bitmapClass);
    void release();

private:
    void decodeByPlugins();
    void updateInfo() const;
    // The picture as the bitmap reader reads it from the plug-in's memory.
    std::optional<Dib> readPixels() const;
    static std::unique_ptr<Bitmap> newBitmap(const GraphicClass& bitmapClass);

    const PluginManager* plugins_;
    ProgressHandler progress_;
    std::unique_ptr<PluginDecodeJob> ableData_;
    // Computed once per load.
    mutable DibLayout layout_;
    mutable QVector<QRgb> palette_;
    mutable bool infoReady_ = false;
    std::unique_ptr<Bitmap> drawn_; // what drawInto shows, made on first draw
};

} // namespace nubivu
