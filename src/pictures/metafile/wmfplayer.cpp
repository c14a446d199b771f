#include "pictures/metafile/wmfplayer.h"

#include "pictures/metafile/metafiledc.h"
#include "pictures/metafile/metafiledib.h"

#include <QPainter>

namespace nubivu {

namespace {

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;
constexpr qint64 kPlaceableSize = 22;
constexpr qint64 kHeaderSize = 18;

enum WmfFunction : quint16 {
    kEof = 0x0000,
    kSaveDC = 0x001E,
    kSetBkMode = 0x0102,
    kSetMapMode = 0x0103,
    kSetRop2 = 0x0104,
    kSetPolyFillMode = 0x0106,
    kRestoreDC = 0x0127,
    kSelectClipRegion = 0x012C,
    kSelectObject = 0x012D,
    kSetTextAlign = 0x012E,
    kDibCreatePatternBrush = 0x0142,
    kDeleteObject = 0x01F0,
    kCreatePatternBrush = 0x01F9,
    kSetBkColor = 0x0201,
    kSetTextColor = 0x0209,
    kSetWindowOrg = 0x020B,
    kSetWindowExt = 0x020C,
    kSetViewportOrg = 0x020D,
    kSetViewportExt = 0x020E,
    kOffsetWindowOrg = 0x020F,
    kLineTo = 0x0213,
    kMoveTo = 0x0214,
    kCreatePenIndirect = 0x02FA,
    kCreateFontIndirect = 0x02FB,
    kCreateBrushIndirect = 0x02FC,
    kPolygon = 0x0324,
    kPolyline = 0x0325,
    kScaleWindowExt = 0x0410,
    kExcludeClipRect = 0x0415,
    kIntersectClipRect = 0x0416,
    kEllipse = 0x0418,
    kRectangle = 0x041B,
    kSetPixel = 0x041F,
    kTextOut = 0x0521,
    kPolyPolygon = 0x0538,
    kRoundRect = 0x061C,
    kPatBlt = 0x061D,
    kArc = 0x0817,
    kPie = 0x081A,
    kChord = 0x0830,
    kDibBitBlt = 0x0940,
    kExtTextOut = 0x0A32,
    kDibStretchBlt = 0x0B41,
    kSetDibToDev = 0x0D33,
    kStretchDib = 0x0F43,
    kCreatePalette = 0x00F7,
    kCreateRegion = 0x06FF,
};

// One record: its function and its parameter words.
struct Record {
    quint16 function;
    MetaBytes params;
    qint16 word(int word) const { return params.i16(2 * qint64(word)); }
    quint16 uword(int word) const { return params.u16(2 * qint64(word)); }
    quint32 u32At(int word) const { return params.u32(2 * qint64(word)); }
};

// Calls f for each record until the end record, a record size that cannot be
// (under three words or running past the data), or f returning false.
template <typename F> void forEachRecord(MetaBytes data, qint64 at, F f) {
    while (data.has(at, 6)) {
        const qint64 bytes = qint64(data.u32(at)) * 2;
        const quint16 function = data.u16(at + 4);
        if (bytes < 6 || !data.has(at, bytes) || function == kEof) return;
        if (!f(Record{function, data.sub(at + 6, bytes - 6)}, bytes)) return;
        at += bytes;
    }
}

QRectF box(const Record& r, int firstWord) { // stored bottom, right, top, left
    const double bottom = r.word(firstWord), right = r.word(firstWord + 1);
    const double top = r.word(firstWord + 2), left = r.word(firstWord + 3);
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QPointF pointYX(const Record& r, int firstWord) {
    return QPointF(r.word(firstWord + 1), r.word(firstWord));
}

QPolygonF readPoints(MetaBytes params, qint64 at, qint64 count) {
    QPolygonF points;
    if (count <= 0 || !params.has(at, count * 4)) return points;
    points.reserve(qsizetype(count));
    for (qint64 i = 0; i < count; ++i)
        points.append(QPointF(params.i16(at + 4 * i), params.i16(at + 4 * i + 2)));
    return points;
}

MetaObject fontObject(const Record& r) {
    MetaObject o;
    o.kind = MetaObject::Font;
    MetaFont& f = o.font;
    f.height = r.word(0);
    f.escapement = r.word(2);
    f.weight = r.word(4);
    const MetaBytes p = r.params;
    f.italic = p.u8(10);
    f.underline = p.u8(11);
    f.strikeOut = p.u8(12);
    f.charset = p.u8(13);
    QByteArray face;
    for (qint64 i = 18; i < 18 + 32 && p.has(i, 1) && p.u8(i); ++i) face.append(char(p.u8(i)));
    QVector<double> unused;
    decodeMetafileText(face, 128, {}, &f.face, &unused);
    return o;
}

MetaObject brushObject(MetaBrush brush) {
    MetaObject o;
    o.kind = MetaObject::Brush;
    o.brush = std::move(brush);
    return o;
}

// TEXTOUT and EXTTEXTOUT.
void text(MetafileDC& dc, const Record& r, bool extended) {
    const MetaBytes p = r.params;
    qint64 count;
    qint64 stringAt;
    QPointF at;
    quint32 options = 0;
    QRectF rect;
    if (extended) {
        at = pointYX(r, 0);
        count = r.word(2);
        options = r.uword(3);
        stringAt = 8;
        if (options & (gdi::kEtoOpaque | gdi::kEtoClipped)) {
            rect = QRectF(QPointF(r.word(4), r.word(5)), QPointF(r.word(6), r.word(7)));
            stringAt = 16;
        }
    } else {
        count = r.word(0);
        stringAt = 2;
        const int after = int(1 + (std::max<qint64>(count, 0) + 1) / 2);
        at = pointYX(r, after);
    }
    if (count < 0 || !p.has(stringAt, count)) return;
    const QByteArray bytes(reinterpret_cast<const char*>(p.data() + stringAt), qsizetype(count));
    QVector<double> byteAdvances;
    const qint64 dxAt = stringAt + ((count + 1) & ~qint64(1));
    if (extended && p.has(dxAt, count * 2)) {
        for (qint64 i = 0; i < count; ++i) byteAdvances.append(p.i16(dxAt + 2 * i));
    }
    QString text;
    QVector<double> advances;
    if (!(options & 0x10)) // glyph indices would need the font's own tables
        decodeMetafileText(bytes, dc.state().font.charset, byteAdvances, &text, &advances);
    const bool withRect = options & (gdi::kEtoOpaque | gdi::kEtoClipped);
    dc.text(at, text, advances, options, withRect ? &rect : nullptr);
}

// The DIB records: which words hold what, and where the bitmap starts.
void stretchDibToDevice(MetafileDC& dc, const Record& r) {
    const MetaBytes p = r.params;
    const bool bitmap = qint64(p.size()) / 2 + 3 != (r.function >> 8) + 3;
    quint32 rop = r.u32At(0);
    QRectF dest;
    QRectF src;
    qint64 dibAt = 0;
    bool fromBottom = false; // source rows counted from the bottom, as stretchDIBits does
    DibColors colors = DibColors::Rgb;
    switch (r.function) {
    case kDibBitBlt:
        if (!bitmap) return dc.patBlt(QRectF(r.word(8), r.word(7), r.word(6), r.word(5)), rop);
        src = QRectF(r.word(3), r.word(2), r.word(5), r.word(4));
        dest = QRectF(r.word(7), r.word(6), r.word(5), r.word(4));
        dibAt = 16;
        break;
    case kDibStretchBlt:
        if (!bitmap) return dc.patBlt(QRectF(r.word(10), r.word(9), r.word(8), r.word(7)), rop);
        src = QRectF(r.word(5), r.word(4), r.word(3), r.word(2));
        dest = QRectF(r.word(9), r.word(8), r.word(7), r.word(6));
        dibAt = 20;
        break;
    case kStretchDib:
        colors = r.uword(2) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
        src = QRectF(r.word(6), r.word(5), r.word(4), r.word(3));
        dest = QRectF(r.word(10), r.word(9), r.word(8), r.word(7));
        dibAt = 22;
        fromBottom = true;
        break;
    case kSetDibToDev:
        colors = r.uword(0) == 1 ? DibColors::PaletteIndices : DibColors::Rgb;
        rop = gdi::kSrcCopy;
        src = QRectF(r.word(4), r.word(3), r.word(6), r.word(5));
        dest = QRectF(r.word(8), r.word(7), r.word(6), r.word(5));
        dibAt = 18;
        fromBottom = true;
        break;
    default: return;
    }
    const MetaBytes dib = p.from(dibAt);
    const QImage image = decodePackedDib(dib, colors);
    if (image.isNull()) return;
    if (fromBottom && !dibTopDown(dib)) src.moveTop(image.height() - src.top() - src.height());
    dc.image(image, dest, src, rop);
}

bool play(MetafileDC& dc, const Record& r) {
    MetaDCState& s = dc.state();
    const MetaBytes p = r.params;
    switch (r.function) {
    case kSaveDC: dc.saveDC(); break;
    case kRestoreDC: dc.restoreDC(r.word(0)); break;
    case kSetBkMode: s.bkMode = r.uword(0); break;
    case kSetMapMode: dc.setMapMode(r.uword(0)); break;
    case kSetRop2: s.rop2 = r.uword(0); break;
    case kSetPolyFillMode: s.polyFillMode = r.uword(0); break;
    case kSetTextAlign: s.textAlign = r.uword(0); break;
    case kSetBkColor: s.bkColor = gdi::colorRef(r.u32At(0)); break;
    case kSetTextColor: s.textColor = gdi::colorRef(r.u32At(0)); break;
    case kSetWindowOrg: dc.setWindowOrg(pointYX(r, 0)); break;
    case kSetWindowExt: dc.setWindowExt(QSizeF(r.word(1), r.word(0))); break;
    case kSetViewportOrg: dc.setViewportOrg(pointYX(r, 0)); break;
    case kSetViewportExt: dc.setViewportExt(QSizeF(r.word(1), r.word(0))); break;
    case kOffsetWindowOrg: dc.setWindowOrg(s.winOrg + pointYX(r, 0)); break;
    case kScaleWindowExt: dc.scaleWindowExt(r.word(3), r.word(2), r.word(1), r.word(0)); break;
    case kExcludeClipRect: dc.excludeClip(box(r, 0)); break;
    case kIntersectClipRect: dc.intersectClip(box(r, 0)); break;
    case kSelectObject: dc.selectObject(r.uword(0)); break;
    case kDeleteObject: dc.deleteObject(r.uword(0)); break;
    case kCreatePenIndirect: {
        MetaObject o;
        o.kind = MetaObject::Pen;
        o.pen = gdi::penFromStyle(r.uword(0), r.word(1), gdi::colorRef(r.u32At(3)));
        dc.createObjectInFreeSlot(o);
        break;
    }
    case kCreateBrushIndirect:
        dc.createObjectInFreeSlot(
            brushObject(gdi::brushFromStyle(r.uword(0), gdi::colorRef(r.u32At(1)), r.uword(3))));
        break;
    case kDibCreatePatternBrush: {
        MetaBrush brush;
        const QImage pattern =
            r.uword(0) == 3 ? QImage() // a device-dependent bitmap we cannot read
                            : decodePackedDib(p.from(4), r.uword(1) == 1 ? DibColors::PaletteIndices
                                                                         : DibColors::Rgb);
        if (pattern.isNull()) {
            brush.color = Qt::gray;
        } else {
            brush.pattern = pattern;
            brush.style = Qt::TexturePattern;
        }
        dc.createObjectInFreeSlot(brushObject(brush));
        break;
    }
    case kCreatePatternBrush: {
        MetaBrush brush;
        brush.color = Qt::gray;
        dc.createObjectInFreeSlot(brushObject(brush));
        break;
    }
    case kCreateFontIndirect: dc.createObjectInFreeSlot(fontObject(r)); break;
    case kCreatePalette:
    case kCreateRegion:
        // Not drawn from, but they take a slot in the object table all the same.
        dc.createObjectInFreeSlot(MetaObject());
        break;
    case kMoveTo: dc.moveTo(pointYX(r, 0)); break;
    case kLineTo: dc.lineTo(pointYX(r, 0)); break;
    case kPolygon:
    case kPolyline: {
        const QPolygonF points = readPoints(p, 2, r.word(0));
        dc.polyline(points,
                    r.function == kPolygon ? MetafileDC::Poly::Gon : MetafileDC::Poly::Line);
        break;
    }
    case kPolyPolygon: {
        const qint64 n = r.uword(0);
        if (!p.has(2, n * 2)) break;
        QVector<QPolygonF> polygons;
        qint64 at = 2 + n * 2;
        for (qint64 i = 0; i < n; ++i) {
            const qint64 count = r.uword(int(1 + i));
            if (!p.has(at, count * 4)) return true;
            polygons.append(readPoints(p, at, count));
            at += count * 4;
        }
        dc.polyPolygon(polygons, true);
        break;
    }
    case kRectangle: dc.rectangle(box(r, 0)); break;
    case kEllipse: dc.ellipse(box(r, 0)); break;
    case kRoundRect: dc.roundRect(box(r, 2), QSizeF(r.word(1), r.word(0))); break;
    case kArc:
    case kPie:
    case kChord: {
        const auto kind = r.function == kArc   ? MetafileDC::Arc::Open
                          : r.function == kPie ? MetafileDC::Arc::Pie
                                               : MetafileDC::Arc::Chord;
        dc.arcShape(box(r, 4), pointYX(r, 2), pointYX(r, 0), kind);
        break;
    }
    case kSetPixel: dc.setPixel(pointYX(r, 2), gdi::colorRef(r.u32At(0))); break;
    case kPatBlt: dc.patBlt(QRectF(r.word(5), r.word(4), r.word(3), r.word(2)), r.u32At(0)); break;
    case kTextOut: text(dc, r, false); break;
    case kExtTextOut: text(dc, r, true); break;
    case kDibBitBlt:
    case kDibStretchBlt:
    case kStretchDib:
    case kSetDibToDev: stretchDibToDevice(dc, r); break;
    default: break; // records that change nothing visible here
    }
    return true;
}

} // namespace

std::optional<WmfInfo> readWmfHeader(MetaBytes data) {
    WmfInfo info;
    qint64 at = 0;
    if (data.u32(0) == kPlaceableKey) {
        if (!data.has(0, kPlaceableSize)) return std::nullopt;
        info.placeable = true;
        const double left = data.i16(6), top = data.i16(8), right = data.i16(10),
                     bottom = data.i16(12);
        info.bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
        info.inch = data.u16(14);
        at = kPlaceableSize;
    }
    const quint16 type = data.u16(at);
    if (!data.has(at, kHeaderSize) || (type != 1 && type != 2) || data.u16(at + 2) != 9)
        return std::nullopt;
    info.objects = data.u16(at + 10);
    info.recordsAt = at + kHeaderSize;
    if (!info.placeable) {
        // Without a bounding box the picture is where the records' window says.
        QPointF origin;
        forEachRecord(data, info.recordsAt, [&](const Record& r, qint64) {
            if (r.function == kSetWindowOrg) origin = pointYX(r, 0);
            if (r.function == kSetWindowExt && r.word(0) != 0 && r.word(1) != 0) {
                info.window = QRectF(origin, QSizeF(r.word(1), r.word(0)));
                return false;
            }
            return true;
        });
    }
    return info;
}

void playWmf(MetaBytes data, const WmfInfo& info, QPainter& painter, const QRectF& target,
             const QRectF& window, bool clipToTarget) {
    MetafileDC dc(painter, target, clipToTarget, info.objects ? info.objects : 0xFFFF);
    dc.lockViewportToTarget();
    dc.setWindowOrg(window.topLeft());
    dc.setWindowExt(window.size());
    forEachRecord(data, info.recordsAt, [&](const Record& r, qint64) { return play(dc, r); });
}

} // namespace nubivu
