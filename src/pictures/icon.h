#pragma once
// A Windows icon: one image of the file, drawn at its own size.
#include "pictures/graphic.h"

#include <QImage>

namespace nubivu {

class Icon : public Graphic {
    NUBIVU_GRAPHIC(Icon)
public:
    void loadStream(QIODevice& stream) override;
    void saveStream(QIODevice& stream) const override;
    void drawInto(QPainter& painter, const QRect& rect) override;

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    bool empty() const override { return image_.isNull(); }
    const QImage& image() const { return image_; }

private:
    QImage image_;
    QByteArray data_;
};

} // namespace nubivu
