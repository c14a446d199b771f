#include "slideshow/rowloader.h"

#include "datalist/datalist.h"

namespace nubivu {

LoadedRow loadRow(const DataList& list, int row, const SlotPaths& lastPaths,
                  const FillOptions& options) {
    LoadedRow loaded{{}, lastPaths, {}};
    for (int i = 0; i < SlotCount; ++i) {
        QString& path = loaded.paths[size_t(i)];
        path = list.cell(row, i);
        if (!path.isEmpty()) loaded.lastPaths[size_t(i)] = path;
        // The first row and the sky slots are never filled in.
        if (row > 0 && path.isEmpty() && i < MainSlotCount && options.fillEmpty) {
            path = loaded.lastPaths[size_t(i)];
            if (options.writeBack) loaded.writeBack.push_back({i, path});
        }
    }
    return loaded;
}

void writeBack(DataList& list, int row, const LoadedRow& loaded) {
    for (const LoadedRow::Cell& cell : loaded.writeBack) list.setCell(row, cell.slot, cell.text);
}

} // namespace nubivu
