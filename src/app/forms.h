#pragma once
// The six windows, created once each at start-up, in this order.
#include <QSize>

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

// Creates the six windows in order (screenWidth < 0: the primary screen's;
// screenArea invalid: the primary screen's free area, or for a given width
// that of a 4:3 screen of that width).
void CreateForms(int screenWidth = -1, QSize screenArea = {});
// Destroys them in reverse order and clears the references.
void DestroyForms();

} // namespace nubivu
