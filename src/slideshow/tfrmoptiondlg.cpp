#include "slideshow/tfrmoptiondlg.h"

#include "ui/uifont.h"
#include "ui/windowframe.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

namespace nubivu {

TfrmOptionDlg::TfrmOptionDlg(QWidget* mainWindow, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("frmOptionDlg"));
    setWindowTitle(QStringLiteral("オプション"));
    setFont(DesignFont());
    setModal(false);
    setFixedSize(304, 107); // not scaled to the screen
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setAttribute(Qt::WA_QuitOnClose, false);

    chkbNulGazo = new QCheckBox(QStringLiteral("データがない場合は直前のデータを表示する。"), this);
    chkbNulGazo->setObjectName(QStringLiteral("chkbNulGazo"));
    chkbNulGazo->setGeometry(16, 16, 265, 17);
    chkbNulGazo->setFocusPolicy(Qt::ClickFocus);

    bbtnOK = new QPushButton(QStringLiteral("OK"), this);
    bbtnOK->setObjectName(QStringLiteral("bbtnOK"));
    bbtnOK->setGeometry(112, 72, 75, 25);
    bbtnOK->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    bbtnOK->setDefault(true);
    bbtnOK->setAutoDefault(true);

    chkbSaveGazoData =
        new QCheckBox(QStringLiteral("補った画像データを編集画面に反映する。"), this);
    chkbSaveGazoData->setObjectName(QStringLiteral("chkbSaveGazoData"));
    chkbSaveGazoData->setGeometry(16, 40, 265, 17);
    chkbSaveGazoData->setFocusPolicy(Qt::ClickFocus);

    connect(chkbNulGazo, &QCheckBox::clicked, this, &TfrmOptionDlg::chkbNulGazoClick);
    connect(bbtnOK, &QPushButton::clicked, this, &TfrmOptionDlg::bbtnOKClick);
    // The slide show reads the boxes as they stand, however they were changed.
    for (QCheckBox* box : {chkbNulGazo, chkbSaveGazoData})
        connect(box, &QCheckBox::toggled, this,
                [this] { Q_EMIT fillOptionsChanged(fillOptions()); });
}

FillOptions TfrmOptionDlg::fillOptions() const {
    return {chkbNulGazo->isChecked(), chkbSaveGazoData->isChecked()};
}

void TfrmOptionDlg::chkbNulGazoClick() {
    if (!chkbNulGazo->isChecked()) chkbSaveGazoData->setChecked(false);
    chkbSaveGazoData->setEnabled(chkbNulGazo->isChecked());
}

void TfrmOptionDlg::bbtnOKClick() { close(); }

void TfrmOptionDlg::FormShow() {
    if (mainWindow_) mainWindow_->setEnabled(false);
}

void TfrmOptionDlg::FormActivate() { chkbSaveGazoData->setEnabled(chkbNulGazo->isChecked()); }

void TfrmOptionDlg::FormClose() {
    if (mainWindow_) mainWindow_->setEnabled(true);
}

void TfrmOptionDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    // Kept above the main window, which it disables while it is open.
    MakeTransientFor(*this, mainWindow_);
    if (!placed_) {
        // Centred the first time; afterwards it reopens where it was left.
        placed_ = true;
        CentreOnScreen(*this);
    }
    FormShow();
    FormActivate(); // also where the window manager does not activate it
}

void TfrmOptionDlg::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // Every way of closing hides the dialog: OK, the close box, the window menu.
    if (!event->spontaneous()) FormClose();
}

bool TfrmOptionDlg::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QDialog::event(event);
}

void TfrmOptionDlg::keyPressEvent(QKeyEvent* event) {
    // There is no cancel: Escape does not close the dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace nubivu
