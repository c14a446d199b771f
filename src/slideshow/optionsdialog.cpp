#include "slideshow/optionsdialog.h"

#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

namespace nubivu {

OptionsDialog::OptionsDialog(QWidget* mainWindow, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("frmOptionDlg"));
    setWindowTitle(QStringLiteral("オプション"));
    setFont(designFont());
    setModal(false);
    setFixedSize(304, 107); // not scaled to the screen
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_QuitOnClose, false);

    fillEmptyCheck_ =
        new QCheckBox(QStringLiteral("データがない場合は直前のデータを表示する。"), this);
    fillEmptyCheck_->setObjectName(QStringLiteral("chkbNulGazo"));
    fillEmptyCheck_->setGeometry(16, 16, 265, 17);
    fillEmptyCheck_->setFocusPolicy(Qt::ClickFocus);

    okButton_ = new QPushButton(QStringLiteral("OK"), this);
    okButton_->setObjectName(QStringLiteral("bbtnOK"));
    okButton_->setGeometry(112, 72, 75, 25);
    okButton_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);

    writeBackCheck_ = new QCheckBox(QStringLiteral("補った画像データを編集画面に反映する。"), this);
    writeBackCheck_->setObjectName(QStringLiteral("chkbSaveGazoData"));
    writeBackCheck_->setGeometry(16, 40, 265, 17);
    writeBackCheck_->setFocusPolicy(Qt::ClickFocus);

    connect(fillEmptyCheck_, &QCheckBox::clicked, this, &OptionsDialog::fillEmptyClicked);
    connect(okButton_, &QPushButton::clicked, this, &OptionsDialog::okClicked);
    // The slide show reads the boxes as they stand, however they were changed.
    for (QCheckBox* box : {fillEmptyCheck_, writeBackCheck_})
        connect(box, &QCheckBox::toggled, this,
                [this] { Q_EMIT fillOptionsChanged(fillOptions()); });
}

FillOptions OptionsDialog::fillOptions() const {
    return {fillEmptyCheck_->isChecked(), writeBackCheck_->isChecked()};
}

void OptionsDialog::fillEmptyClicked() {
    if (!fillEmptyCheck_->isChecked()) writeBackCheck_->setChecked(false);
    writeBackCheck_->setEnabled(fillEmptyCheck_->isChecked());
}

void OptionsDialog::okClicked() { close(); }

void OptionsDialog::onShown() {
    if (mainWindow_) mainWindow_->setEnabled(false);
}

void OptionsDialog::onActivated() { writeBackCheck_->setEnabled(fillEmptyCheck_->isChecked()); }

void OptionsDialog::onClosed() {
    if (mainWindow_) mainWindow_->setEnabled(true);
}

void OptionsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    // Kept above the main window, which it disables while it is open.
    makeTransientFor(*this, mainWindow_);
    if (!placed_) {
        // Centred the first time; afterwards it reopens where it was left.
        placed_ = true;
        centreOnScreen(*this);
    }
    onShown();
    onActivated(); // also where the window manager does not activate it
}

void OptionsDialog::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Every way of closing hides the dialog: OK, the close box, the window menu.
    if (!event->spontaneous()) onClosed();
}

bool OptionsDialog::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) onActivated();
    return QDialog::event(event);
}

void OptionsDialog::keyPressEvent(QKeyEvent* event) {
    // There is no cancel: Escape does not close the dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace nubivu
