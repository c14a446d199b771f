#include "pictures/picture.h"

namespace nubivu {

void Picture::setGraphic(std::unique_ptr<Graphic> graphic, const QString& fileName) {
    graphic_ = std::move(graphic);
    fileName_ = graphic_ ? fileName : QString();
    if (graphic_) {
        graphic_->setDecodeOptions(options_);
        connect(graphic_.get(), &Graphic::changed, this, &Picture::changed);
    }
    Q_EMIT changed();
}

} // namespace nubivu
