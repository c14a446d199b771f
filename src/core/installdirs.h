#pragma once
// Where the program finds what it ships with. In the build tree everything
// sits beside the program; an installed copy keeps help pages and plug-ins
// in the usual folders of its prefix, found relative to the program so that
// any prefix works.
#include <QString>
#include <QStringList>

namespace nubivu {

// The help folder (with a trailing slash): "help" beside the program if it
// is there, else <prefix>/share/nubivu/help; the latter also when neither exists.
QString findHelpFolder();
// <prefix>/lib/nubivu/plugins of the installed program.
QString installedPluginFolder();

} // namespace nubivu
