#pragma once
// Enhanced metafiles (EMF): the header record and playing the records into a
// drawing state. EMF+ records, carried in comments, are left alone.
#include "pictures/metafile/metabytes.h"

#include <QRectF>
#include <QSizeF>
#include <optional>

class QPainter;

namespace nubivu {

struct EmfInfo {
    qint64 recordsAt = 0;
    quint32 handles = 0;
    QRectF bounds;  // device pixels, inclusive edges
    QRectF frame;   // 0.01 mm, inclusive edges
    QSizeF pxPerMm; // of the recording device
};

// The header of an EMF, or nothing when the data is not one.
std::optional<EmfInfo> readEmfHeader(MetaBytes data);

// The picture's frame in device pixels: what is stretched onto the target.
QRectF emfPictureArea(const EmfInfo& info);

void playEmf(MetaBytes data, const EmfInfo& info, QPainter& painter, const QRectF& target,
             bool clipToTarget);

} // namespace nubivu
