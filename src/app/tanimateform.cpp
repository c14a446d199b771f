#include "app/tanimateform.h"

#include "app/systemsound.h"
#include "app/tfrmnubivumain.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindowStateChangeEvent>

namespace nubivu {

const char* const TAnimateForm::MinimizeSound = "window-minimized";
const char* const TAnimateForm::RestoreSound = "window-unminimized";

TAnimateForm::TAnimateForm(QObject* owner) : QObject(owner) {
    auto* form = qobject_cast<QWidget*>(owner);
    if (!form || !form->isWindow()) throw EAnimateFormError(QStringLiteral("Owner must be a form"));
    // The first window created is the application's main window; once it
    // exists, no other window may carry this component.
    for (const QWidget* window : QApplication::topLevelWidgets())
        if (window != form && qobject_cast<const TfrmNubivuMain*>(window))
            throw EAnimateFormError(QStringLiteral("AnimateForm muse be placed in a main form"));
    form_ = form;
    form_->installEventFilter(this);
}

TAnimateForm::~TAnimateForm() {
    if (form_) form_->removeEventFilter(this);
}

bool TAnimateForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == form_ && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool wasMinimized = change->oldState() & Qt::WindowMinimized;
        const bool isMinimized = form_->windowState() & Qt::WindowMinimized;
        if (isMinimized && !wasMinimized)
            SystemSound::Current().Play(QLatin1String(MinimizeSound));
        else if (wasMinimized && !isMinimized)
            SystemSound::Current().Play(QLatin1String(RestoreSound));
    }
    return QObject::eventFilter(watched, event);
}

} // namespace nubivu
