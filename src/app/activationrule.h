#pragma once
// When the main window's activation handler runs. It runs when the main
// window becomes the program's active window coming from another window of
// the program (the editor, the options dialog, the sky window, the about box,
// the help window); not when the user comes back from another application, a
// message box or a file dialog, nor when a later copy of the program brings
// the window forward. The first showing is the caller's to handle, since a
// desktop without a window manager activates no window at all.
#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

namespace nubivu {

class ActivationRule : public QObject {
    Q_OBJECT
public:
    // Watches every window of the application; onActivate runs on the
    // activations of window that the rule lets through.
    ActivationRule(QWidget* window, std::function<void()> onActivate);
    ~ActivationRule() override;

    // Whether coming back from this window counts as a return to the main window.
    static bool countsAsProgramWindow(const QWidget* window);
    // Another view of the main window (full screen): going there and back
    // is no change of window.
    void treatAsMainWindow(QWidget* view) { views_.append(view); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
    std::function<void()> onActivate_;
    // The program's window active last, kept while another application is in front.
    QPointer<QWidget> lastActive_;
    QList<QPointer<QWidget>> views_;
};

} // namespace nubivu
