#pragma once
// "nubivu --self-check": prints the help folder, every folder the program
// searches for plug-ins (in search order) with what it finds there, every
// plug-in with its formats and every file passed over with the reason, then
// ends; needs no display. Exit code 0 when the help pages are found.
namespace nubivu {

int runSelfCheck(int argc, char** argv);

} // namespace nubivu
