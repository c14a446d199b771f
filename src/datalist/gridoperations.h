#pragma once
// The editing operations on the lesson's rows, each on the current cell. They
// keep the list's invariants (numbers never move, one trailing empty row) and
// mark the lesson unsaved as the editor does. The editor window repaints
// after them; Open and New use clearList without any window.
#include "datalist/lesson.h"

namespace nubivu {

// Empties the list to the header and the trailing row; current cell (1, 1).
void clearList(Lesson& lesson);
// Inserts an empty cell at the current cell, pushing its column down.
void insertCell(Lesson& lesson);
// Inserts an empty row at the current row.
void insertRow(Lesson& lesson);
// Empties the current cell and removes its row when that leaves it blank.
void clearCell(Lesson& lesson);
// Removes the current cell, pulling the rest of its column up.
void deleteCell(Lesson& lesson);
// Removes the current row; nothing on the trailing row or an empty list.
void deleteRow(Lesson& lesson);
// Removes the current row if it is blank.
void deleteRowIfBlank(Lesson& lesson);
// Removes every blank data row in one pass; current cell (1, 1).
void deleteBlankRows(Lesson& lesson);

} // namespace nubivu
