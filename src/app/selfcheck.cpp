#include "app/selfcheck.h"

#include "app/tfrmnubivumain.h"
#include "core/installdirs.h"
#include "spi/tspis.h"

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

    // The plug-ins the main window's manager loads, by the folder they came from.
    TSPIs manager;
    manager.SearchOptions = TfrmNubivuMain::PluginSearchOptions();
    manager.SkipFaultyLibraries = true;
    manager.AfterLoad();
    for (const QString& folder : {InstalledPluginFolder(), QCoreApplication::applicationDirPath()}) {
        QStringList loaded;
        for (int i = 0; i < manager.Count(); ++i) {
            const QFileInfo file(manager.Items(i)->FileName());
            if (QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(folder)) loaded << file.fileName();
        }
        print("plug-ins", folder, loaded);
    }
    for (const TSkippedPlugin& skipped : manager.SkippedPlugins())
        std::printf("skipped: %s: %s\n", qPrintable(skipped.fileName), qPrintable(skipped.message));
    std::fflush(stdout);
    return pages.contains(QStringLiteral("contents.html")) ? 0 : 1;
}

} // namespace nubivu
