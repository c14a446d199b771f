#pragma once
// A Windows metafile (WMF, placeable or plain, or EMF), drawn stretched.
#include "pictures/tgraphic.h"

#include <QByteArray>

namespace nubivu {

class TMetafile : public TGraphic {
    NUBIVU_GRAPHIC(TMetafile)
public:
    void LoadStream(QIODevice& stream) override;
    void SaveStream(QIODevice& stream) const override;
    void DrawInto(QPainter& painter, const QRect& rect) override;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    bool Empty() const override { return data_.isEmpty(); }

private:
    QByteArray data_;
    int width_ = 0;
    int height_ = 0;
};

} // namespace nubivu
