#include "sitephotos/tfrmkansokuti.h"

#include "ui/uifont.h"

namespace nubivu {

TfrmKansokuti::TfrmKansokuti(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmKansokuti"));
    setWindowTitle(QStringLiteral("私たちの地域の様子"));
    setFont(DesignFont());
}

} // namespace nubivu
