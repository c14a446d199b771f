#pragma once
// The six windows, created once each at start-up, in this order.
namespace nubivu {

class TfrmNubivuMain;
class TfrmFileSelect;
class TfrmDataEdit;
class TfrmKansokuti;
class TfrmNubivuAbort;
class TfrmOptionDlg;

extern TfrmNubivuMain* frmNubivuMain;
extern TfrmFileSelect* frmFileSelect;
extern TfrmDataEdit* frmDataEdit;
extern TfrmKansokuti* frmKansokuti;
extern TfrmNubivuAbort* frmNubivuAbort;
extern TfrmOptionDlg* frmOptionDlg;

// Creates the six windows in order (screenWidth < 0: the primary screen's).
void CreateForms(int screenWidth = -1);
// Destroys them in reverse order and clears the references.
void DestroyForms();

} // namespace nubivu
