#pragma once
// The about box.
#include <QDialog>

class QLabel;
class QPushButton;

namespace nubivu {

class TfrmNubivuAbort : public QDialog {
    Q_OBJECT
public:
    explicit TfrmNubivuAbort(QWidget* parent = nullptr);

    QLabel* ProgramIcon;
    QLabel* ProductName;
    QLabel* Comments;
    QPushButton* OKButton;
};

} // namespace nubivu
