#pragma once
// The two fill-in settings exactly as the options dialog's check boxes show
// them. The dialog keeps this in step with its boxes; row loading reads it
// afresh for every row, so a toggle takes effect with the next row shown.
namespace nubivu {

struct FillOptions {
    bool fillEmpty = false; // chkbNulGazo: show the last path met for an empty cell
    bool writeBack = false; // chkbSaveGazoData: also put that path into the list
};

// The settings in force now. Not stored anywhere: every start has both off.
FillOptions& CurrentFillOptions();

} // namespace nubivu
