#pragma once
// Tells the user, once, which plug-in files the start-up search passed over.
#include <QString>
#include <vector>

class QWidget;

namespace nubivu {

struct SkippedPlugin;
class PluginManager;
class Prompter;

// The report's text: one line per skipped file with the reason; empty when none.
QString skippedPluginsText(const std::vector<SkippedPlugin>& skipped);

// Shows the report as the default error report right after window is first
// shown (from the event loop, so that the window is on screen behind it).
void reportSkippedPluginsWhenShown(QWidget& window, const PluginManager& spis, Prompter& prompter);

// From now on names each plug-in of spis that its helper sets aside, once,
// in the default error report (from the event loop, not inside the failed
// call), for as long as window lives.
void reportSetAsidePlugins(const PluginManager& spis, QWidget& window, Prompter& prompter);

} // namespace nubivu
