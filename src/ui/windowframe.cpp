#include "ui/windowframe.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace nubivu {

QMargins frameMargins(const QWidget& window) {
    // The platform window's own value: the widget's copy is refreshed only
    // by the next move or resize, which a late frame need not bring.
    if (const QWindow* handle = window.windowHandle(); handle && handle->handle())
        return handle->frameMargins();
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(),
            frame.right() - client.right(), frame.bottom() - client.bottom()};
}

QSize clientSizeWithin(const QWidget& window, const QSize& outer) {
    const QMargins margins = frameMargins(window);
    if (margins.left() < 0 || margins.top() < 0 || margins.right() < 0 || margins.bottom() < 0)
        return outer;
    return outer.shrunkBy(margins);
}

void centreOnScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    QRect frame(window.pos(), window.size().grownBy(frameMargins(window)));
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

void makeTransientFor(QWidget& window, const QWidget* owner) {
    if (!owner || !window.windowHandle() || !owner->windowHandle()) return;
    window.windowHandle()->setTransientParent(owner->windowHandle());
}

OuterSizeKeeper::OuterSizeKeeper(QWidget* window, QSize outer,
                                 std::function<void(QSize)> applyClientSize)
    : QObject(window), window_(window), outer_(outer), applyClientSize_(std::move(applyClientSize)),
      place_([window] { centreOnScreen(*window); }) {
    window->installEventFilter(this);
    apply();
}

void OuterSizeKeeper::apply() {
    applied_ = frameMargins(*window_);
    applyClientSize_(clientSizeWithin(*window_, outer_));
}

void OuterSizeKeeper::frameMayHaveChanged() {
    if (frameMargins(*window_) == applied_) return;
    apply();
    if (centring_) place_();
    // Framed now: from here on the window stays where it is put.
    if (!applied_.isNull()) centring_ = false;
}

bool OuterSizeKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_) return false;
    switch (event->type()) {
    case QEvent::Show:
        if (!shown_) {
            shown_ = true;
            centring_ = true;
            // The window is mapped once the show has been handled.
            QTimer::singleShot(0, this, [this] {
                apply();
                place_();
                if (!applied_.isNull()) centring_ = false;
            });
        }
        break;
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::WindowActivate:
    case QEvent::ActivationChange:
    case QEvent::UpdateRequest:
        if (shown_) frameMayHaveChanged();
        break;
    default: break;
    }
    return false;
}

} // namespace nubivu
