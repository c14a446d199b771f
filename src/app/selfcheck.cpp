#include "app/selfcheck.h"

#include "app/mainwindow.h"
#include "core/installdirs.h"
#include "spi/tspi.h"
#include "spi/tspis.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <cstdio>

namespace nubivu {

namespace {
void print(const char* label, const QString& folder, const QStringList& found) {
    std::printf("%s: %s (%s)\n", label, qPrintable(QDir::cleanPath(folder)),
                found.isEmpty() ? "nothing found" : qPrintable(found.join(QLatin1Char(' '))));
}

// The main window's manager, with the folders behind each search option in view.
class CheckedSPIs : public TSPIs {
public:
    using TSPIs::OptionFolders;
};
} // namespace

int RunSelfCheck(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString help = FindHelpFolder();
    const QStringList pages =
        QDir(help).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    print("help", help, pages);

    CheckedSPIs manager;
    manager.SearchOptions = MainWindow::PluginSearchOptions();
    manager.SkipFaultyLibraries = true;
    manager.AfterLoad();

    // Every folder searched, in the order of the search, with the plug-ins it gave.
    for (TSPISearchOption option : {TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir,
                                    TSPISearchOption::spsCurrentDir, TSPISearchOption::spsSystemDir,
                                    TSPISearchOption::spsWindowsDir}) {
        if (!manager.SearchOptions.Contains(option)) continue;
        const QStringList folders = manager.OptionFolders(option);
        if (option == TSPISearchOption::spsSusieDir && folders.isEmpty()) {
            std::printf(
                "plug-ins: no Susie plug-in folder set (Plug-in/Path in %s)\n",
                qPrintable(
                    QSettings(QStringLiteral("Quorril"), QStringLiteral("Susie")).fileName()));
        }
        for (const QString& folder : folders) {
            QStringList loaded;
            for (int i = 0; i < manager.Count(); ++i) {
                const QFileInfo file(manager.Items(i)->FileName());
                if (QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(folder))
                    loaded << file.fileName();
            }
            print("plug-ins", folder, loaded);
        }
    }

    // What each plug-in reads, so that a user can tell why a format does not open.
    for (int i = 0; i < manager.Count(); ++i) {
        const TSPI& spi = *manager.Items(i);
        std::printf("plug-in: %s [%s] %s\n", qPrintable(spi.FileName()),
                    qPrintable(spi.APIVersion()), qPrintable(spi.PluginInfo()));
        for (qsizetype f = 0; f < spi.Extensions().size(); ++f)
            std::printf("  %s  %s\n", qPrintable(spi.Extensions()[f]),
                        qPrintable(spi.Descriptions().value(f)));
    }
    for (const TSkippedPlugin& skipped : manager.SkippedPlugins()) {
        // Most messages name the file already.
        if (skipped.message.contains(skipped.fileName))
            std::printf("skipped: %s\n", qPrintable(skipped.message));
        else
            std::printf("skipped: %s: %s\n", qPrintable(skipped.fileName),
                        qPrintable(skipped.message));
    }
    std::fflush(stdout);
    return pages.contains(QStringLiteral("contents.html")) ? 0 : 1;
}

} // namespace nubivu
