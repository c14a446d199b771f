#include "editor/tfrmfileselect.h"

#include "ui/uifont.h"

namespace nubivu {

TfrmFileSelect::TfrmFileSelect(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFileSelect"));
    setWindowTitle(QStringLiteral("データファイルの選択"));
    setFont(DesignFont());
}

} // namespace nubivu
