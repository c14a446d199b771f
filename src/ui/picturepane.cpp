#include "ui/picturepane.h"

#include "core/errors.h"
#include "ui/errorreport.h"

#include <QPainter>

namespace nubivu {

PicturePane::PicturePane(QWidget* parent) : QWidget(parent) {
    picture_.SetOnChange([this] { update(); });
}

void PicturePane::paintEvent(QPaintEvent*) {
    TGraphic* graphic = picture_.Graphic();
    if (!graphic || graphic->Empty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    try {
        graphic->DrawInto(painter, rect());
    } catch (const ENubivuError& e) {
        // Never a modal box from inside a paint: report once the paint is over.
        QueueErrorReport(e.message(), picture_.FileName());
    }
}

} // namespace nubivu
