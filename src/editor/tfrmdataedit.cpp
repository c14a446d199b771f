#include "editor/tfrmdataedit.h"

#include "ui/uifont.h"

namespace nubivu {

TfrmDataEdit::TfrmDataEdit(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmDataEdit"));
    setWindowTitle(QStringLiteral("編集"));
    setFont(DesignFont());
}

} // namespace nubivu
