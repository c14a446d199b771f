#pragma once
// Designed sizes are outer sizes, frame included; Qt sizes the client area.
// The window manager's frame is known only once a window has been shown.
#include <QSize>

class QWidget;

namespace nubivu {

// The client size that gives the window the outer size, with the frame the
// window manager reports now (none before the first showing).
QSize ClientSizeWithin(const QWidget& window, const QSize& outer);

// Centres the window's frame on its screen's available area.
void CentreOnScreen(QWidget& window);

} // namespace nubivu
