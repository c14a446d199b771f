#pragma once
// The options dialog: fill-in of empty cells and its write-back.
#include <QDialog>

namespace nubivu {

class TfrmOptionDlg : public QDialog {
    Q_OBJECT
public:
    explicit TfrmOptionDlg(QWidget* parent = nullptr);
};

} // namespace nubivu
