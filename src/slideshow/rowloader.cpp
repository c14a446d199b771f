#include "slideshow/rowloader.h"

#include "datalist/datalist.h"

namespace nubivu {

LoadedRow loadRow(const DataList& list, int row, const SlotPaths& lastPaths,
                  const FillOptions& options) {
    LoadedRow loaded{{}, lastPaths, {}};
    for (int i = 0; i < SlotCount; ++i) {
        const int col = i + 1;
        QString& path = loaded.paths[size_t(i)];
        path = list.Cell(col, row);
        if (!path.isEmpty()) loaded.lastPaths[size_t(i)] = path;
        // Row 1 and the sky slots are never filled in.
        if (row > 1 && path.isEmpty() && i < MainSlotCount && options.fillEmpty) {
            path = loaded.lastPaths[size_t(i)];
            if (options.writeBack) loaded.writeBack.push_back({col, path});
        }
    }
    return loaded;
}

void writeBack(DataList& list, int row, const LoadedRow& loaded) {
    for (const LoadedRow::Cell& cell : loaded.writeBack) list.setCell(cell.col, row, cell.text);
}

} // namespace nubivu
