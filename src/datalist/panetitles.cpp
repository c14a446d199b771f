#include "datalist/panetitles.h"

namespace nubivu {

namespace {
PaneTitleAccess& access() {
    static PaneTitleAccess wired;
    return wired;
}
SlotPaths& kept() {
    static SlotPaths titles = defaultTitles();
    return titles;
}
} // namespace

void SetPaneTitleAccess(PaneTitleAccess a) { access() = std::move(a); }

SlotPaths PaneTitles() { return access().read ? access().read() : kept(); }

void SetPaneTitles(const SlotPaths& titles) {
    if (access().write)
        access().write(titles);
    else
        kept() = titles;
}

} // namespace nubivu
