#pragma once
// A picture decoded by a plug-in: draws itself, reports its size and
// palette, writes itself out as a BMP file image, and turns into a bitmap.
#include "pictures/tbitmap.h"
#include "pictures/tgraphic.h"
#include "spi/spioutput.h"
#include "spi/tinspiabledata.h"

#include <memory>

namespace nubivu {

class TSPIGraphic : public TGraphic {
    NUBIVU_GRAPHIC(TSPIGraphic)
public:
    TSPIGraphic() = default;
    ~TSPIGraphic() override;

    // Asks the plug-ins; EInvalidGraphic when none decodes the data.
    void LoadFile(const QString& fileName) override;
    void LoadStream(QIODevice& stream) override;
    void LoadFromStreamWithName(QIODevice& stream, const QString& fileName);
    // A BMP file image of the decoded picture.
    void SaveStream(QIODevice& stream) const override;
    void DrawInto(QPainter& painter, const QRect& rect) override;

    bool Empty() const override { return !ableData_ || ableData_->IsEmpty(); }
    // As the decoded header stores them (a negative height for top-down rows).
    int Width() const override { return Layout().width; }
    int Height() const override { return Layout().height; }
    QVector<QRgb> Palette() const override;
    bool Is16Color() const { return Layout().bitsPerPixel == 4; }
    const TDibLayout& Layout() const;

    // A new bitmap of bitmapClass (TBitmap or a subclass) holding the picture.
    std::unique_ptr<TBitmap> ToBitmap(const TGraphicClass& bitmapClass) const;
    // The same, but the plug-in's memory is given back before the bitmap reads the copy.
    std::unique_ptr<TBitmap> ExtractBitmap(const TGraphicClass& bitmapClass);
    void Release();

private:
    void DecodeByPlugins();
    void UpdateInfo() const;
    QByteArray BmpImage() const;
    static std::unique_ptr<TBitmap> NewBitmap(const TGraphicClass& bitmapClass);
    static std::unique_ptr<TBitmap> ReadBitmap(std::unique_ptr<TBitmap> bitmap,
                                               const QByteArray& image);

    std::unique_ptr<TInSPIAbleData> ableData_;
    // Computed once per load.
    mutable TDibLayout layout_;
    mutable QVector<QRgb> palette_;
    mutable bool infoReady_ = false;
    std::unique_ptr<TBitmap> drawn_; // what DrawInto shows, made on first draw
};

} // namespace nubivu
