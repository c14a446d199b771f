#pragma once
// The state that every window shares, as plain globals of the main unit.
// Nothing here is ever saved; every start begins from the values below.
#include "datalist/imageslot.h"

#include <QSize>
#include <QString>
#include <cstdint>

namespace nubivu {

extern std::int32_t CurrentRow;  // 1-based number of the data row on show
extern SlotPaths CurrentPaths;   // the row last loaded, after fill-in
extern SlotPaths LastPaths;      // per slot, the last non-empty path met while loading
extern QString DataFileName;     // the data list file last opened or saved
extern QString BaseCaption;      // caption prefix the file part is appended to
extern bool DataSaved;           // the list and titles have no unsaved changes
extern bool KeepRowOnActivate;   // the next activation keeps CurrentRow
extern bool StopRequested;       // stop was pressed during play
extern std::int32_t ScreenWidth; // read once when the main window is created
extern double ScaleFactor;       // ScreenWidth / 639
extern QSize ScreenArea;         // the screen's area free for windows, read with ScreenWidth

// Puts every global back to its value at program start (tests start from here).
void ResetSharedState();

} // namespace nubivu
