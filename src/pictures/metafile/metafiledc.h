#pragma once
// The drawing state a metafile is played into: the mapping from logical units
// to the target rectangle, the object table, and the drawing operations both
// metafile kinds share, carried out with QPainter.
#include <QBrush>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>
#include <unordered_map>
#include <vector>

class QPainter;

namespace nubivu {

struct MetaPen {
    bool null = false;
    Qt::PenStyle style = Qt::SolidLine;
    double width = 0; // logical units; 0 draws one pixel wide
    bool geometric = false;
    QColor color = Qt::black;
    Qt::PenCapStyle cap = Qt::RoundCap;
    Qt::PenJoinStyle join = Qt::RoundJoin;
};

struct MetaBrush {
    bool null = false;
    QColor color = Qt::white;
    Qt::BrushStyle style = Qt::SolidPattern; // a hatch pattern, or texture with pattern set
    QImage pattern;
};

struct MetaFont {
    QString face;
    double height = 0;     // negative: character height; positive: cell height; 0: default
    double escapement = 0; // tenths of a degree, counter-clockwise
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charset = 0;
};

struct MetaObject {
    enum Kind { Pen, Brush, Font, Other };
    Kind kind = Other;
    MetaPen pen;
    MetaBrush brush;
    MetaFont font;
};

// GDI constants the players and the drawing code share.
namespace gdi {
constexpr int kTransparent = 1;
constexpr int kOpaque = 2;
constexpr int kMmText = 1, kMmLoMetric = 2, kMmHiMetric = 3, kMmLoEnglish = 4, kMmHiEnglish = 5,
              kMmTwips = 6, kMmIsotropic = 7, kMmAnisotropic = 8;
constexpr int kWinding = 2;
constexpr quint32 kTaUpdateCp = 1, kTaRight = 2, kTaCenter = 6, kTaBottom = 8, kTaBaseline = 24;
constexpr quint32 kEtoOpaque = 2, kEtoClipped = 4;
constexpr quint32 kSrcCopy = 0x00CC0020;
constexpr int kRgnAnd = 1, kRgnOr = 2, kRgnXor = 3, kRgnDiff = 4, kRgnCopy = 5;

QColor colorRef(quint32 value);
MetaPen penFromStyle(quint32 style, double width, QColor color);
MetaBrush brushFromStyle(quint32 style, QColor color, quint32 hatch);
} // namespace gdi

struct MetaDCState {
    MetaPen pen;
    MetaBrush brush;
    MetaFont font;
    QColor textColor = Qt::black;
    QColor bkColor = Qt::white;
    int bkMode = gdi::kOpaque;
    quint32 textAlign = 0;
    int polyFillMode = 1;
    int rop2 = 13;
    bool clockwise = false;
    int mapMode = gdi::kMmText;
    QPointF winOrg{0, 0};
    QSizeF winExt{1, 1};
    QPointF vpOrg{0, 0};
    QSizeF vpExt{1, 1};
    QTransform world;
    QPointF current;
    bool clipped = false;
    QPainterPath clip; // in output coordinates, when clipped
};

class MetafileDC {
public:
    enum class Arc { Open, Pie, Chord, To };
    enum class Poly { Line, Gon, LineTo, Bezier, BezierTo };

    // Draws into the painter; with clipToTarget nothing lands outside the target.
    MetafileDC(QPainter& painter, const QRectF& target, bool clipToTarget, quint32 maxObjects);
    ~MetafileDC();
    MetafileDC(const MetafileDC&) = delete;
    MetafileDC& operator=(const MetafileDC&) = delete;

    MetaDCState& state() { return state_; }

    // --- mapping
    void setDeviceToOutput(const QTransform& t) { deviceToOutput_ = t; }
    // Device pixels per millimetre of the recording device, for the metric mapping modes.
    void setDeviceResolution(double pxPerMmX, double pxPerMmY);
    // Fixes the viewport to the target: records may move only the window (plain WMF playback).
    void lockViewportToTarget();
    void setMapMode(int mode);
    void setWindowOrg(QPointF p) { state_.winOrg = p; }
    void setWindowExt(QSizeF s);
    void setViewportOrg(QPointF p);
    void setViewportExt(QSizeF s);
    void scaleWindowExt(double xNum, double xDen, double yNum, double yDen);
    void scaleViewportExt(double xNum, double xDen, double yNum, double yDen);
    void setWorld(const QTransform& t);
    // Logical units to output (painter) coordinates.
    QTransform fullTransform() const;

    // --- clipping (rectangles in logical units, regions in device units)
    void intersectClip(const QRectF& r);
    void excludeClip(const QRectF& r);
    void selectClipRegion(const QPainterPath& deviceRegion, int mode);
    void selectClipPath(int mode);
    void resetClip();

    // --- state stack
    void saveDC();
    void restoreDC(int which);

    // --- objects
    void createObjectAt(quint32 index, MetaObject object);
    void createObjectInFreeSlot(MetaObject object);
    void selectObject(quint32 index);
    void selectStockObject(quint32 index);
    void deleteObject(quint32 index);
    const MetaObject* object(quint32 index) const;

    // --- paths
    void beginPath();
    void endPath() { inPath_ = false; }
    void abortPath();
    void closeFigure();
    void drawPath(bool fill, bool stroke);

    // --- drawing (logical units)
    void moveTo(QPointF p);
    void lineTo(QPointF p);
    void polyline(const QPolygonF& points, Poly kind);
    void polyPolygon(const QVector<QPolygonF>& polygons, bool closed);
    void rectangle(const QRectF& r);
    void roundRect(const QRectF& r, QSizeF corner);
    void ellipse(const QRectF& r);
    void arcShape(const QRectF& box, QPointF start, QPointF end, Arc kind);
    void angleArc(QPointF center, double radius, double startDeg, double sweepDeg);
    void setPixel(QPointF p, QColor color);
    void fillArea(const QPainterPath& logicalArea, const MetaBrush& brush);
    void patBlt(const QRectF& r, quint32 rop);
    // src in image pixels (top-down); dest may have negative sizes to mirror.
    void image(const QImage& image, const QRectF& dest, QRectF src, quint32 rop,
               double opacity = 1);
    // One run of text; advances (logical units, one per QChar) may be empty.
    void text(QPointF reference, const QString& text, const QVector<double>& advances,
              quint32 options, const QRectF* rect);

private:
    void shape(const QPainterPath& path, bool fill, bool stroke);
    void applyClip();
    void combineClip(const QPainterPath& outputArea, int mode);
    bool usable(const QRectF& outputBounds) const;
    QPen currentPen(const QTransform& full) const;
    QBrush brushFor(const MetaBrush& brush, const QTransform& full) const;
    bool beginRop();
    void endRop();
    void setBlendMode(quint32 rop);

    QPainter& painter_;
    QRectF target_;
    bool clipToTarget_;
    quint32 maxObjects_;
    MetaDCState state_;
    std::vector<MetaDCState> saved_;
    std::unordered_map<quint32, MetaObject> objects_;
    quint32 firstFree_ = 0;
    QTransform deviceToOutput_;
    double pxPerMmX_ = 96 / 25.4;
    double pxPerMmY_ = 96 / 25.4;
    bool viewportLocked_ = false;
    bool inPath_ = false;
    QPainterPath path_;
    bool rasterOps_ = false;
};

// Text bytes of a font's character set to Unicode; byteAdvances (one per byte,
// may be empty) are summed per character into advances.
void decodeMetafileText(const QByteArray& bytes, int charset, const QVector<double>& byteAdvances,
                        QString* text, QVector<double>* advances);

} // namespace nubivu
