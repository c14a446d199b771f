#pragma once
// The about box.
#include <QDialog>

class QLabel;
class QPushButton;

namespace nubivu {

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

private:
    // The designed controls; each keeps its designed name as object name.
    QLabel* iconLabel_;
    QLabel* productNameLabel_;
    QLabel* commentsLabel_;
    QPushButton* okButton_;
};

} // namespace nubivu
