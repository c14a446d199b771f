#pragma once
// Windows metafiles (WMF): the header, with or without the placeable header
// in front, and playing the records into a drawing state.
#include "pictures/metafile/metabytes.h"

#include <QRectF>
#include <optional>

class QPainter;

namespace nubivu {

struct WmfInfo {
    qint64 recordsAt = 0;
    quint32 objects = 0; // size of the object table
    bool placeable = false;
    QRectF bounds; // placeable: the bounding box in logical units
    int inch = 0;  // placeable: logical units per inch
    QRectF window; // plain: the window set by the records, empty when none is
};

// The header of a WMF, or nothing when the data is not one.
std::optional<WmfInfo> readWmfHeader(MetaBytes data);

// Plays the records so that `window` (logical units, replaced by the records'
// own window once they set one) fills `target` on the painter.
void playWmf(MetaBytes data, const WmfInfo& info, QPainter& painter, const QRectF& target,
             const QRectF& window, bool clipToTarget);

} // namespace nubivu
