#pragma once
// A JPEG picture over libjpeg: the file is held in memory from loading on, its
// header read at once, its pixels decoded once, when they are first needed.
#include "pictures/tbitmap.h"
#include "pictures/tgraphic.h"

#include <QByteArray>

namespace nubivu {

class TJPEGImage : public TGraphic {
    NUBIVU_GRAPHIC(TJPEGImage)
public:
    // Raises EJPEG "JPEG エラー #n" when libjpeg rejects the header.
    void LoadStream(QIODevice& stream) override;
    // Writes the file as it was read.
    void SaveStream(QIODevice& stream) const override;
    // Stretches the decoded picture to the rectangle. Decoding happens on the
    // first call; an error in the image data is raised from that call only.
    void DrawInto(QPainter& painter, const QRect& rect) override;
    // Scales the pixels once they are decoded; never decodes.
    void PrepareDraw(QSize size) override {
        if (decoded_) bitmap_.PrepareDraw(size);
    }
    void CopyFrom(const TGraphic& source) override;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return data_.isEmpty(); }
    QVector<QRgb> Palette() const override { return bitmap_.Palette(); }

    bool Grayscale() const { return grayscale_; }
    bool ProgressiveEncoding() const { return progressive_; }

    // The decoded picture: 24 bits of colour (held as Format_RGB32, the form
    // that draws fastest), or 8 bits (Format_Indexed8) with a 236-colour palette for
    // grayscale files and on a display of 8 bits or fewer. Decodes on the
    // first call (raising EJPEG once on a data error, keeping what was
    // decoded); later calls return what that decode produced.
    const TBitmap& Bitmap();

    // Whether the display had 8 bits per pixel or fewer when the program
    // started; decides the output depth of every later decode.
    static void SetLowColourDisplay(bool low);
    static bool LowColourDisplay();

private:
    // The process's one display, so one flag for every picture.
    static bool& lowColourSlot();

    void decode();

    QByteArray data_;
    int width_ = 0;
    int height_ = 0;
    bool grayscale_ = false;
    bool progressive_ = false;
    bool decoded_ = false;
    TBitmap bitmap_;
};

// Adds "jpeg" and "jpg" to the picture registry; the program does so at start,
// before any window exists.
void RegisterJpegFormat();
void UnregisterJpegFormat();

} // namespace nubivu
