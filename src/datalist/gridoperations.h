#pragma once
// The editing operations on the lesson's rows, each on the list's current
// cell, whose row may be the one after the last (where the editor's grid
// shows its empty row). They mark the lesson unsaved as the editor does. The
// editor window repaints after them; Open and New use clearList without any window.
#include "datalist/lesson.h"

namespace nubivu {

// Empties the list; current cell (0, 0).
void clearList(Lesson& lesson);
// Inserts an empty cell at the current cell, pushing its slot's values down;
// a value pushed past the last row makes a new row.
void insertCell(Lesson& lesson);
// Inserts an empty row at the current row; a blank last row is dropped for it.
void insertRow(Lesson& lesson);
// Empties the current cell and removes its row when that leaves it blank.
void clearCell(Lesson& lesson);
// Removes the current cell, pulling the rest of its slot's values up.
void deleteCell(Lesson& lesson);
// Removes the current row; nothing after the last row or on an empty list.
void deleteRow(Lesson& lesson);
// Removes the current row if it is blank.
void deleteRowIfBlank(Lesson& lesson);
// Removes every blank row in one pass; current cell (0, 0).
void deleteBlankRows(Lesson& lesson);

} // namespace nubivu
