#include "ui/picturepane.h"

#include "core/errors.h"
#include "ui/fullscreenlayout.h"

#include <QPainter>
#include <cstdlib>

namespace nubivu {

PicturePane::PicturePane(QWidget* parent) : QWidget(parent) {
    connect(&picture_, &Picture::changed, this, qOverload<>(&QWidget::update));
}

void PicturePane::setKeepAspect(bool keep) {
    if (keep == keepAspect_) return;
    keepAspect_ = keep;
    update();
}

QRect PicturePane::pictureRect() const {
    if (!keepAspect_) return rect();
    // A metafile may give its size with a sign.
    return fitKeepingAspect(QSize(std::abs(picture_.width()), std::abs(picture_.height())), rect());
}

QSize PicturePane::drawSizeAhead() const { return keepAspect_ || !isVisible() ? QSize() : size(); }

void PicturePane::paintEvent(QPaintEvent*) {
    Graphic* graphic = picture_.graphic();
    if (!graphic || graphic->empty()) return;
    QPainter painter(this);
    // Bilinear: an enlarged picture shows no blocks, and a reduced one costs
    // no more than the pane's own pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    try {
        graphic->drawInto(painter, pictureRect());
    } catch (const ENubivuError& e) {
        Q_EMIT paintFailed(e.message(), picture_.fileName());
    }
}

} // namespace nubivu
