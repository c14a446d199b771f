#pragma once
// Wine, which runs the helper for 32-bit Windows plug-ins. Optional: without
// it a Windows plug-in is passed over and named with the reason.
#include <QString>
#include <optional>

namespace nubivu {

// The wine program on the search path; empty when Wine is not installed.
QString WineProgram();
// The helper Wine runs, beside the program; empty when missing.
QString WindowsHelperProgram();
// Wine's prefix of our own, in the user's cache folder.
QString WinePrefix();
// Whether the installed Wine runs at all (it needs the system to run 32-bit
// programs); asked once per session. reason: why not.
bool WineRuns(QString* reason = nullptr);
// Starts making the prefix in the background, when it is not there yet, so
// that the first Windows plug-in does not wait for it.
void PrepareWineInBackground();

// For tests: a wine program (an empty one: not installed) and a helper to use.
void OverrideWine(std::optional<QString> wine, std::optional<QString> windowsHelper = std::nullopt);

} // namespace nubivu
