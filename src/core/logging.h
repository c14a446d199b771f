#pragma once
// The program's logging categories, one per area. A failure that is on
// purpose not shown to the user (a pane left empty, a plug-in passed over)
// is logged under its area with the file and the reason. Expected failures
// of outside input log at info level, hidden unless asked for:
//   QT_LOGGING_RULES="nubivu.*.info=true" nubivu LIST.NV2
// anything unexpected (no memory, a foreign exception) as a warning.
#include <QLoggingCategory>
#include <QString>

namespace nubivu {

Q_DECLARE_LOGGING_CATEGORY(lcPictures) // nubivu.pictures: reading and drawing pictures
Q_DECLARE_LOGGING_CATEGORY(lcPlugins)  // nubivu.plugins: decoder plug-ins and their helpers
Q_DECLARE_LOGGING_CATEGORY(lcPlay)     // nubivu.play: showing and playing rows, decoding ahead
Q_DECLARE_LOGGING_CATEGORY(lcInstance) // nubivu.instance: the one copy per user

// Logs the exception being handled (call it only inside a catch block):
// "<file>: <reason> (<consequence>)". The program's own failures log at info
// level, anything else as a warning.
void logCaughtFailure(const QLoggingCategory& category, const QString& file,
                      const char* consequence);

} // namespace nubivu
