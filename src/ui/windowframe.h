#pragma once
// Designed sizes are outer sizes, frame included; Qt sizes the client area.
// The window manager's frame is known only once a window has been shown, and
// often a little later still: it is reported when the window manager has
// framed the window, after the first show has been handled.
#include <QMargins>
#include <QObject>
#include <QSize>
#include <functional>

class QWidget;

namespace nubivu {

// The frame the window manager reports now (none before the first showing,
// none without a window manager).
QMargins frameMargins(const QWidget& window);

// The client size that gives the window the outer size, with the frame the
// window manager reports now.
QSize clientSizeWithin(const QWidget& window, const QSize& outer);

// Centres the window's frame on its screen's available area.
void centreOnScreen(QWidget& window);

// Makes window a transient of owner, so that the window manager keeps it
// above owner: call it before the window is mapped (from its show event).
// Only dialog-type windows are marked as transient on X11.
void makeTransientFor(QWidget& window, const QWidget* owner);

// Keeps a window at its outer size: whenever the reported frame changes, the
// client size is set anew through applyClientSize. The first showing centres
// the window, and so does each change of frame until the window is framed, so
// that a frame reported late does not push it off centre; later showings leave
// the window where the user put it.
class OuterSizeKeeper : public QObject {
    Q_OBJECT
public:
    OuterSizeKeeper(QWidget* window, QSize outer, std::function<void(QSize)> applyClientSize);

    QSize outer() const { return outer_; }
    // Applies the client size for the frame known now.
    void apply();
    // How the window is placed when first shown and once its frame is known;
    // centred on its screen unless told otherwise.
    void setPlacement(std::function<void()> place) { place_ = std::move(place); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void frameMayHaveChanged();

    QWidget* window_;
    QSize outer_;
    std::function<void(QSize)> applyClientSize_;
    std::function<void()> place_;
    QMargins applied_;
    bool shown_ = false;
    bool centring_ = false;
};

} // namespace nubivu
