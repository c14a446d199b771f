#include "app/windowstatesounds.h"

#include "app/mainwindow.h"
#include "app/systemsound.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace nubivu {

const char* const WindowStateSounds::MinimizeSound = "window-minimized";
const char* const WindowStateSounds::RestoreSound = "window-unminimized";

WindowStateSounds::WindowStateSounds(QObject* owner, SystemSound& sound)
    : QObject(owner), sound_(sound) {
    auto* form = qobject_cast<QWidget*>(owner);
    if (!form || !form->isWindow()) throw EAnimateFormError(QStringLiteral("Owner must be a form"));
    // The first window created is the application's main window; once it
    // exists, no other window may carry this component.
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window != form && qobject_cast<const MainWindow*>(window))
            throw EAnimateFormError(QStringLiteral("AnimateForm muse be placed in a main form"));
    form_ = form;
    form_->installEventFilter(this);
}

WindowStateSounds::~WindowStateSounds() {
    if (form_) form_->removeEventFilter(this);
}

bool WindowStateSounds::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool wasMinimized = change->oldState() & Qt::WindowMinimized;
        const bool isMinimized = form_->windowState() & Qt::WindowMinimized;
        if (isMinimized && !wasMinimized)
            sound_.play(QLatin1String(MinimizeSound));
        else if (wasMinimized && !isMinimized)
            sound_.play(QLatin1String(RestoreSound));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace nubivu
