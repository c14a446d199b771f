// SPDX-License-Identifier: MIT
#pragma once
// The test picture the plug-in benches decode: something like a weather map,
// smooth fields, coast lines, a little noise, the same in every run.
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRandomGenerator>

inline QImage weatherMap(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x)
            row[x] = qRgb(x * 255 / w, (x + y) * 127 / (w + h) + 64, y * 255 / h);
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRandomGenerator random(7);
    for (int i = 0; i < 300; ++i) {
        painter.setPen(QPen(QColor::fromRgb(random.generate()), 1 + random.bounded(3)));
        painter.drawLine(random.bounded(w), random.bounded(h), random.bounded(w),
                         random.bounded(h));
    }
    return image;
}
