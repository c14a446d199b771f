#pragma once
// What a row costs on the projector: its three pictures decoded, then
// painted by the full-screen view, scaled smoothly to a 1920 x 1080 screen;
// against decoding them alone.
#include "lessonplayer.h"
#include "pictures/formatregistry.h"
#include "slideshow/decodeahead.h"

#include <array>
#include <memory>
#include <vector>

namespace playbench {

class FullScreenCost {
public:
    FullScreenCost();
    ~FullScreenCost();

    // Milliseconds to decode every row's pictures, the one way or the other.
    double decodeMs(const std::vector<RowFiles>& rows);
    double decodeAndPaintMs(const std::vector<RowFiles>& rows);

private:
    struct View;
    std::array<nubivu::DecodedPicture, 3> decodeRow(const RowFiles& row) const;

    nubivu::FormatRegistry formats_;
    std::unique_ptr<View> view_;
};

} // namespace playbench
