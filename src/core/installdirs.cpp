#include "core/installdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace nubivu {

namespace {
QString besideProgram(const char* relative) {
    return QDir::cleanPath(QCoreApplication::applicationDirPath() + QLatin1Char('/') +
                           QLatin1String(relative));
}
} // namespace

QString findHelpFolder() {
    const QString beside = besideProgram("help");
    const QString installed = besideProgram(NUBIVU_HELP_RELDIR);
    const QString folder = QFileInfo(beside).isDir() ? beside : installed;
    return folder + QLatin1Char('/');
}

QString installedPluginFolder() { return besideProgram(NUBIVU_PLUGIN_RELDIR); }

} // namespace nubivu
