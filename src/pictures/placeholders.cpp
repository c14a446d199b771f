// Readers not written yet: every load fails with the class's own message.
#include "pictures/graphicerrors.h"
#include "pictures/tbitmap.h"
#include "pictures/ticon.h"
#include "pictures/tmetafile.h"

#include <QIODevice>
#include <QPainter>

namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(TBitmap, TGraphic)
NUBIVU_GRAPHIC_DEFINE(TIcon, TGraphic)
NUBIVU_GRAPHIC_DEFINE(TMetafile, TGraphic)

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

void TIcon::LoadStream(QIODevice&) { throw EInvalidGraphic(QString::fromUtf8(msg::InvalidIcon)); }
void TIcon::SaveStream(QIODevice&) const {}
void TIcon::DrawInto(QPainter& p, const QRect& r) { p.drawImage(r.topLeft(), image_); }

void TMetafile::LoadStream(QIODevice&) { throw EInvalidGraphic(QString::fromUtf8(msg::InvalidMetafile)); }
void TMetafile::SaveStream(QIODevice&) const {}
void TMetafile::DrawInto(QPainter&, const QRect&) {}

} // namespace nubivu
