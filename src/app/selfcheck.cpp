#include "app/selfcheck.h"

#include "app/lessonwindows.h"
#include "core/installdirs.h"
#include "pictures/formatregistry.h"
#include "spi/plugin.h"
#include "spi/pluginmanager.h"

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
} // namespace

int runSelfCheck(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString help = findHelpFolder();
    const QStringList pages =
        QDir(help).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    print("help", help, pages);

    // A manager made as the program makes its own.
    FormatRegistry formats;
    const PluginManager manager(formats, LessonWindows::pluginOptions());

    // Every folder searched, in the order of the search, with the plug-ins it gave.
    for (PluginFolder option :
         {PluginFolder::SusieFolder, PluginFolder::ProgramFolder, PluginFolder::CurrentFolder,
          PluginFolder::SystemFolder, PluginFolder::WindowsFolder}) {
        if (!manager.options().folders.contains(option)) continue;
        const QStringList folders = manager.optionFolders(option);
        if (option == PluginFolder::SusieFolder && folders.isEmpty()) {
            std::printf(
                "plug-ins: no Susie plug-in folder set (Plug-in/Path in %s)\n",
                qPrintable(
                    QSettings(QStringLiteral("Quorril"), QStringLiteral("Susie")).fileName()));
        }
        for (const QString& folder : folders) {
            QStringList loaded;
            for (int i = 0; i < manager.count(); ++i) {
                const QFileInfo file(manager.items(i)->fileName());
                if (QDir::cleanPath(file.absolutePath()) == QDir::cleanPath(folder))
                    loaded << file.fileName();
            }
            print("plug-ins", folder, loaded);
        }
    }

    // What each plug-in reads, so that a user can tell why a format does not open.
    for (int i = 0; i < manager.count(); ++i) {
        const Plugin& spi = *manager.items(i);
        std::printf("plug-in: %s [%s] %s\n", qPrintable(spi.fileName()),
                    qPrintable(spi.apiVersion()), qPrintable(spi.pluginInfo()));
        for (qsizetype f = 0; f < spi.extensions().size(); ++f)
            std::printf("  %s  %s\n", qPrintable(spi.extensions()[f]),
                        qPrintable(spi.descriptions().value(f)));
    }
    for (const SkippedPlugin& skipped : manager.skippedPlugins()) {
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
