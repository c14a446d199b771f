#include "app/selfcheck.h"

#include "core/installdirs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

namespace nubivu {

namespace {
void print(const char* label, const QString& folder, const QStringList& found) {
    std::printf("%s: %s (%s)\n", label, qPrintable(QDir::cleanPath(folder)),
                found.isEmpty() ? "nothing found" : qPrintable(found.join(QLatin1Char(' '))));
}
} // namespace

int RunSelfCheck(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString help = FindHelpFolder();
    const QStringList pages = QDir(help).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    print("help", help, pages);
    // The plug-in folders: the installed one, then the program's own folder.
    for (const QString& folder : {InstalledPluginFolder(), QCoreApplication::applicationDirPath()})
        print("plug-ins", folder,
              QDir(folder).entryList({QStringLiteral("*.spi")}, QDir::Files, QDir::Name));
    std::fflush(stdout);
    return pages.contains(QStringLiteral("contents.html")) ? 0 : 1;
}

} // namespace nubivu
