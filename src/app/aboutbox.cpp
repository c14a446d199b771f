#include "app/aboutbox.h"

#include "ui/glyphs.h"
#include "ui/uifont.h"

#include <QLabel>
#include <QPushButton>

namespace nubivu {

AboutBox::AboutBox(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmNubivuAbort"));
    setWindowTitle(QStringLiteral("バージョン情報"));
    setFont(designFont());
    setFixedSize(409, 205);
    setWindowIcon(nubivu::programIcon());

    iconLabel_ = new QLabel(this);
    iconLabel_->setObjectName(QStringLiteral("ProgramIcon"));
    iconLabel_->setPixmap(nubivu::programIcon().pixmap(32, 32));
    iconLabel_->setGeometry(24, 24, 32, 32);

    productNameLabel_ = new QLabel(QStringLiteral("Nubivu Ver.3.10"), this);
    productNameLabel_->setObjectName(QStringLiteral("ProductName"));
    productNameLabel_->setFont(designFont(29, true));
    productNameLabel_->setGeometry(80, 20, 310, 40);

    commentsLabel_ = new QLabel(QStringLiteral("気象の授業のための画像ビューア"), this);
    commentsLabel_->setObjectName(QStringLiteral("Comments"));
    commentsLabel_->setGeometry(80, 80, 310, 40);
    commentsLabel_->setWordWrap(true);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setGeometry(167, 160, 75, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace nubivu
