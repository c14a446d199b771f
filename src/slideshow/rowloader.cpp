#include "slideshow/rowloader.h"

#include "datalist/datalist.h"
#include "datalist/sharedstate.h"

namespace nubivu {

void SetArrayDat(DataList& list) { SetArrayDat(list, CurrentFillOptions()); }

void SetArrayDat(DataList& list, const FillOptions& options) {
    for (int i = 0; i < SlotCount; ++i) {
        const int col = i + 1;
        QString& path = CurrentPaths[static_cast<size_t>(i)];
        path = list.Cell(col, CurrentRow);
        if (!path.isEmpty()) LastPaths[static_cast<size_t>(i)] = path;
        // Row 1 and the sky slots are never filled in.
        if (CurrentRow > 1 && path.isEmpty() && i < MainSlotCount && options.fillEmpty) {
            path = LastPaths[static_cast<size_t>(i)];
            // Writing the filled path back is bookkeeping, not an edit: DataSaved stays.
            if (options.writeBack) list.SetCell(col, CurrentRow, path);
        }
    }
}

} // namespace nubivu
