#pragma once
// The two fill-in settings exactly as the options dialog's check boxes show
// them. Not stored anywhere: every start has both off.
namespace nubivu {

struct FillOptions {
    bool fillEmpty = false; // chkbNulGazo: show the last path met for an empty cell
    bool writeBack = false; // chkbSaveGazoData: also put that path into the list

    friend bool operator==(const FillOptions&, const FillOptions&) = default;
};

} // namespace nubivu
