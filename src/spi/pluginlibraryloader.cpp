#include "spi/pluginlibraryloader.h"

#include "core/installdirs.h"
#include "spi/dlopenloader.h"
#include "spi/helperlibrary.h"
#include "spi/spimessages.h"
#include "spi/wine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace nubivu {

namespace {

QByteArray headOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.read(4);
}

bool isElf(const QString& path) {
    return headOf(path) == QByteArray("\x7f"
                                      "ELF",
                                      4);
}

// The folder holding path, links resolved.
QString canonicalFolder(const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(folder) : canonical;
}

} // namespace

bool PluginLibraryLoader::isShipped(const QString& path) {
    const QString folder = canonicalFolder(path);
    for (const QString& shipped :
         {QCoreApplication::applicationDirPath(), installedPluginFolder()}) {
        const QString canonical = QFileInfo(shipped).canonicalFilePath();
        if (!canonical.isEmpty() && canonical == folder) return true;
    }
    return false;
}

PluginLibraryLoader::PluginLibraryLoader(PluginLibrarySettings settings,
                                         std::function<void(const QString&)> onSetAside)
    : settings_(std::move(settings)), onSetAside_(std::move(onSetAside)) {}

bool PluginLibraryLoader::thirdPartyInProcess() const {
    if (settings_.thirdPartyInProcess) return *settings_.thirdPartyInProcess;
    const QSettings settings(QStringLiteral("Quorril"), QStringLiteral("Susie"));
    return settings.value(QStringLiteral("Plug-in/InProcess"), false).toBool();
}

QString PluginLibraryLoader::helperProgram() const {
    if (!settings_.helperProgram.isEmpty()) return settings_.helperProgram;
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/nubivu-spihost");
    return QFileInfo(beside).isExecutable() ? beside : QString();
}

PluginLibraryLoader::Place PluginLibraryLoader::placeOf(const QString& path) const {
    if (headOf(path).startsWith("MZ")) return Place::WineHelper;
    if (!isElf(path) || isShipped(path) || thirdPartyInProcess()) return Place::InProcess;
    return Place::Helper;
}

std::unique_ptr<PluginLibrary> PluginLibraryLoader::load(const QString& path) {
    lastError_.clear();
    if (path.isEmpty()) return nullptr;
    const Place place = placeOf(path);
    const HelperPolicy policy{settings_.helperLimits, onSetAside_};
    if (place == Place::WineHelper) {
        Wine& wine = settings_.wine;
        HelperCommand command{wine.program(), wine.windowsHelper()};
        if (command.program.isEmpty()) {
            lastError_ = QString::fromUtf8(msg::SpiWineMissing);
            return nullptr;
        }
        if (command.windowsHelper.isEmpty()) {
            lastError_ = QString::fromUtf8(msg::SpiWindowsHelperMissing);
            return nullptr;
        }
        QString why;
        if (!wine.runs(&why)) {
            lastError_ = QString::fromUtf8(msg::SpiWineDoesNotRun).arg(why);
            return nullptr;
        }
        return HelperLibrary::open(command, path, policy, &lastError_);
    }
    if (place == Place::Helper) {
        const QString program = helperProgram();
        // A copy of the program without its helper still shows pictures.
        if (!program.isEmpty())
            return HelperLibrary::open(HelperCommand{program, {}}, path, policy, &lastError_);
        qWarning("nubivu: the plug-in helper is missing; %s runs in process", qPrintable(path));
    }
    DlopenLoader system;
    std::unique_ptr<PluginLibrary> library = system.load(path);
    lastError_ = system.lastError();
    return library;
}

} // namespace nubivu
