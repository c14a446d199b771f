#include "pictures/graphicerrors.h"
#include "pictures/tbitmap.h"

#include <QIODevice>
#include <QPainter>

// Placeholder: the reader is not written yet, so every load fails with the class's own message.
namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(TBitmap, TGraphic)
void TBitmap::LoadStream(QIODevice&) { throw EInvalidGraphic(QString::fromUtf8(msg::InvalidBitmap)); }
void TBitmap::SaveStream(QIODevice&) const {}
void TBitmap::DrawInto(QPainter& p, const QRect& r) { p.drawImage(r, image_); }
void TBitmap::CopyFrom(const TGraphic& source) { TGraphic::CopyFrom(source); }
void TBitmap::SetImage(QImage image, QVector<QRgb> palette) {
    image_ = std::move(image);
    palette_ = std::move(palette);
    Changed();
}
void TBitmap::SetPalette(QVector<QRgb> palette) { palette_ = std::move(palette); }


} // namespace nubivu
