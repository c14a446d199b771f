#pragma once
// Row loading: the seven cells of one row as they are shown, with the
// fill-in of empty main-pane cells from the paths loaded last. Showing a row
// and saving the list both prepare every row through here; nothing but the
// arguments goes in and nothing but the result comes out.
#include "datalist/imageslot.h"
#include "slideshow/filloptions.h"

#include <vector>

namespace nubivu {

class DataList;

struct LoadedRow {
    SlotPaths paths;     // the row's seven paths, after fill-in
    SlotPaths lastPaths; // per slot, the last non-empty path met, this row included
    // With write-back on: the filled-in cells to put into the list, as
    // (slot, text) of the loaded row.
    struct Cell {
        int slot;
        QString text;
        friend bool operator==(const Cell&, const Cell&) = default;
    };
    std::vector<Cell> writeBack;
};

// row: 0 .. count()-1 of the list.
LoadedRow loadRow(const DataList& list, int row, const SlotPaths& lastPaths,
                  const FillOptions& options);

// Puts a loaded row's write-back cells into the list. Bookkeeping, not an
// edit: the lesson stays saved.
void writeBack(DataList& list, int row, const LoadedRow& loaded);

} // namespace nubivu
