#include "pictures/metafile/emfplayer.h"

#include "pictures/metafile/metafiledc.h"
#include "pictures/metafile/metafiledib.h"

#include <QPainter>
#include <cmath>

namespace nubivu {

namespace {

constexpr quint32 kSignature = 0x464D4520; // " EMF"
constexpr qint64 kMinHeader = 88;
constexpr quint32 kMaxHandles = 0x10000;

enum EmfRecord : quint32 {
    kHeader = 1,
    kPolyBezier = 2,
    kPolygon = 3,
    kPolyline = 4,
    kPolyBezierTo = 5,
    kPolylineTo = 6,
    kPolyPolyline = 7,
    kPolyPolygon = 8,
    kSetWindowExtEx = 9,
    kSetWindowOrgEx = 10,
    kSetViewportExtEx = 11,
    kSetViewportOrgEx = 12,
    kEof = 14,
    kSetPixelV = 15,
    kSetMapMode = 17,
    kSetBkMode = 18,
    kSetPolyFillMode = 19,
    kSetRop2 = 20,
    kSetTextAlign = 22,
    kSetTextColor = 24,
    kSetBkColor = 25,
    kMoveToEx = 27,
    kExcludeClipRect = 29,
    kIntersectClipRect = 30,
    kScaleViewportExtEx = 31,
    kScaleWindowExtEx = 32,
    kSaveDC = 33,
    kRestoreDC = 34,
    kSetWorldTransform = 35,
    kModifyWorldTransform = 36,
    kSelectObject = 37,
    kCreatePen = 38,
    kCreateBrushIndirect = 39,
    kDeleteObject = 40,
    kAngleArc = 41,
    kEllipse = 42,
    kRectangle = 43,
    kRoundRect = 44,
    kArc = 45,
    kChord = 46,
    kPie = 47,
    kCreatePalette = 49,
    kLineTo = 54,
    kArcTo = 55,
    kPolyDraw = 56,
    kSetArcDirection = 57,
    kBeginPath = 59,
    kEndPath = 60,
    kCloseFigure = 61,
    kFillPath = 62,
    kStrokeAndFillPath = 63,
    kStrokePath = 64,
    kSelectClipPath = 67,
    kAbortPath = 68,
    kFillRgn = 71,
    kPaintRgn = 74,
    kExtSelectClipRgn = 75,
    kBitBlt = 76,
    kStretchBlt = 77,
    kSetDIBitsToDevice = 80,
    kStretchDIBits = 81,
    kExtCreateFontIndirectW = 82,
    kExtTextOutA = 83,
    kExtTextOutW = 84,
    kPolyBezier16 = 85,
    kPolygon16 = 86,
    kPolyline16 = 87,
    kPolyBezierTo16 = 88,
    kPolylineTo16 = 89,
    kPolyPolyline16 = 90,
    kPolyPolygon16 = 91,
    kPolyDraw16 = 92,
    kCreateMonoBrush = 93,
    kCreateDibPatternBrushPt = 94,
    kExtCreatePen = 95,
    kSmallTextOut = 108,
    kAlphaBlend = 114,
    kTransparentBlt = 116,
};

QRectF rectAt(MetaBytes r, qint64 at) { // left, top, right, bottom
    return QRectF(QPointF(r.i32(at), r.i32(at + 4)), QPointF(r.i32(at + 8), r.i32(at + 12)));
}

QPointF pointAt(MetaBytes r, qint64 at) { return QPointF(r.i32(at), r.i32(at + 4)); }

// count points from at, 16 or 32 bits a coordinate; empty when they do not fit.
QPolygonF readPoints(MetaBytes r, qint64 at, qint64 count, bool small) {
    const qint64 size = small ? 4 : 8;
    QPolygonF points;
    if (count <= 0 || !r.has(at, count * size)) return points;
    points.reserve(qsizetype(count));
    for (qint64 i = 0; i < count; ++i) {
        const qint64 p = at + i * size;
        points.append(small ? QPointF(r.i16(p), r.i16(p + 2)) : QPointF(r.i32(p), r.i32(p + 4)));
    }
    return points;
}

QVector<QPolygonF> polyPolygons(MetaBytes r, bool small) {
    const qint64 n = r.u32(24);
    const qint64 total = r.u32(28);
    QVector<QPolygonF> polygons;
    if (!r.has(32, n * 4) || !r.has(32 + n * 4, total * (small ? 4 : 8))) return polygons;
    qint64 at = 32 + n * 4;
    qint64 used = 0;
    for (qint64 i = 0; i < n; ++i) {
        const qint64 count = r.u32(32 + i * 4);
        if (count > total - used) return {};
        polygons.append(readPoints(r, at, count, small));
        at += count * (small ? 4 : 8);
        used += count;
    }
    return polygons;
}

// A region's rectangles (RGNDATA), as a path.
QPainterPath region(MetaBytes r, qint64 at, qint64 size) {
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const MetaBytes data = r.sub(at, size);
    const qint64 count = data.u32(8);
    if (!data.has(32, count * 16)) return path;
    for (qint64 i = 0; i < count; ++i) path.addRect(rectAt(data, 32 + i * 16).normalized());
    return path;
}

// A bitmap whose header and bits the record locates with four numbers at
// `offsets`: header offset and size, bits offset and size.
QImage bitmap(MetaBytes r, qint64 usageAt, qint64 offsets, bool keepAlpha = false) {
    const MetaBytes info = r.sub(r.u32(offsets), r.u32(offsets + 4));
    const MetaBytes bits = r.sub(r.u32(offsets + 8), r.u32(offsets + 12));
    const DibColors colors = r.u32(usageAt) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
    return decodeDib(info, bits, colors, keepAlpha);
}

MetaObject penObject(quint32 style, double width, quint32 color, bool extended,
                     quint32 brushStyle) {
    MetaObject o;
    o.kind = MetaObject::Pen;
    const bool geometric = (style & 0x000F0000) == 0x00010000;
    o.pen = gdi::penFromStyle(style, extended && !geometric ? 0 : width, gdi::colorRef(color));
    if (brushStyle == 1) o.pen.null = true;
    if ((style & 0x0F) == 7) o.pen.style = Qt::DashLine; // user-defined dashes
    return o;
}

MetaObject fontObject(MetaBytes r) {
    MetaObject o;
    o.kind = MetaObject::Font;
    MetaFont& f = o.font;
    f.height = r.i32(12);
    f.escapement = r.i32(20);
    f.weight = r.i32(28);
    f.italic = r.u8(32);
    f.underline = r.u8(33);
    f.strikeOut = r.u8(34);
    f.charset = r.u8(35);
    for (qint64 at = 40; at < 40 + 64 && r.has(at, 2) && r.u16(at); at += 2)
        f.face.append(QChar(r.u16(at)));
    return o;
}

void extTextOut(MetafileDC& dc, MetaBytes r, bool wide) {
    if (!r.has(0, 76)) return;
    const QPointF reference = pointAt(r, 36);
    const qint64 count = r.u32(44);
    const qint64 stringAt = r.u32(48);
    const quint32 options = r.u32(52);
    const QRectF rect = rectAt(r, 56);
    const qint64 dxAt = r.u32(72);
    const qint64 unit = wide ? 2 : 1;
    QString text;
    QVector<double> advances;
    if (count > 0 && r.has(stringAt, count * unit) && !(options & 0x10)) {
        const qint64 dxStride = (options & 0x2000) ? 8 : 4; // ETO_PDY: x and y advances
        QVector<double> dx;
        if (dxAt && r.has(dxAt, count * dxStride))
            for (qint64 i = 0; i < count; ++i) dx.append(r.i32(dxAt + i * dxStride));
        if (wide) {
            for (qint64 i = 0; i < count; ++i) text.append(QChar(r.u16(stringAt + 2 * i)));
            advances = dx;
        } else {
            const QByteArray bytes(reinterpret_cast<const char*>(r.data() + stringAt),
                                   qsizetype(count));
            decodeMetafileText(bytes, dc.state().font.charset, dx, &text, &advances);
        }
    }
    const bool withRect = options & (gdi::kEtoOpaque | gdi::kEtoClipped);
    dc.text(reference, text, advances, options, withRect ? &rect : nullptr);
}

void smallTextOut(MetafileDC& dc, MetaBytes r) {
    const QPointF reference = pointAt(r, 8);
    const qint64 count = r.u32(16);
    const quint32 options = r.u32(20);
    const bool hasRect = !(options & 0x100);
    const qint64 stringAt = hasRect ? 52 : 36;
    const bool narrow = options & 0x200;
    if (count < 0 || !r.has(stringAt, count * (narrow ? 1 : 2))) return;
    QString text;
    for (qint64 i = 0; i < count; ++i)
        text.append(narrow ? QChar(r.u8(stringAt + i)) : QChar(r.u16(stringAt + 2 * i)));
    const QRectF rect = rectAt(r, 36);
    dc.text(reference, text, {}, options,
            hasRect && (options & (gdi::kEtoOpaque | gdi::kEtoClipped)) ? &rect : nullptr);
}

// BITBLT, STRETCHBLT, ALPHABLEND and TRANSPARENTBLT share their layout.
void blt(MetafileDC& dc, MetaBytes r, quint32 type) {
    if (!r.has(0, 100)) return;
    const QRectF dest(r.i32(24), r.i32(28), r.i32(32), r.i32(36));
    const quint32 rop = r.u32(40);
    if (r.u32(88) == 0) {
        if (type == kBitBlt || type == kStretchBlt) dc.patBlt(dest, rop);
        return;
    }
    const bool stretch = type != kBitBlt && r.has(0, 108);
    const QRectF src(r.i32(44), r.i32(48), stretch ? r.i32(100) : dest.width(),
                     stretch ? r.i32(104) : dest.height());
    const bool alpha = type == kAlphaBlend && (r.u8(43) & 1);
    QImage image = bitmap(r, 80, 84, alpha);
    if (image.isNull()) return;
    if (type == kTransparentBlt) {
        const QRgb key = gdi::colorRef(rop).rgb();
        image = image.convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if ((line[x] | 0xFF000000u) == key) line[x] = 0;
        }
    }
    const bool copies = type == kAlphaBlend || type == kTransparentBlt;
    const double opacity = type == kAlphaBlend ? r.u8(42) / 255.0 : 1.0;
    dc.image(image, dest, src, copies ? gdi::kSrcCopy : rop, opacity);
}

void stretchDIBits(MetafileDC& dc, MetaBytes r, bool stretch) {
    if (!r.has(0, stretch ? 80 : 76)) return;
    const QImage image = bitmap(r, 64, 48);
    if (image.isNull()) return;
    QRectF src(r.i32(32), r.i32(36), r.i32(40), r.i32(44));
    const QRectF dest(r.i32(24), r.i32(28), stretch ? r.i32(72) : src.width(),
                      stretch ? r.i32(76) : src.height());
    // Source rows are counted from the bottom of a bottom-up bitmap.
    if (!dibTopDown(r.sub(r.u32(48), r.u32(52))))
        src.moveTop(image.height() - src.top() - src.height());
    dc.image(image, dest, src, stretch ? r.u32(68) : gdi::kSrcCopy);
}

void polyDraw(MetafileDC& dc, MetaBytes r, bool small) {
    const qint64 count = r.u32(24);
    const QPolygonF points = readPoints(r, 28, count, small);
    const qint64 typesAt = 28 + count * (small ? 4 : 8);
    if (points.isEmpty() || !r.has(typesAt, count)) return;
    QPointF figureStart = dc.state().current;
    for (qint64 i = 0; i < count; ++i) {
        const quint8 type = r.u8(typesAt + i);
        switch (type & ~1) {
        case 6:
            dc.moveTo(points[i]);
            figureStart = points[i];
            break;
        case 2: dc.lineTo(points[i]); break;
        case 4:
            if (i + 2 < count) {
                dc.polyline(QPolygonF{points[i], points[i + 1], points[i + 2]},
                            MetafileDC::Poly::BezierTo);
                i += 2;
            }
            break;
        default: break;
        }
        if (type & 1) dc.lineTo(figureStart);
    }
}

void play(MetafileDC& dc, MetaBytes r, quint32 type) {
    MetaDCState& s = dc.state();
    switch (type) {
    case kPolyBezier:
    case kPolygon:
    case kPolyline:
    case kPolyBezierTo:
    case kPolylineTo:
    case kPolyBezier16:
    case kPolygon16:
    case kPolyline16:
    case kPolyBezierTo16:
    case kPolylineTo16: {
        const bool small = type >= kPolyBezier16;
        const quint32 base = small ? type - kPolyBezier16 + kPolyBezier : type;
        static const MetafileDC::Poly kinds[] = {MetafileDC::Poly::Bezier, MetafileDC::Poly::Gon,
                                                 MetafileDC::Poly::Line, MetafileDC::Poly::BezierTo,
                                                 MetafileDC::Poly::LineTo};
        dc.polyline(readPoints(r, 28, r.u32(24), small), kinds[base - kPolyBezier]);
        break;
    }
    case kPolyPolyline:
    case kPolyPolygon:
    case kPolyPolyline16:
    case kPolyPolygon16: {
        const bool small = type == kPolyPolyline16 || type == kPolyPolygon16;
        const bool closed = type == kPolyPolygon || type == kPolyPolygon16;
        dc.polyPolygon(polyPolygons(r, small), closed);
        break;
    }
    case kPolyDraw:
    case kPolyDraw16: polyDraw(dc, r, type == kPolyDraw16); break;
    case kSetWindowExtEx: dc.setWindowExt(QSizeF(r.i32(8), r.i32(12))); break;
    case kSetWindowOrgEx: dc.setWindowOrg(pointAt(r, 8)); break;
    case kSetViewportExtEx: dc.setViewportExt(QSizeF(r.i32(8), r.i32(12))); break;
    case kSetViewportOrgEx: dc.setViewportOrg(pointAt(r, 8)); break;
    case kScaleViewportExtEx: dc.scaleViewportExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20)); break;
    case kScaleWindowExtEx: dc.scaleWindowExt(r.i32(8), r.i32(12), r.i32(16), r.i32(20)); break;
    case kSetPixelV: dc.setPixel(pointAt(r, 8), gdi::colorRef(r.u32(16))); break;
    case kSetMapMode: dc.setMapMode(int(r.u32(8))); break;
    case kSetBkMode: s.bkMode = int(r.u32(8)); break;
    case kSetPolyFillMode: s.polyFillMode = int(r.u32(8)); break;
    case kSetRop2: s.rop2 = int(r.u32(8)); break;
    case kSetTextAlign: s.textAlign = r.u32(8); break;
    case kSetTextColor: s.textColor = gdi::colorRef(r.u32(8)); break;
    case kSetBkColor: s.bkColor = gdi::colorRef(r.u32(8)); break;
    case kSetArcDirection: s.clockwise = r.u32(8) == 2; break;
    case kMoveToEx: dc.moveTo(pointAt(r, 8)); break;
    case kLineTo: dc.lineTo(pointAt(r, 8)); break;
    case kExcludeClipRect: dc.excludeClip(rectAt(r, 8)); break;
    case kIntersectClipRect: dc.intersectClip(rectAt(r, 8)); break;
    case kSaveDC: dc.saveDC(); break;
    case kRestoreDC: dc.restoreDC(r.i32(8)); break;
    case kSetWorldTransform:
    case kModifyWorldTransform: {
        if (!r.has(8, 24)) break;
        const QTransform x(r.f32(8), r.f32(12), r.f32(16), r.f32(20), r.f32(24), r.f32(28));
        const quint32 mode = type == kSetWorldTransform ? 4 : r.u32(32);
        switch (mode) {
        case 1: dc.setWorld(QTransform()); break;
        case 2: dc.setWorld(x * s.world); break;
        case 3: dc.setWorld(s.world * x); break;
        case 4: dc.setWorld(x); break;
        default: break;
        }
        break;
    }
    case kSelectObject: dc.selectObject(r.u32(8)); break;
    case kDeleteObject: dc.deleteObject(r.u32(8)); break;
    case kCreatePen:
        if (r.has(0, 28))
            dc.createObjectAt(r.u32(8), penObject(r.u32(12), r.i32(16), r.u32(24), false, 0));
        break;
    case kExtCreatePen:
        if (r.has(0, 52))
            dc.createObjectAt(r.u32(8),
                              penObject(r.u32(28), r.u32(32), r.u32(40), true, r.u32(36)));
        break;
    case kCreateBrushIndirect:
        if (r.has(0, 24)) {
            MetaObject o;
            o.kind = MetaObject::Brush;
            o.brush = gdi::brushFromStyle(r.u32(12), gdi::colorRef(r.u32(16)), r.u32(20));
            dc.createObjectAt(r.u32(8), o);
        }
        break;
    case kCreateMonoBrush:
    case kCreateDibPatternBrushPt: {
        if (!r.has(0, 32)) break;
        MetaObject o;
        o.kind = MetaObject::Brush;
        const QImage pattern = bitmap(r, 12, 16);
        if (pattern.isNull()) {
            o.brush.color = Qt::gray;
        } else {
            o.brush.pattern = pattern;
            o.brush.style = Qt::TexturePattern;
        }
        dc.createObjectAt(r.u32(8), o);
        break;
    }
    case kCreatePalette: dc.createObjectAt(r.u32(8), MetaObject()); break;
    case kExtCreateFontIndirectW:
        if (r.has(0, 40)) dc.createObjectAt(r.u32(8), fontObject(r));
        break;
    case kAngleArc: dc.angleArc(pointAt(r, 8), r.u32(16), r.f32(20), r.f32(24)); break;
    case kEllipse: dc.ellipse(rectAt(r, 8)); break;
    case kRectangle: dc.rectangle(rectAt(r, 8)); break;
    case kRoundRect: dc.roundRect(rectAt(r, 8), QSizeF(r.i32(24), r.i32(28))); break;
    case kArc:
    case kChord:
    case kPie:
    case kArcTo: {
        const auto kind = type == kArc     ? MetafileDC::Arc::Open
                          : type == kChord ? MetafileDC::Arc::Chord
                          : type == kPie   ? MetafileDC::Arc::Pie
                                           : MetafileDC::Arc::To;
        dc.arcShape(rectAt(r, 8), pointAt(r, 24), pointAt(r, 32), kind);
        break;
    }
    case kBeginPath: dc.beginPath(); break;
    case kEndPath: dc.endPath(); break;
    case kCloseFigure: dc.closeFigure(); break;
    case kAbortPath: dc.abortPath(); break;
    case kFillPath: dc.drawPath(true, false); break;
    case kStrokePath: dc.drawPath(false, true); break;
    case kStrokeAndFillPath: dc.drawPath(true, true); break;
    case kSelectClipPath: dc.selectClipPath(int(r.u32(8))); break;
    case kExtSelectClipRgn: {
        const qint64 size = r.u32(8);
        const int mode = int(r.u32(12));
        if (size == 0 && mode == gdi::kRgnCopy)
            dc.resetClip();
        else if (r.has(16, size))
            dc.selectClipRegion(region(r, 16, size), mode);
        break;
    }
    case kFillRgn:
        if (const MetaObject* o = dc.object(r.u32(28)); o && o->kind == MetaObject::Brush)
            dc.fillArea(region(r, 32, r.u32(24)), o->brush);
        break;
    case kPaintRgn: dc.fillArea(region(r, 28, r.u32(24)), s.brush); break;
    case kBitBlt:
    case kStretchBlt:
    case kAlphaBlend:
    case kTransparentBlt: blt(dc, r, type); break;
    case kStretchDIBits: stretchDIBits(dc, r, true); break;
    case kSetDIBitsToDevice: stretchDIBits(dc, r, false); break;
    case kExtTextOutA:
    case kExtTextOutW: extTextOut(dc, r, type == kExtTextOutW); break;
    case kSmallTextOut: smallTextOut(dc, r); break;
    default: break; // comments (EMF+ among them) and records that change nothing visible here
    }
}

} // namespace

std::optional<EmfInfo> readEmfHeader(MetaBytes data) {
    if (!data.has(0, kMinHeader) || data.u32(0) != kHeader || data.u32(40) != kSignature)
        return std::nullopt;
    const qint64 size = data.u32(4);
    if (size < kMinHeader || size % 4 || !data.has(0, size)) return std::nullopt;
    const qint64 descriptionChars = data.u32(60);
    const qint64 descriptionAt = data.u32(64);
    if (descriptionChars &&
        (descriptionAt < kMinHeader || !data.has(descriptionAt, descriptionChars * 2) ||
         descriptionAt + descriptionChars * 2 > size))
        return std::nullopt;
    EmfInfo info;
    info.recordsAt = size;
    info.handles = std::min<quint32>(data.u16(56), kMaxHandles);
    info.bounds = rectAt(data, 8);
    info.frame = rectAt(data, 24);
    const double deviceX = data.i32(72), deviceY = data.i32(76);
    double mmX = data.i32(80), mmY = data.i32(84);
    // Micrometres, where the header is long enough to hold them and no
    // description or pixel format was put in their place.
    const bool extended = size >= 108 && (!descriptionChars || descriptionAt >= 108) &&
                          (!data.u32(88) || data.u32(92) >= 108);
    if (extended && data.i32(100) > 0 && data.i32(104) > 0) {
        mmX = data.i32(100) / 1000.0;
        mmY = data.i32(104) / 1000.0;
    }
    info.pxPerMm = deviceX > 0 && deviceY > 0 && mmX > 0 && mmY > 0
                       ? QSizeF(deviceX / mmX, deviceY / mmY)
                       : QSizeF(96 / 25.4, 96 / 25.4);
    return info;
}

QRectF emfPictureArea(const EmfInfo& info) {
    const QRectF& f = info.frame;
    if (f.width() > 0 && f.height() > 0) {
        const double kx = info.pxPerMm.width() / 100, ky = info.pxPerMm.height() / 100;
        return QRectF(f.left() * kx, f.top() * ky, f.width() * kx, f.height() * ky);
    }
    const QRectF& b = info.bounds;
    if (b.width() >= 0 && b.height() >= 0) return b.adjusted(0, 0, 1, 1);
    return {};
}

void playEmf(MetaBytes data, const EmfInfo& info, QPainter& painter, const QRectF& target,
             bool clipToTarget) {
    MetafileDC dc(painter, target, clipToTarget, info.handles);
    const QRectF area = emfPictureArea(info);
    if (area.width() > 0 && area.height() > 0)
        dc.setDeviceToOutput(
            QTransform::fromTranslate(-area.left(), -area.top()) *
            QTransform::fromScale(target.width() / area.width(), target.height() / area.height()) *
            QTransform::fromTranslate(target.left(), target.top()));
    else
        dc.setDeviceToOutput(QTransform::fromTranslate(target.left(), target.top()));
    dc.setDeviceResolution(info.pxPerMm.width(), info.pxPerMm.height());
    qint64 at = info.recordsAt;
    while (data.has(at, 8)) {
        const quint32 type = data.u32(at);
        const qint64 size = data.u32(at + 4);
        if (size < 8 || size % 4 || !data.has(at, size) || type == kEof) return;
        play(dc, data.sub(at, size), type);
        at += size;
    }
}

} // namespace nubivu
