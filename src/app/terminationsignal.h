#pragma once
// SIGTERM (logout, "kill") closes the main window as the user would, so the
// save prompt still guards unsaved changes and the single-instance name is
// given back cleanly.
#include <functional>

class QWidget;

namespace nubivu {

// Installed before the windows exist; mainWindow() is asked when the signal
// is handled, from the event loop.
void closeOnTerminationSignal(std::function<QWidget*()> mainWindow);

} // namespace nubivu
