#pragma once
// Holds at most one picture object and says when it changed; every pane owns one.
#include "pictures/tgraphic.h"

#include <functional>
#include <memory>

namespace nubivu {

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return graphic_.get(); }
    // Takes ownership; null clears. fileName: where the graphic came from, if
    // anywhere, so that a failure met later while drawing can name it.
    void SetGraphic(std::unique_ptr<TGraphic> graphic, const QString& fileName = QString());
    const QString& FileName() const { return fileName_; }
    void Clear() { SetGraphic(nullptr); }
    bool Empty() const { return !graphic_ || graphic_->Empty(); }

    int Width() const { return graphic_ ? graphic_->Width() : 0; }
    int Height() const { return graphic_ ? graphic_->Height() : 0; }

    void SetOnChange(std::function<void()> handler) { onChange_ = std::move(handler); }
    void SetOnProgress(TProgressEvent handler) { onProgress_ = std::move(handler); }
    const TProgressEvent& OnProgress() const { return onProgress_; }

private:
    void changed();

    std::unique_ptr<TGraphic> graphic_;
    QString fileName_;
    std::function<void()> onChange_;
    TProgressEvent onProgress_;
};

} // namespace nubivu
