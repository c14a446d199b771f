#include "app/forms.h"

#include "app/tfrmnubivuabort.h"
#include "app/tfrmnubivumain.h"
#include "datalist/panetitles.h"
#include "editor/tfrmdataedit.h"
#include "editor/tfrmfileselect.h"
#include "sitephotos/tfrmkansokuti.h"
#include "slideshow/tfrmoptiondlg.h"

#include <QLabel>

namespace nubivu {

TfrmNubivuMain* frmNubivuMain = nullptr;
TfrmFileSelect* frmFileSelect = nullptr;
TfrmDataEdit* frmDataEdit = nullptr;
TfrmKansokuti* frmKansokuti = nullptr;
TfrmNubivuAbort* frmNubivuAbort = nullptr;
TfrmOptionDlg* frmOptionDlg = nullptr;

namespace {
// The seven title labels, in slot order: the titles have no other copy.
std::array<QLabel*, SlotCount> titleLabels() {
    return {frmNubivuMain->lblKumotitle, frmNubivuMain->lblNubivuzuTitle,
            frmNubivuMain->lblAmeTitle,  frmKansokuti->lblNorth,
            frmKansokuti->lblSouth,      frmKansokuti->lblEast,
            frmKansokuti->lblWest};
}
} // namespace

void CreateForms(int screenWidth, QSize screenArea) {
    frmNubivuMain = new TfrmNubivuMain(screenWidth, screenArea);
    frmFileSelect = new TfrmFileSelect();
    frmDataEdit = new TfrmDataEdit();
    frmKansokuti = new TfrmKansokuti();
    frmNubivuAbort = new TfrmNubivuAbort();
    frmOptionDlg = new TfrmOptionDlg(frmNubivuMain);
    frmDataEdit->SetMainWindow(frmNubivuMain);
    frmDataEdit->SetFileSelect(frmFileSelect);
    PaneTitleAccess titles;
    titles.read = [] {
        SlotPaths text;
        const auto labels = titleLabels();
        for (size_t s = 0; s < labels.size(); ++s) text[s] = labels[s]->text();
        return text;
    };
    titles.write = [](const SlotPaths& text) {
        const auto labels = titleLabels();
        for (size_t s = 0; s < labels.size(); ++s) labels[s]->setText(text[s]);
    };
    SetPaneTitleAccess(titles);
}

template <class T> static void destroy(T*& form) {
    delete form;
    form = nullptr;
}

void DestroyForms() {
    SetPaneTitleAccess({});
    destroy(frmOptionDlg);
    destroy(frmNubivuAbort);
    destroy(frmKansokuti);
    destroy(frmDataEdit);
    destroy(frmFileSelect);
    destroy(frmNubivuMain);
}

} // namespace nubivu
