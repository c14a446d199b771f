#pragma once
// The main window's minimise and restore with the desktop's event sounds.
// The window manager animates the window itself; this component adds the
// sounds and keeps to the one window it may sit on, the main window.
#include "core/errors.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace nubivu {

NUBIVU_ERROR_CLASS(EAnimateFormError, ENubivuError)

class SystemSound;

class WindowStateSounds : public QObject {
    Q_OBJECT
public:
    // owner: the form it sits on, which must become the application's main
    // window; sound plays the two sounds.
    WindowStateSounds(QObject* owner, SystemSound& sound);
    ~WindowStateSounds() override;

    static const char* const MinimizeSound;
    static const char* const RestoreSound;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    SystemSound& sound_;
    QPointer<QWidget> form_;
};

} // namespace nubivu
