#pragma once
// The image file chooser, modal over the editor.
#include <QDialog>

namespace nubivu {

class TfrmFileSelect : public QDialog {
    Q_OBJECT
public:
    explicit TfrmFileSelect(QWidget* parent = nullptr);
};

} // namespace nubivu
