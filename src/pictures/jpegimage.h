#pragma once
// A JPEG picture over libjpeg: the file is held in memory from loading on, its
// header read at once, its pixels decoded once, when they are first needed.
#include "pictures/bitmap.h"
#include "pictures/graphic.h"

#include <QByteArray>

namespace nubivu {

class JpegImage : public Graphic {
    NUBIVU_GRAPHIC(JpegImage)
public:
    // Raises EJPEG "JPEG エラー #n" when libjpeg rejects the header.
    void loadStream(QIODevice& stream) override;
    // Writes the file as it was read.
    void saveStream(QIODevice& stream) const override;
    // Stretches the decoded picture to the rectangle. Decoding happens on the
    // first call; an error in the image data is raised from that call only.
    void drawInto(QPainter& painter, const QRect& rect) override;
    // Scales the pixels once they are decoded; never decodes.
    void prepareDraw(QSize size) override {
        if (decoded_) bitmap_.prepareDraw(size);
    }
    void copyFrom(const Graphic& source) override;

    int width() const override { return width_; }
    int height() const override { return height_; }
    bool empty() const override { return data_.isEmpty(); }
    QVector<QRgb> palette() const override { return bitmap_.palette(); }

    bool grayscale() const { return grayscale_; }
    bool progressiveEncoding() const { return progressive_; }

    // The decoded picture: 24 bits of colour (held as Format_RGB32, the form
    // that draws fastest), or 8 bits (Format_Indexed8) with a 236-colour palette for
    // grayscale files and with the low-colour option. Decodes on the
    // first call (raising EJPEG once on a data error, keeping what was
    // decoded); later calls return what that decode produced.
    const Bitmap& bitmap();

    void setDecodeOptions(const DecodeOptions& options) override { options_ = options; }

private:
    void decode();

    QByteArray data_;
    int width_ = 0;
    int height_ = 0;
    bool grayscale_ = false;
    bool progressive_ = false;
    bool decoded_ = false;
    DecodeOptions options_;
    Bitmap bitmap_;
};

} // namespace nubivu
