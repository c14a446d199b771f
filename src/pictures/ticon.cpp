#include "pictures/graphicerrors.h"
#include "pictures/ticon.h"

#include <QIODevice>
#include <QPainter>

// Placeholder: the reader is not written yet, so every load fails with the class's own message.
namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(TIcon, TGraphic)
void TIcon::LoadStream(QIODevice&) { throw EInvalidGraphic(QString::fromUtf8(msg::InvalidIcon)); }
void TIcon::SaveStream(QIODevice&) const {}
void TIcon::DrawInto(QPainter& p, const QRect& r) { p.drawImage(r.topLeft(), image_); }


} // namespace nubivu
