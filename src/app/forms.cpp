#include "app/forms.h"

#include "app/tfrmnubivuabort.h"
#include "app/tfrmnubivumain.h"
#include "editor/tfrmdataedit.h"
#include "editor/tfrmfileselect.h"
#include "sitephotos/tfrmkansokuti.h"
#include "slideshow/tfrmoptiondlg.h"

namespace nubivu {

TfrmNubivuMain* frmNubivuMain = nullptr;
TfrmFileSelect* frmFileSelect = nullptr;
TfrmDataEdit* frmDataEdit = nullptr;
TfrmKansokuti* frmKansokuti = nullptr;
TfrmNubivuAbort* frmNubivuAbort = nullptr;
TfrmOptionDlg* frmOptionDlg = nullptr;

void CreateForms(int screenWidth) {
    frmNubivuMain = new TfrmNubivuMain(screenWidth);
    frmFileSelect = new TfrmFileSelect();
    frmDataEdit = new TfrmDataEdit();
    frmKansokuti = new TfrmKansokuti();
    frmNubivuAbort = new TfrmNubivuAbort();
    frmOptionDlg = new TfrmOptionDlg(frmNubivuMain);
}

template <class T> static void destroy(T*& form) {
    delete form;
    form = nullptr;
}

void DestroyForms() {
    destroy(frmOptionDlg);
    destroy(frmNubivuAbort);
    destroy(frmKansokuti);
    destroy(frmDataEdit);
    destroy(frmFileSelect);
    destroy(frmNubivuMain);
}

} // namespace nubivu
