#pragma once
// The editing operations on the lesson's rows, each on the current cell. They
// keep the list's invariants (numbers never move, one trailing empty row) and
// mark the lesson unsaved as the editor does. The editor window repaints
// after them; Open and New use ClearList without any window.
#include "datalist/lesson.h"

namespace nubivu {

// Empties the list to the header and the trailing row; current cell (1, 1).
void ClearList(Lesson& lesson);
// Inserts an empty cell at the current cell, pushing its column down.
void InsertCell(Lesson& lesson);
// Inserts an empty row at the current row.
void InsertRow(Lesson& lesson);
// Empties the current cell and removes its row when that leaves it blank.
void ClearCell(Lesson& lesson);
// Removes the current cell, pulling the rest of its column up.
void DeleteCell(Lesson& lesson);
// Removes the current row; nothing on the trailing row or an empty list.
void DeleteRow(Lesson& lesson);
// Removes the current row if it is blank.
void DeleteRowIfBlank(Lesson& lesson);
// Removes every blank data row in one pass; current cell (1, 1).
void DeleteBlankRows(Lesson& lesson);

} // namespace nubivu
