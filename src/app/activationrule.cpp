#include "app/activationrule.h"

#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QMessageBox>
#include <QWidget>

namespace nubivu {

ActivationRule::ActivationRule(QWidget* window, std::function<void()> onActivate)
    : QObject(window), window_(window), onActivate_(std::move(onActivate)) {
    qApp->installEventFilter(this);
}

ActivationRule::~ActivationRule() { qApp->removeEventFilter(this); }

bool ActivationRule::countsAsProgramWindow(const QWidget* window) {
    // Message boxes and file dialogs stand for the platform's own boxes,
    // which are no windows of the program: after a cancelled question or
    // dialog the show goes on where it was.
    return window && !qobject_cast<const QMessageBox*>(window) &&
           !qobject_cast<const QFileDialog*>(window);
}

bool ActivationRule::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::WindowActivate || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!widget->isWindow() || views_.contains(widget)) return false;
    const QPointer<QWidget> before = lastActive_;
    lastActive_ = widget;
    // Back from another application, or brought forward by a later copy: the
    // main window was the program's last active window, and nothing runs.
    if (widget == window_ && before && before != window_ && countsAsProgramWindow(before))
        onActivate_();
    return false;
}

} // namespace nubivu
