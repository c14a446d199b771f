#pragma once
// Row loading: the seven cells of row CurrentRow into CurrentPaths, with the
// fill-in of empty main-pane cells from LastPaths. Showing a row and saving
// the list both prepare every row through here.
#include "slideshow/filloptions.h"

namespace nubivu {

class DataList;

// Uses the fill-in settings in force now.
void SetArrayDat(DataList& list);
void SetArrayDat(DataList& list, const FillOptions& options);

} // namespace nubivu
