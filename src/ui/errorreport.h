#pragma once
// The application's default error report: a message box with the
// application's title as caption, a stop icon and OK.
#include <QString>

class QObject;

namespace nubivu {

class PicturePane;
class Prompter;

// fileName, when given, goes on a line of its own below the message.
void showErrorReport(Prompter& prompter, const QString& message,
                     const QString& fileName = QString());
// For failures met where a modal box must not open (inside a paint event):
// the report is shown from the event loop once the current event is done,
// unless context is gone by then.
void queueErrorReport(Prompter& prompter, QObject* context, const QString& message,
                      const QString& fileName = QString());
// Every failure the pane meets while painting, reported so.
void reportPaintFailures(PicturePane& pane, Prompter& prompter);

} // namespace nubivu
