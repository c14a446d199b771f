#include "pictures/metafile/metafiledc.h"

#include <QPaintEngine>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <tuple>
#include <utility>

namespace nubivu {

namespace {

// Output coordinates beyond this are a broken mapping, not a drawing; the
// rasteriser's fixed-point arithmetic would not cope with them either.
constexpr double kCoordinateLimit = 4.0e6;
constexpr size_t kMaxSavedStates = 1024;
constexpr double kMaxPenPixels = 10000;
constexpr double kMaxImagePixels = 30000;

QPainterPath rectPath(const QRectF& r) {
    QPainterPath p;
    p.addRect(r.normalized());
    return p;
}

QPainter::CompositionMode rop2Mode(int rop2) {
    switch (rop2) {
    case 4: return QPainter::RasterOp_NotSource;            // R2_NOTCOPYPEN
    case 6: return QPainter::RasterOp_NotDestination;       // R2_NOT
    case 7: return QPainter::RasterOp_SourceXorDestination; // R2_XORPEN
    case 9: return QPainter::RasterOp_SourceAndDestination; // R2_MASKPEN
    case 15: return QPainter::RasterOp_SourceOrDestination; // R2_MERGEPEN
    default: return QPainter::CompositionMode_SourceOver;
    }
}

QPainter::CompositionMode rop3Mode(quint32 rop) {
    switch (rop) {
    case 0x00EE0086: return QPainter::RasterOp_SourceOrDestination;  // SRCPAINT
    case 0x008800C6: return QPainter::RasterOp_SourceAndDestination; // SRCAND
    case 0x00660046: return QPainter::RasterOp_SourceXorDestination; // SRCINVERT
    case 0x00330008: return QPainter::RasterOp_NotSource;            // NOTSRCCOPY
    case 0x005A0049: return QPainter::RasterOp_SourceXorDestination; // PATINVERT
    case 0x00550009: return QPainter::RasterOp_NotDestination;       // DSTINVERT
    default: return QPainter::CompositionMode_SourceOver;
    }
}

bool ropUsesSource(quint32 rop) { return ((rop >> 2) & 0x330000) != (rop & 0x330000); }

QTransform linearPart(const QTransform& t) {
    return QTransform(t.m11(), t.m12(), t.m21(), t.m22(), 0, 0);
}

} // namespace

namespace gdi {

QColor colorRef(quint32 value) {
    // A palette index (high byte 1) has no palette to look into here: black, as
    // on a device without one.
    if ((value >> 24) == 1) return Qt::black;
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

MetaPen penFromStyle(quint32 style, double width, QColor color) {
    MetaPen pen;
    pen.color = color;
    pen.width = std::abs(width);
    pen.geometric = (style & 0x000F0000) == 0x00010000;
    switch (style & 0x0F) {
    case 1: pen.style = Qt::DashLine; break;
    case 2: pen.style = Qt::DotLine; break;
    case 3: pen.style = Qt::DashDotLine; break;
    case 4: pen.style = Qt::DashDotDotLine; break;
    case 5: pen.null = true; break;
    default: pen.style = Qt::SolidLine; break;
    }
    switch (style & 0x0F00) {
    case 0x0100: pen.cap = Qt::SquareCap; break;
    case 0x0200: pen.cap = Qt::FlatCap; break;
    default: pen.cap = Qt::RoundCap; break;
    }
    switch (style & 0xF000) {
    case 0x1000: pen.join = Qt::BevelJoin; break;
    case 0x2000: pen.join = Qt::MiterJoin; break;
    default: pen.join = Qt::RoundJoin; break;
    }
    return pen;
}

MetaBrush brushFromStyle(quint32 style, QColor color, quint32 hatch) {
    MetaBrush brush;
    brush.color = color;
    switch (style) {
    case 1: brush.null = true; break; // BS_NULL
    case 2:                           // BS_HATCHED
        switch (hatch) {
        case 0: brush.style = Qt::HorPattern; break;
        case 1: brush.style = Qt::VerPattern; break;
        case 2: brush.style = Qt::FDiagPattern; break;
        case 3: brush.style = Qt::BDiagPattern; break;
        case 4: brush.style = Qt::CrossPattern; break;
        default: brush.style = Qt::DiagCrossPattern; break;
        }
        break;
    default: brush.style = Qt::SolidPattern; break;
    }
    return brush;
}

} // namespace gdi

MetafileDC::MetafileDC(QPainter& painter, const QRectF& target, bool clipToTarget,
                       quint32 maxObjects)
    : painter_(painter), target_(target), clipToTarget_(clipToTarget), maxObjects_(maxObjects) {
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    // Stretched bitmaps repeat pixels, as the default stretch mode of GDI does.
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    rasterOps_ =
        painter_.paintEngine() && painter_.paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
    applyClip();
}

MetafileDC::~MetafileDC() { painter_.restore(); }

// ---------------------------------------------------------------- mapping

void MetafileDC::setDeviceResolution(double pxPerMmX, double pxPerMmY) {
    if (std::isfinite(pxPerMmX) && pxPerMmX > 0) pxPerMmX_ = pxPerMmX;
    if (std::isfinite(pxPerMmY) && pxPerMmY > 0) pxPerMmY_ = pxPerMmY;
}

void MetafileDC::lockViewportToTarget() {
    viewportLocked_ = false;
    state_.mapMode = gdi::kMmAnisotropic;
    setViewportOrg(target_.topLeft());
    setViewportExt(target_.size());
    viewportLocked_ = true;
}

void MetafileDC::setMapMode(int mode) {
    if (mode < gdi::kMmText || mode > gdi::kMmAnisotropic) return;
    // A plain WMF is always played stretched onto its viewport: only the
    // isotropic mode changes how.
    if (viewportLocked_) mode = mode == gdi::kMmIsotropic ? mode : gdi::kMmAnisotropic;
    state_.mapMode = mode;
}

void MetafileDC::setWindowExt(QSizeF s) {
    if (s.width() != 0 && s.height() != 0) state_.winExt = s;
}

void MetafileDC::setViewportOrg(QPointF p) {
    if (!viewportLocked_) state_.vpOrg = p;
}

void MetafileDC::setViewportExt(QSizeF s) {
    if (!viewportLocked_ && s.width() != 0 && s.height() != 0) state_.vpExt = s;
}

void MetafileDC::scaleWindowExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen != 0 && yDen != 0)
        setWindowExt(
            QSizeF(state_.winExt.width() * xNum / xDen, state_.winExt.height() * yNum / yDen));
}

void MetafileDC::scaleViewportExt(double xNum, double xDen, double yNum, double yDen) {
    if (xDen != 0 && yDen != 0)
        setViewportExt(
            QSizeF(state_.vpExt.width() * xNum / xDen, state_.vpExt.height() * yNum / yDen));
}

void MetafileDC::setWorld(const QTransform& t) {
    const double values[] = {t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    if (std::all_of(std::begin(values), std::end(values),
                    [](double v) { return std::isfinite(v); }) &&
        t.isInvertible())
        state_.world = t;
}

QTransform MetafileDC::fullTransform() const {
    const MetaDCState& s = state_;
    double sx = 1;
    double sy = 1;
    switch (s.mapMode) {
    case gdi::kMmLoMetric:
        sx = pxPerMmX_ / 10;
        sy = -pxPerMmY_ / 10;
        break;
    case gdi::kMmHiMetric:
        sx = pxPerMmX_ / 100;
        sy = -pxPerMmY_ / 100;
        break;
    case gdi::kMmLoEnglish:
        sx = pxPerMmX_ * 0.254;
        sy = -pxPerMmY_ * 0.254;
        break;
    case gdi::kMmHiEnglish:
        sx = pxPerMmX_ * 0.0254;
        sy = -pxPerMmY_ * 0.0254;
        break;
    case gdi::kMmTwips:
        sx = pxPerMmX_ * 25.4 / 1440;
        sy = -pxPerMmY_ * 25.4 / 1440;
        break;
    case gdi::kMmIsotropic:
    case gdi::kMmAnisotropic:
        sx = s.vpExt.width() / s.winExt.width();
        sy = s.vpExt.height() / s.winExt.height();
        if (s.mapMode == gdi::kMmIsotropic) {
            const double m = std::min(std::abs(sx), std::abs(sy));
            sx = std::copysign(m, sx);
            sy = std::copysign(m, sy);
        }
        break;
    default: break;
    }
    const QTransform page = QTransform::fromTranslate(-s.winOrg.x(), -s.winOrg.y()) *
                            QTransform::fromScale(sx, sy) *
                            QTransform::fromTranslate(s.vpOrg.x(), s.vpOrg.y());
    return s.world * page * deviceToOutput_;
}

bool MetafileDC::usable(const QRectF& r) const {
    const double values[] = {r.left(), r.top(), r.right(), r.bottom()};
    return std::all_of(std::begin(values), std::end(values),
                       [](double v) { return std::isfinite(v) && std::abs(v) < kCoordinateLimit; });
}

// ---------------------------------------------------------------- clipping

void MetafileDC::applyClip() {
    painter_.setTransform(QTransform());
    if (clipToTarget_) {
        QPainterPath area = rectPath(target_);
        if (state_.clipped) area = area.intersected(state_.clip);
        painter_.setClipPath(area);
    } else if (state_.clipped) {
        painter_.setClipPath(state_.clip);
    } else {
        painter_.setClipping(false);
    }
}

void MetafileDC::combineClip(const QPainterPath& area, int mode) {
    MetaDCState& s = state_;
    const QPainterPath everything = rectPath(
        QRectF(-kCoordinateLimit, -kCoordinateLimit, 2 * kCoordinateLimit, 2 * kCoordinateLimit));
    const QPainterPath base = s.clipped ? s.clip : everything;
    switch (mode) {
    case gdi::kRgnAnd: s.clip = base.intersected(area); break;
    case gdi::kRgnOr: s.clip = base.united(area); break;
    case gdi::kRgnXor: s.clip = base.united(area).subtracted(base.intersected(area)); break;
    case gdi::kRgnDiff: s.clip = base.subtracted(area); break;
    case gdi::kRgnCopy: s.clip = area; break;
    default: return;
    }
    s.clipped = true;
    applyClip();
}

void MetafileDC::intersectClip(const QRectF& r) {
    const QPainterPath area = fullTransform().map(rectPath(r));
    if (usable(area.boundingRect())) combineClip(area, gdi::kRgnAnd);
}

void MetafileDC::excludeClip(const QRectF& r) {
    const QPainterPath area = fullTransform().map(rectPath(r));
    if (usable(area.boundingRect())) combineClip(area, gdi::kRgnDiff);
}

void MetafileDC::selectClipRegion(const QPainterPath& deviceRegion, int mode) {
    const QPainterPath area = deviceToOutput_.map(deviceRegion);
    if (usable(area.boundingRect())) combineClip(area, mode);
}

void MetafileDC::selectClipPath(int mode) {
    QPainterPath area = fullTransform().map(path_);
    area.setFillRule(state_.polyFillMode == gdi::kWinding ? Qt::WindingFill : Qt::OddEvenFill);
    path_ = QPainterPath();
    inPath_ = false;
    if (usable(area.boundingRect())) combineClip(area, mode);
}

void MetafileDC::resetClip() {
    state_.clipped = false;
    state_.clip = QPainterPath();
    applyClip();
}

// ---------------------------------------------------------------- state stack

void MetafileDC::saveDC() {
    if (saved_.size() < kMaxSavedStates) saved_.push_back(state_);
}

void MetafileDC::restoreDC(int which) {
    const qint64 depth = qint64(saved_.size());
    const qint64 level = which < 0 ? depth + which : qint64(which) - 1; // index to restore
    if (level < 0 || level >= depth) return;
    state_ = saved_[size_t(level)];
    saved_.resize(size_t(level));
    applyClip();
}

// ---------------------------------------------------------------- objects

void MetafileDC::createObjectAt(quint32 index, MetaObject object) {
    if (index < maxObjects_) objects_[index] = std::move(object);
}

void MetafileDC::createObjectInFreeSlot(MetaObject object) {
    quint32 i = firstFree_;
    while (i < maxObjects_ && objects_.count(i)) ++i;
    if (i >= maxObjects_) return;
    objects_[i] = std::move(object);
    firstFree_ = i + 1;
}

const MetaObject* MetafileDC::object(quint32 index) const {
    const auto it = objects_.find(index);
    return it == objects_.end() ? nullptr : &it->second;
}

void MetafileDC::selectObject(quint32 index) {
    if (index & 0x80000000u) return selectStockObject(index & 0x7FFFFFFFu);
    const MetaObject* o = object(index);
    if (!o) return;
    switch (o->kind) {
    case MetaObject::Pen: state_.pen = o->pen; break;
    case MetaObject::Brush: state_.brush = o->brush; break;
    case MetaObject::Font: state_.font = o->font; break;
    case MetaObject::Other: break;
    }
}

void MetafileDC::selectStockObject(quint32 index) {
    static const int grays[] = {255, 192, 128, 64, 0};
    if (index <= 4 || index == 18) {
        state_.brush = MetaBrush();
        const int g = index == 18 ? 255 : grays[index];
        state_.brush.color = QColor(g, g, g);
    } else if (index == 5) {
        state_.brush = MetaBrush();
        state_.brush.null = true;
    } else if (index == 6 || index == 7 || index == 19) {
        state_.pen = MetaPen();
        state_.pen.color = index == 6 ? Qt::white : Qt::black;
    } else if (index == 8) {
        state_.pen = MetaPen();
        state_.pen.null = true;
    } else if (index >= 10 && index <= 17) {
        state_.font = MetaFont();
    }
}

void MetafileDC::deleteObject(quint32 index) {
    if (objects_.erase(index) && index < firstFree_) firstFree_ = index;
}

// ---------------------------------------------------------------- paths

void MetafileDC::beginPath() {
    inPath_ = true;
    path_ = QPainterPath();
}

void MetafileDC::abortPath() {
    inPath_ = false;
    path_ = QPainterPath();
}

void MetafileDC::closeFigure() {
    if (inPath_) path_.closeSubpath();
}

void MetafileDC::drawPath(bool fill, bool stroke) {
    inPath_ = false;
    const QPainterPath path = path_;
    path_ = QPainterPath();
    shape(path, fill, stroke);
}

// ---------------------------------------------------------------- drawing

QPen MetafileDC::currentPen(const QTransform& full) const {
    const MetaPen& p = state_.pen;
    if (p.null) return Qt::NoPen;
    QPen pen(p.color);
    const double outputWidth = p.width * std::sqrt(std::abs(full.determinant()));
    if (!(outputWidth >= 1.5)) {
        // One device pixel, whatever the mapping.
        pen.setWidth(0);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::FlatCap);
        pen.setStyle(p.style);
    } else {
        // Wider than any picture is a damaged record, not a pen.
        pen.setWidthF(std::min({p.width, kMaxPenPixels / outputWidth * p.width, kMaxPenPixels}));
        pen.setStyle(p.geometric ? p.style : Qt::SolidLine);
        pen.setCapStyle(p.cap);
        pen.setJoinStyle(p.join);
    }
    return pen;
}

QBrush MetafileDC::brushFor(const MetaBrush& brush, const QTransform& full) const {
    QBrush b = brush.pattern.isNull() ? QBrush(brush.color, brush.style) : QBrush(brush.pattern);
    // Hatches and patterns keep their pixel size whatever the mapping, as on screen.
    const QTransform linear = linearPart(full);
    if (linear.isInvertible()) b.setTransform(linear.inverted());
    return b;
}

bool MetafileDC::beginRop() {
    if (state_.rop2 == 11) return false; // R2_NOP draws nothing
    if (rasterOps_) painter_.setCompositionMode(rop2Mode(state_.rop2));
    return true;
}

void MetafileDC::endRop() { painter_.setCompositionMode(QPainter::CompositionMode_SourceOver); }

void MetafileDC::setBlendMode(quint32 rop) {
    if (rasterOps_) painter_.setCompositionMode(rop3Mode(rop));
}

void MetafileDC::shape(const QPainterPath& path, bool fill, bool stroke) {
    if (inPath_) {
        path_.addPath(path);
        return;
    }
    const QTransform full = fullTransform();
    if (path.isEmpty() || !usable(full.mapRect(path.controlPointRect()))) return;
    if (!beginRop()) return;
    QPainterPath p = path;
    p.setFillRule(state_.polyFillMode == gdi::kWinding ? Qt::WindingFill : Qt::OddEvenFill);
    painter_.setTransform(full);
    const MetaBrush& brush = state_.brush;
    if (fill && !brush.null) {
        const bool hatch = brush.pattern.isNull() && brush.style != Qt::SolidPattern;
        if (hatch && state_.bkMode == gdi::kOpaque) painter_.fillPath(p, state_.bkColor);
        painter_.fillPath(p, brushFor(brush, full));
    }
    if (stroke && !state_.pen.null) painter_.strokePath(p, currentPen(full));
    endRop();
}

void MetafileDC::moveTo(QPointF p) {
    state_.current = p;
    if (inPath_) path_.moveTo(p);
}

void MetafileDC::lineTo(QPointF p) {
    if (inPath_) {
        if (path_.elementCount() == 0 || path_.currentPosition() != state_.current)
            path_.moveTo(state_.current);
        path_.lineTo(p);
    } else {
        QPainterPath line(state_.current);
        line.lineTo(p);
        shape(line, false, true);
    }
    state_.current = p;
}

void MetafileDC::polyline(const QPolygonF& points, Poly kind) {
    if (points.isEmpty()) return;
    const bool continues = kind == Poly::LineTo || kind == Poly::BezierTo;
    QPainterPath local;
    QPainterPath& path = continues && inPath_ ? path_ : local;
    qsizetype i = 0;
    if (continues) {
        if (&path == &local || path.elementCount() == 0 || path.currentPosition() != state_.current)
            path.moveTo(state_.current);
    } else {
        path.moveTo(points[0]);
        i = 1;
    }
    if (kind == Poly::Bezier || kind == Poly::BezierTo) {
        for (; i + 2 < points.size(); i += 3) path.cubicTo(points[i], points[i + 1], points[i + 2]);
    } else {
        for (; i < points.size(); ++i) path.lineTo(points[i]);
    }
    if (kind == Poly::Gon) path.closeSubpath();
    if (continues) state_.current = path.currentPosition();
    if (&path == &local) shape(local, kind == Poly::Gon, true);
}

void MetafileDC::polyPolygon(const QVector<QPolygonF>& polygons, bool closed) {
    QPainterPath path;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.isEmpty()) continue;
        path.addPolygon(polygon);
        if (closed) path.closeSubpath();
    }
    shape(path, closed, true);
}

void MetafileDC::rectangle(const QRectF& r) { shape(rectPath(r), true, true); }

void MetafileDC::roundRect(const QRectF& r, QSizeF corner) {
    QPainterPath path;
    path.addRoundedRect(r.normalized(), std::abs(corner.width()) / 2,
                        std::abs(corner.height()) / 2);
    shape(path, true, true);
}

void MetafileDC::ellipse(const QRectF& r) {
    QPainterPath path;
    path.addEllipse(r.normalized());
    shape(path, true, true);
}

void MetafileDC::arcShape(const QRectF& box, QPointF start, QPointF end, Arc kind) {
    const QRectF b = box.normalized();
    if (!(b.width() > 0 && b.height() > 0)) return;
    const QPointF c = b.center();
    const double rx = b.width() / 2;
    const double ry = b.height() / 2;
    const auto angle = [&](QPointF p) {
        return qRadiansToDegrees(std::atan2(-(p.y() - c.y()) / ry, (p.x() - c.x()) / rx));
    };
    const double a0 = angle(start);
    double sweep = angle(end) - a0;
    // Arcs run counter-clockwise as seen on the device, so a mapping that
    // flips one axis turns the direction round in logical units.
    bool counterClockwise = !state_.clockwise;
    if (fullTransform().determinant() < 0) counterClockwise = !counterClockwise;
    if (counterClockwise) {
        if (sweep <= 0) sweep += 360;
        if (sweep <= 0) sweep += 360;
    } else {
        if (sweep >= 0) sweep -= 360;
        if (sweep >= 0) sweep -= 360;
    }
    if (!std::isfinite(a0) || !std::isfinite(sweep)) return;

    if (kind == Arc::To) {
        QPainterPath local;
        QPainterPath& path = inPath_ ? path_ : local;
        if (&path == &local || path.elementCount() == 0 || path.currentPosition() != state_.current)
            path.moveTo(state_.current);
        path.arcTo(b, a0, sweep);
        state_.current = path.currentPosition();
        if (&path == &local) shape(local, false, true);
        return;
    }
    QPainterPath path;
    if (kind == Arc::Pie) {
        path.moveTo(c);
        path.arcTo(b, a0, sweep);
        path.closeSubpath();
    } else {
        path.arcMoveTo(b, a0);
        path.arcTo(b, a0, sweep);
        if (kind == Arc::Chord) path.closeSubpath();
    }
    shape(path, kind != Arc::Open, true);
}

void MetafileDC::angleArc(QPointF center, double radius, double startDeg, double sweepDeg) {
    if (!std::isfinite(radius) || !std::isfinite(startDeg) || !std::isfinite(sweepDeg)) return;
    const QRectF box(center.x() - radius, center.y() - radius, 2 * radius, 2 * radius);
    QPainterPath local;
    QPainterPath& path = inPath_ ? path_ : local;
    if (&path == &local || path.elementCount() == 0 || path.currentPosition() != state_.current)
        path.moveTo(state_.current);
    path.arcTo(box, startDeg, std::clamp(sweepDeg, -360.0, 360.0));
    state_.current = path.currentPosition();
    if (&path == &local) shape(local, false, true);
}

void MetafileDC::setPixel(QPointF p, QColor color) {
    const QPointF at = fullTransform().map(p);
    const QRectF pixel(at, QSizeF(1, 1));
    if (!usable(pixel)) return;
    painter_.setTransform(QTransform());
    painter_.fillRect(pixel, color);
}

void MetafileDC::fillArea(const QPainterPath& area, const MetaBrush& brush) {
    const QTransform full = fullTransform();
    if (brush.null || area.isEmpty() || !usable(full.mapRect(area.controlPointRect()))) return;
    painter_.setTransform(full);
    painter_.fillPath(area, brushFor(brush, full));
}

void MetafileDC::patBlt(const QRectF& r, quint32 rop) {
    const QTransform full = fullTransform();
    if (!usable(full.mapRect(r.normalized()))) return;
    painter_.setTransform(full);
    switch (rop) {
    case 0x00000042: painter_.fillRect(r.normalized(), Qt::black); break; // BLACKNESS
    case 0x00FF0062: painter_.fillRect(r.normalized(), Qt::white); break; // WHITENESS
    case 0x00AA0029: break; // the destination as it is
    default:
        if (state_.brush.null && rop != 0x00550009) break;
        setBlendMode(rop);
        painter_.fillRect(r.normalized(),
                          rop == 0x00550009 ? QBrush(Qt::white) : brushFor(state_.brush, full));
        endRop();
        break;
    }
}

void MetafileDC::image(const QImage& image, const QRectF& dest, QRectF src, quint32 rop,
                       double opacity) {
    if (!ropUsesSource(rop)) return patBlt(dest, rop);
    if (image.isNull() || inPath_) return;
    src = src.normalized().intersected(QRectF(image.rect()));
    if (src.isEmpty()) return;
    const QTransform full = fullTransform();
    if (full.m12() != 0 || full.m21() != 0) {
        // Turned or sheared: rare enough to draw whole, when of a sane size.
        const QRectF out = full.mapRect(dest.normalized());
        if (!usable(out) || out.width() > kMaxImagePixels || out.height() > kMaxImagePixels) return;
        painter_.setTransform(full);
        painter_.setOpacity(std::clamp(opacity, 0.0, 1.0));
        setBlendMode(rop);
        painter_.drawImage(dest.normalized(), image, src);
        endRop();
        painter_.setOpacity(1);
        return;
    }
    // Mirrored where the destination runs backwards on the device.
    const QPointF p0 = full.map(dest.topLeft());
    const QPointF p1 = full.map(dest.bottomRight());
    const bool mirrorX = p1.x() < p0.x();
    const bool mirrorY = p1.y() < p0.y();
    const QRectF out = QRectF(p0, p1).normalized();
    if (out.isEmpty() || !usable(out)) return;
    // Only the visible part is scaled: the image scaler works in fixed point
    // and a huge destination would overflow it.
    painter_.setTransform(QTransform());
    QRectF bounds = painter_.hasClipping() ? painter_.clipBoundingRect() : out;
    const QRectF visible = out.intersected(bounds.adjusted(-1, -1, 1, 1));
    if (visible.isEmpty() || visible.width() > kMaxImagePixels ||
        visible.height() > kMaxImagePixels)
        return;
    double x0 = (visible.left() - out.left()) / out.width(),
           x1 = (visible.right() - out.left()) / out.width();
    double y0 = (visible.top() - out.top()) / out.height(),
           y1 = (visible.bottom() - out.top()) / out.height();
    if (mirrorX) std::tie(x0, x1) = std::pair(1 - x1, 1 - x0);
    if (mirrorY) std::tie(y0, y1) = std::pair(1 - y1, 1 - y0);
    const QRectF part(src.left() + x0 * src.width(), src.top() + y0 * src.height(),
                      (x1 - x0) * src.width(), (y1 - y0) * src.height());
    painter_.setOpacity(std::clamp(opacity, 0.0, 1.0));
    setBlendMode(rop);
    if (mirrorX || mirrorY) {
        const QRect whole = part.toAlignedRect().intersected(image.rect());
        painter_.drawImage(visible, image.copy(whole).mirrored(mirrorX, mirrorY));
    } else {
        painter_.drawImage(visible, image, part);
    }
    endRop();
    painter_.setOpacity(1);
}

} // namespace nubivu
