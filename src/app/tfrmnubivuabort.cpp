#include "app/tfrmnubivuabort.h"

#include "ui/glyphs.h"
#include "ui/uifont.h"

#include <QLabel>
#include <QPushButton>

namespace nubivu {

TfrmNubivuAbort::TfrmNubivuAbort(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmNubivuAbort"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(DesignFont());
    setFixedSize(409, 205);
    setWindowIcon(nubivu::ProgramIcon());

    ProgramIcon = new QLabel(this);
    ProgramIcon->setObjectName(QStringLiteral("ProgramIcon"));
    ProgramIcon->setPixmap(nubivu::ProgramIcon().pixmap(32, 32));
    ProgramIcon->setGeometry(24, 24, 32, 32);

    ProductName = new QLabel(QStringLiteral("Nubivu Ver.3.10"), this);
    ProductName->setObjectName(QStringLiteral("ProductName"));
    ProductName->setFont(DesignFont(29, true));
    ProductName->setGeometry(80, 20, 310, 40);

    Comments = new QLabel(QStringLiteral("気象の授業のための画像ビューア"), this);
    Comments->setObjectName(QStringLiteral("Comments"));
    Comments->setGeometry(80, 80, 310, 40);
    Comments->setWordWrap(true);

    OKButton = new QPushButton(QStringLiteral("OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setGeometry(167, 160, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace nubivu
