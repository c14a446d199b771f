#pragma once
// SIGTERM (logout, "kill") closes the main window as the user would, so the
// save prompt still guards unsaved changes and the single-instance name is
// given back cleanly.
class QWidget;

namespace nubivu {

void CloseOnTerminationSignal(QWidget* mainWindow);

} // namespace nubivu
