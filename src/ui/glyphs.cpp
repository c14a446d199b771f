#include "ui/glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace nubivu {

namespace {

QPixmap drawGlyph(Glyph glyph, QColor ink) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    auto triangle = [&](qreal x, bool right) {
        QPolygonF t;
        if (right)
            t << QPointF(x, 3) << QPointF(x + 7, 8) << QPointF(x, 13);
        else
            t << QPointF(x + 7, 3) << QPointF(x, 8) << QPointF(x + 7, 13);
        p.drawPolygon(t);
    };
    switch (glyph) {
    case Glyph::Play: triangle(4, true); break;
    case Glyph::StepForward:
        triangle(3, true);
        p.drawRect(QRectF(11, 3, 2, 10));
        break;
    case Glyph::Stop: p.drawRect(QRectF(4, 4, 8, 8)); break;
    case Glyph::StepBack:
        p.drawRect(QRectF(3, 3, 2, 10));
        triangle(6, false);
        break;
    case Glyph::Return:
        p.drawRect(QRectF(2, 3, 2, 10));
        triangle(4, false);
        triangle(9, false);
        break;
    }
    return pm;
}

QPixmap drawProgramIcon(int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xc0, 0x20));
    p.drawEllipse(QRectF(15, 3, 14, 14));
    QPainterPath cloud;
    cloud.setFillRule(Qt::WindingFill); // the overlapping parts belong to the cloud, too
    cloud.addEllipse(QRectF(3, 13, 12, 12));
    cloud.addEllipse(QRectF(9, 9, 14, 14));
    cloud.addEllipse(QRectF(17, 14, 12, 11));
    cloud.addRect(QRectF(9, 19, 14, 6));
    p.setBrush(QColor(0xf4, 0xf8, 0xff));
    p.setPen(QPen(QColor(0x30, 0x60, 0xa0), 1.5));
    p.drawPath(cloud.simplified());
    return pm;
}

} // namespace

QIcon buttonGlyph(Glyph glyph) {
    QIcon icon;
    icon.addPixmap(drawGlyph(glyph, QColor(0x00, 0x60, 0x00)), QIcon::Normal);
    icon.addPixmap(drawGlyph(glyph, QColor(0xa0, 0xa0, 0xa0)), QIcon::Disabled);
    return icon;
}

QIcon programIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(drawProgramIcon(size));
    return icon;
}

} // namespace nubivu
