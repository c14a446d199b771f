#pragma once
// The options dialog: fill-in of empty cells and its write-back. Modeless,
// but the main window takes no input while it is open.
#include "slideshow/filloptions.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

namespace nubivu {

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    // mainWindow: disabled while the dialog is open (not a parent: the
    // dialog is a window of its own).
    explicit OptionsDialog(QWidget* mainWindow = nullptr, QWidget* parent = nullptr);

    // The settings as the boxes show them.
    FillOptions fillOptions() const;

Q_SIGNALS:
    // Either box changed, however it was changed.
    void fillOptionsChanged(const FillOptions& options);

public Q_SLOTS:
    void fillEmptyClicked();
    void okClicked();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The designed controls; each keeps its designed name as object name.
    QCheckBox* fillEmptyCheck_;
    QCheckBox* writeBackCheck_;
    QPushButton* okButton_;

    void onShown();
    void onActivated();
    void onClosed();

    QWidget* mainWindow_;
    bool placed_ = false;
};

} // namespace nubivu
