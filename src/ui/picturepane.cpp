#include "ui/picturepane.h"

#include "core/errors.h"
#include "ui/errorreport.h"
#include "ui/fullscreenlayout.h"

#include <QPainter>
#include <cstdlib>

namespace nubivu {

PicturePane::PicturePane(QWidget* parent) : QWidget(parent) {
    picture_.SetOnChange([this] { update(); });
}

void PicturePane::setKeepAspect(bool keep) {
    if (keep == keepAspect_) return;
    keepAspect_ = keep;
    update();
}

QRect PicturePane::pictureRect() const {
    if (!keepAspect_) return rect();
    // A metafile may give its size with a sign.
    return FitKeepingAspect(QSize(std::abs(picture_.Width()), std::abs(picture_.Height())), rect());
}

QSize PicturePane::drawSizeAhead() const { return keepAspect_ || !isVisible() ? QSize() : size(); }

void PicturePane::paintEvent(QPaintEvent*) {
    TGraphic* graphic = picture_.Graphic();
    if (!graphic || graphic->Empty()) return;
    QPainter painter(this);
    // Bilinear: an enlarged picture shows no blocks, and a reduced one costs
    // no more than the pane's own pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    try {
        graphic->DrawInto(painter, pictureRect());
    } catch (const ENubivuError& e) {
        // Never a modal box from inside a paint: report once the paint is over.
        QueueErrorReport(e.message(), picture_.FileName());
    }
}

} // namespace nubivu
