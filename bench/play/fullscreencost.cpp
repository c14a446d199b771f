#include "fullscreencost.h"

#include "datalist/imageslot.h"
#include "slideshow/decodeahead.h"
#include "ui/fullscreenview.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>

using namespace nubivu;

namespace playbench {

namespace {
constexpr QSize kScreen(1920, 1080);

template <typename Work> double timeRows(const std::vector<RowFiles>& rows, Work work) {
    QElapsedTimer clock;
    clock.start();
    for (size_t r = 0; r < rows.size(); ++r) work(int(r) + 1, rows[r]);
    return double(clock.nsecsElapsed()) / 1e6;
}
} // namespace

struct FullScreenCost::View {
    // The offscreen screen is small: the view is sized by hand and painted
    // into a picture of the screen, as the window system would have it.
    View() : target(kScreen, QImage::Format_RGB32) { view.resize(kScreen); }
    FullScreenView view;
    QImage target;
};

FullScreenCost::FullScreenCost() : view_(std::make_unique<View>()) {}
FullScreenCost::~FullScreenCost() = default;

std::array<DecodedPicture, 3> FullScreenCost::decodeRow(const RowFiles& row) const {
    return {decodePicture(formats_, row[0]), decodePicture(formats_, row[1]),
            decodePicture(formats_, row[2])};
}

double FullScreenCost::decodeMs(const std::vector<RowFiles>& rows) {
    return timeRows(rows, [this](int, const RowFiles& row) { decodeRow(row); });
}

double FullScreenCost::decodeAndPaintMs(const std::vector<RowFiles>& rows) {
    const int count = int(rows.size());
    return timeRows(rows, [this, count](int number, const RowFiles& row) {
        std::array<DecodedPicture, 3> decoded = decodeRow(row);
        std::array<FullScreenPane, FullScreenView::PaneCount> panes;
        for (size_t i = 0; i < panes.size(); ++i)
            panes[i] = {pictureImage(decoded[i].graphic.get()), defaultTitles()[i],
                        QFileInfo(decoded[i].path).fileName()};
        view_->view.showRow(panes, number, count);
        view_->view.render(&view_->target);
    });
}

} // namespace playbench
