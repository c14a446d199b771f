#include "ui/windowframe.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace nubivu {

QSize ClientSizeWithin(const QWidget& window, const QSize& outer) {
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    if (!(frame.size() - client.size()).isValid()) return outer;
    const QMargins margins(client.left() - frame.left(), client.top() - frame.top(),
                           frame.right() - client.right(), frame.bottom() - client.bottom());
    return outer.shrunkBy(margins);
}

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

} // namespace nubivu
