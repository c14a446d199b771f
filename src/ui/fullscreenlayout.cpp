#include "ui/fullscreenlayout.h"

#include <algorithm>

namespace nubivu {

QRect fitKeepingAspect(QSize picture, const QRect& box) {
    if (picture.isEmpty() || box.isEmpty()) return box;
    const qint64 pw = picture.width(), ph = picture.height();
    const qint64 bw = box.width(), bh = box.height();
    qint64 w = bw, h = bh;
    // Compare the two aspect ratios exactly, in integers.
    if (pw * bh > ph * bw)
        h = std::max<qint64>(1, (ph * bw + pw / 2) / pw);
    else
        w = std::max<qint64>(1, (pw * bh + ph / 2) / ph);
    return QRect(box.x() + int((bw - w) / 2), box.y() + int((bh - h) / 2), int(w), int(h));
}

FullScreenRects layOutFullScreen(QSize screen, const std::vector<QSize>& pictures, int lineHeight) {
    FullScreenRects out;
    const int count = std::max<int>(1, int(pictures.size()));
    const int margin = std::max(8, screen.width() / 160);
    const int band = lineHeight + 2 * margin; // counter above, captions below
    out.counter = QRect(margin, margin, screen.width() - 2 * margin, lineHeight);

    const int columnWidth = std::max(1, (screen.width() - (count + 1) * margin) / count);
    const int boxHeight = std::max(1, screen.height() - 2 * band);
    std::vector<QRect> fitted;
    int tallest = 0;
    for (int i = 0; i < count; ++i) {
        const QSize size = i < int(pictures.size()) && !pictures[size_t(i)].isEmpty()
                               ? pictures[size_t(i)]
                               : QSize(4, 3);
        fitted.push_back(fitKeepingAspect(size, QRect(0, 0, columnWidth, boxHeight)));
        tallest = std::max(tallest, fitted.back().height());
    }
    // The row of pictures, with its captions, sits in the middle of the screen.
    const int top = band + (boxHeight - tallest) / 2;
    const int captionTop = top + tallest + margin;
    for (int i = 0; i < count; ++i) {
        const int left = margin + i * (columnWidth + margin);
        QRect picture = fitted[size_t(i)];
        picture.moveTo(left + picture.x(), top + (tallest - picture.height()) / 2);
        // Title under the picture's left edge, file name beside it, as under
        // the designed panes.
        const int width = picture.width();
        const int titleWidth = width * 2 / 5;
        out.panes.push_back({picture, QRect(picture.x(), captionTop, titleWidth, lineHeight),
                             QRect(picture.x() + titleWidth + margin, captionTop,
                                   std::max(1, width - titleWidth - margin), lineHeight)});
    }
    return out;
}

} // namespace nubivu
