#pragma once
// Smooth scaling of 32-bit pictures, faster than the painter's own for the
// one case the panes need: a whole picture stretched into a rectangle.
#include <QImage>

class QPainter;
class QRect;

namespace nubivu {

// True for the pixel forms the scalers below take: four independent 8-bit
// channels (opaque, or alpha with premultiplied colour), at least 2x2.
bool canScaleSmoothly(const QImage& source);

// Bilinear: each pixel of the result is weighed from the four source pixels
// around its centre, as the painter does with smooth pixmap transforms.
// The source must pass canScaleSmoothly and size must not be empty.
QImage scaledBilinear(const QImage& source, QSize size);

// As scaledBilinear, but a reduction by half or more first averages the
// source over 2x2 blocks until less than half is left, so that thin lines
// and fine detail are averaged in rather than dropped.
QImage scaledSmoothly(const QImage& source, QSize size);

// Draws image stretched into target. A painter asked for smooth transforms,
// with no scaling or rotation of its own, gets a bilinear picture from
// scaledBilinear; any other case is the painter's own drawImage. With a
// cache, a stretched picture of target's size found there is drawn as it
// is, and one made is kept there: the caller empties it when image changes.
void drawStretched(QPainter& painter, const QRect& target, const QImage& image,
                   QImage* cache = nullptr);

} // namespace nubivu
