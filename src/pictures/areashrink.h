#pragma once
// Shrinking a picture by averaging the area each new pixel covers: every
// source pixel counts, so thin lines of a weather map fade instead of
// vanishing, and the cost is one pass over the source.
#include <QImage>

namespace nubivu {

// The picture at size, area-averaged where it shrinks. Opaque 32-bit and
// premultiplied pictures shrunk at most 16 times go through a fixed-point
// path of the program's own; anything else goes through Qt's smooth scaling
// (area-averaged too, bilinear where it enlarges), which is slower.
QImage ShrinkByArea(const QImage& source, QSize size);

} // namespace nubivu
