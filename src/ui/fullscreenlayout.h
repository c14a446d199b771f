#pragma once
// Where full screen puts things: each pane's picture at the largest size that
// fits with its aspect ratio kept (the rest stays black), its title and file
// name under it, and the row counter at the top right. Pure functions of the
// screen size, the pictures' sizes and the height of a line of text.
#include <QRect>
#include <QSize>
#include <vector>

namespace nubivu {

// The largest rectangle of picture's aspect ratio inside box, centred in it.
// An empty picture size gives the box itself.
QRect fitKeepingAspect(QSize picture, const QRect& box);

struct FullScreenPaneRects {
    QRect picture;
    QRect title;
    QRect fileName;
};

struct FullScreenRects {
    std::vector<FullScreenPaneRects> panes;
    QRect counter;
};

// pictures: one size per pane shown side by side (1 or 3); an empty size
// (a pane without a picture) is laid out as the designed 4:3 pane.
FullScreenRects layOutFullScreen(QSize screen, const std::vector<QSize>& pictures, int lineHeight);

} // namespace nubivu
