#include "pictures/tpicture.h"

namespace nubivu {

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic, const QString& fileName) {
    graphic_ = std::move(graphic);
    fileName_ = graphic_ ? fileName : QString();
    if (graphic_) graphic_->SetOnChange([this](TGraphic*) { changed(); });
    changed();
}

void TPicture::changed() {
    if (onChange_) onChange_();
}

} // namespace nubivu
