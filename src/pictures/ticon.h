#pragma once
// A Windows icon: one image of the file, drawn at its own size.
#include "pictures/tgraphic.h"

#include <QImage>

namespace nubivu {

class TIcon : public TGraphic {
    NUBIVU_GRAPHIC(TIcon)
public:
    void LoadStream(QIODevice& stream) override;
    void SaveStream(QIODevice& stream) const override;
    void DrawInto(QPainter& painter, const QRect& rect) override;

    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    bool Empty() const override { return image_.isNull(); }
    const QImage& Image() const { return image_; }

private:
    QImage image_;
    QByteArray data_;
};

} // namespace nubivu
