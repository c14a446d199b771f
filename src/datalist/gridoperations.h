#pragma once
// The editing operations on the data list, each on its current cell. They keep
// the list's invariants (numbers never move, one trailing empty row) and clear
// DataSaved as the editor does. The editor window repaints after them; the
// file reader uses NewStringGrid and GyoDelete without any window.
#include "datalist/datalist.h"

namespace nubivu {

// Empties the list to the header and the trailing row; current cell (1, 1).
void NewStringGrid(DataList& list);
// Inserts an empty cell at the current cell, pushing its column down.
void CellInsert(DataList& list);
// Inserts an empty row at the current row.
void GyoInsert(DataList& list);
// Empties the current cell and removes its row when that leaves it blank.
void CellClear(DataList& list);
// Removes the current cell, pulling the rest of its column up.
void CellDelete(DataList& list);
// Removes the current row; nothing on the trailing row or an empty list.
void GyoDelete(DataList& list);
// Removes the current row if it is blank.
void BrankCheck(DataList& list);
// Removes every blank data row in one pass; current cell (1, 1).
void BrankGyoDelete(DataList& list);

} // namespace nubivu
