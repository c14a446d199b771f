#pragma once
// "nubivu --self-check": prints the help folder and the plug-in folders the
// program would use and what it finds there, then ends; needs no display.
// Exit code 0 when the help pages are found.
namespace nubivu {

int RunSelfCheck(int argc, char** argv);

} // namespace nubivu
