#pragma once
// The application's default error report: a message box with the
// application's title as caption, a stop icon and OK.
#include <QString>

namespace nubivu {

// fileName, when given, goes on a line of its own below the message.
void showErrorReport(const QString& message, const QString& fileName = QString());
// For failures met where a modal box must not open (inside a paint event):
// the report is shown from the event loop once the current event is done.
void queueErrorReport(const QString& message, const QString& fileName = QString());

} // namespace nubivu
