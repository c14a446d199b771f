#pragma once
// A Windows metafile (WMF, placeable or plain, or EMF), drawn stretched.
#include "pictures/graphic.h"
#include "pictures/metafile/emfplayer.h"
#include "pictures/metafile/wmfplayer.h"

#include <QByteArray>
#include <QRectF>

namespace nubivu {

class Metafile : public Graphic {
    NUBIVU_GRAPHIC(Metafile)
public:
    void loadStream(QIODevice& stream) override;
    void saveStream(QIODevice& stream) const override;
    void drawInto(QPainter& painter, const QRect& rect) override;

    int width() const override { return width_; }
    int height() const override { return height_; }
    bool empty() const override { return data_.isEmpty(); }
    bool enhanced() const { return emf_.has_value(); }

private:
    MetaBytes bytes() const;

    QByteArray data_;
    std::optional<WmfInfo> wmf_;
    std::optional<EmfInfo> emf_;
    QRectF window_; // WMF: the logical area that fills the picture
    int width_ = 0;
    int height_ = 0;
};

} // namespace nubivu
