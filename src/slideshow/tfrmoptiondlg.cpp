#include "slideshow/tfrmoptiondlg.h"

#include "ui/uifont.h"

namespace nubivu {

TfrmOptionDlg::TfrmOptionDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmOptionDlg"));
    setWindowTitle(QStringLiteral("オプション"));
    setFont(DesignFont());
}

} // namespace nubivu
