#pragma once
// What the shipped plug-ins would cost in the helper process: rows of three
// 1920 x 1080 PNG files played through the program's windows with the PNG
// plug-in in process (as shipped) and with a copy of it in the Susie folder,
// where plug-ins run in the helper; paired runs, medians.

namespace playbench {

// Prints the figures; 0, or 2 where the plug-in or the helper is missing.
int measurePluginPlay(int runs);

} // namespace playbench
