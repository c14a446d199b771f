#include "pictures/graphicerrors.h"
#include "pictures/tmetafile.h"

#include <QIODevice>
#include <QPainter>

// Placeholder: the reader is not written yet, so every load fails with the class's own message.
namespace nubivu {

NUBIVU_GRAPHIC_DEFINE(TMetafile, TGraphic)

void TMetafile::LoadStream(QIODevice&) { throw EInvalidGraphic(QString::fromUtf8(msg::InvalidMetafile)); }
void TMetafile::SaveStream(QIODevice&) const {}
void TMetafile::DrawInto(QPainter&, const QRect&) {}

} // namespace nubivu
