#pragma once
// A Windows metafile (WMF, placeable or plain, or EMF), drawn stretched.
#include "pictures/metafile/emfplayer.h"
#include "pictures/metafile/wmfplayer.h"
#include "pictures/tgraphic.h"

#include <QByteArray>
#include <QRectF>

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
    bool Enhanced() const { return emf_.has_value(); }

private:
    MetaBytes Bytes() const;

    QByteArray data_;
    std::optional<WmfInfo> wmf_;
    std::optional<EmfInfo> emf_;
    QRectF window_; // WMF: the logical area that fills the picture
    int width_ = 0;
    int height_ = 0;
};

} // namespace nubivu
