#pragma once
// A picture pane: owns a Picture and draws it into its whole rectangle
// (stretched, or at its own size for icons), smoothly; empty, it shows the
// background. Asked to, it keeps the picture's aspect ratio instead of
// stretching it. A failure met while painting is signalled, for the window
// that holds the pane to report (see reportPaintFailures).
#include "pictures/picture.h"

#include <QWidget>

namespace nubivu {

class PicturePane : public QWidget {
    Q_OBJECT
public:
    explicit PicturePane(QWidget* parent = nullptr);

    Picture& picture() { return picture_; }
    const Picture& picture() const { return picture_; }

    // Off by default: the picture fills the pane, as designed.
    void setKeepAspect(bool keep);
    bool keepsAspect() const { return keepAspect_; }
    // Where the picture is drawn: the whole pane, or the largest part of it
    // with the picture's aspect ratio, centred.
    QRect pictureRect() const;
    // The size the next picture will be drawn at, known before it is
    // loaded: the pane's own while it stretches its picture; empty when
    // the aspect is kept (then it depends on the picture) or when hidden.
    QSize drawSizeAhead() const;

Q_SIGNALS:
    // From inside the paint event: the receiver must not open a modal box there.
    void paintFailed(const QString& message, const QString& fileName);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Picture picture_;
    bool keepAspect_ = false;
};

} // namespace nubivu
