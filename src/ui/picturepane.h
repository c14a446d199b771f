#pragma once
// A picture pane: owns a TPicture and draws it into its whole rectangle
// (stretched, or at its own size for icons); empty, it shows the background.
#include "pictures/tpicture.h"

#include <QWidget>

namespace nubivu {

class PicturePane : public QWidget {
    Q_OBJECT
public:
    explicit PicturePane(QWidget* parent = nullptr);

    TPicture& Picture() { return picture_; }
    const TPicture& Picture() const { return picture_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TPicture picture_;
};

} // namespace nubivu
