#pragma once
// The application's default error report: a message box with the
// application's title as caption, a stop icon and OK.
#include <QString>

namespace nubivu {

void ShowErrorReport(const QString& message);
// For failures met where a modal box must not open (inside a paint event):
// the report is shown from the event loop once the current event is done.
void QueueErrorReport(const QString& message);

} // namespace nubivu
