#pragma once
// A device-independent bitmap read from and written as a BMP file image.
#include "pictures/tgraphic.h"

#include <QImage>

namespace nubivu {

class TBitmap : public TGraphic {
    NUBIVU_GRAPHIC(TBitmap)
public:
    void LoadStream(QIODevice& stream) override;
    void SaveStream(QIODevice& stream) const override;
    void DrawInto(QPainter& painter, const QRect& rect) override;
    void PrepareDraw(QSize size) override;
    void CopyFrom(const TGraphic& source) override;

    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool Empty() const override { return image_.isNull(); }
    QVector<QRgb> Palette() const override { return palette_; }

    // Pixels: Format_Indexed8 for palette pictures; Format_RGB32,
    // Format_RGB888 or an alpha format otherwise.
    const QImage& Image() const { return image_; }
    void SetImage(QImage image, QVector<QRgb> palette = {});
    void SetPalette(QVector<QRgb> palette);
    // Depth of the picture as stored (1, 4, 8, 16, 24 or 32).
    int BitsPerPixel() const { return bitsPerPixel_; }

protected:
    QImage image_;
    QVector<QRgb> palette_;
    int bitsPerPixel_ = 0;

private:
    // The picture as last stretched, drawn again while the pixels stay.
    QImage stretched_;
};

} // namespace nubivu
