#pragma once
// A device-independent bitmap read from and written as a BMP file image.
#include "pictures/dib.h"
#include "pictures/graphic.h"

#include <QImage>

namespace nubivu {

class Bitmap : public Graphic {
    NUBIVU_GRAPHIC(Bitmap)
public:
    void loadStream(QIODevice& stream) override;
    void saveStream(QIODevice& stream) const override;
    void drawInto(QPainter& painter, const QRect& rect) override;
    void prepareDraw(QSize size) override;
    void copyFrom(const Graphic& source) override;

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    bool empty() const override { return image_.isNull(); }
    QVector<QRgb> palette() const override { return palette_; }

    // Pixels: Format_Indexed8 for palette pictures; Format_RGB32,
    // Format_RGB888 or an alpha format otherwise.
    const QImage& image() const { return image_; }
    void setImage(QImage image, QVector<QRgb> palette = {});
    void setPalette(QVector<QRgb> palette);
    // Takes a decoded DIB as the picture: its pixels, colour table and depth.
    void setDib(Dib dib);
    // Depth of the picture as stored (1, 4, 8, 16, 24 or 32).
    int bitsPerPixel() const { return bitsPerPixel_; }

protected:
    QImage image_;
    QVector<QRgb> palette_;
    int bitsPerPixel_ = 0;

private:
    // The picture as last stretched, drawn again while the pixels stay.
    QImage stretched_;
};

} // namespace nubivu
