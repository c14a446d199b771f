#pragma once
// Holds at most one picture object and says when it changed; every pane owns one.
// Each picture it is given decodes with its decode options.
#include "pictures/graphic.h"

#include <QObject>
#include <memory>

namespace nubivu {

class Picture : public QObject {
    Q_OBJECT
public:
    Picture() = default;

    Graphic* graphic() const { return graphic_.get(); }
    // Takes ownership; null clears. fileName: where the graphic came from, if
    // anywhere, so that a failure met later while drawing can name it.
    void setGraphic(std::unique_ptr<Graphic> graphic, const QString& fileName = QString());
    const QString& fileName() const { return fileName_; }
    void clear() { setGraphic(nullptr); }
    bool empty() const { return !graphic_ || graphic_->empty(); }

    // For the pictures set from now on.
    void setDecodeOptions(const DecodeOptions& options) { options_ = options; }
    const DecodeOptions& decodeOptions() const { return options_; }

    int width() const { return graphic_ ? graphic_->width() : 0; }
    int height() const { return graphic_ ? graphic_->height() : 0; }

Q_SIGNALS:
    // Another graphic, none, or the graphic's own contents changed.
    void changed();

private:
    std::unique_ptr<Graphic> graphic_;
    QString fileName_;
    DecodeOptions options_;
};

} // namespace nubivu
