#include "slideshow/playorder.h"

namespace nubivu {

std::optional<PlayStep> nextPlayStep(int rowCount, int row, PlayDirection direction,
                                     EndOfList mode) {
    using enum PlayDirection;
    // A row out of range (the list shrank under a running play) ends it.
    if (rowCount < 2 || row < 0 || row >= rowCount) return std::nullopt;
    const int last = rowCount - 1;
    if (direction == Forward) {
        if (row < last) return PlayStep{row + 1, Forward, false};
        switch (mode) {
        case EndOfList::Stop: return std::nullopt;
        case EndOfList::Loop: return PlayStep{0, Forward, true};
        case EndOfList::Rock: return PlayStep{row - 1, Backward, true};
        }
        return std::nullopt;
    }
    if (row > 0) return PlayStep{row - 1, Backward, false};
    switch (mode) {
    case EndOfList::Stop: return std::nullopt;
    case EndOfList::Loop: return PlayStep{last, Backward, false};
    case EndOfList::Rock: return PlayStep{1, Forward, false};
    }
    return std::nullopt;
}

std::optional<PlayStep> PlayOrder::advance(int rowCount, int row) {
    const std::optional<PlayStep> step = peek(rowCount, row);
    if (step) direction_ = step->direction;
    return step;
}

} // namespace nubivu
