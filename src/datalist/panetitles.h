#pragma once
// The seven pane titles have no variable of their own: they are the captions
// of the title labels of the main and sky windows. Those windows sit above
// this library, so the application wires in how to read and write them.
#include "datalist/imageslot.h"

#include <functional>

namespace nubivu {

struct PaneTitleAccess {
    std::function<SlotPaths()> read;
    std::function<void(const SlotPaths&)> write;
};

// Without access wired in (tests of the lower areas), the titles are kept here.
void SetPaneTitleAccess(PaneTitleAccess access);
SlotPaths PaneTitles();
void SetPaneTitles(const SlotPaths& titles);

} // namespace nubivu
