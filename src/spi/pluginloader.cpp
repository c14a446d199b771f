#include "spi/pluginloader.h"

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

bool TPluginLoader::IsShipped(const QString& path) {
    const QString folder = canonicalFolder(path);
    for (const QString& shipped :
         {QCoreApplication::applicationDirPath(), InstalledPluginFolder()}) {
        const QString canonical = QFileInfo(shipped).canonicalFilePath();
        if (!canonical.isEmpty() && canonical == folder) return true;
    }
    return false;
}

TPluginLoader& TPluginLoader::System() {
    static TPluginLoader system;
    return system;
}

bool TPluginLoader::ThirdPartyInProcess() {
    if (const std::optional<bool> chosen = System().inProcessOverride_) return *chosen;
    const QSettings settings(QStringLiteral("Quorril"), QStringLiteral("Susie"));
    return settings.value(QStringLiteral("Plug-in/InProcess"), false).toBool();
}

void TPluginLoader::OverrideThirdPartyInProcess(std::optional<bool> inProcess) {
    System().inProcessOverride_ = inProcess;
}

QString TPluginLoader::HelperProgram() {
    if (const QString& chosen = System().helperOverride_; !chosen.isEmpty()) return chosen;
    const QString beside =
        QCoreApplication::applicationDirPath() + QStringLiteral("/nubivu-spihost");
    return QFileInfo(beside).isExecutable() ? beside : QString();
}

void TPluginLoader::OverrideHelperProgram(const QString& program) {
    System().helperOverride_ = program;
}

TPluginLoader::TPlace TPluginLoader::PlaceOf(const QString& path) {
    if (headOf(path).startsWith("MZ")) return TPlace::WineHelper;
    if (!isElf(path) || IsShipped(path) || ThirdPartyInProcess()) return TPlace::InProcess;
    return TPlace::Helper;
}

std::unique_ptr<TLibrary> TPluginLoader::Load(const QString& path) {
    lastError_.clear();
    if (path.isEmpty()) return nullptr;
    const TPlace place = PlaceOf(path);
    if (place == TPlace::WineHelper) {
        TWine& wine = TWine::Current();
        THelperCommand command{wine.Program(), wine.WindowsHelper()};
        if (command.program.isEmpty()) {
            lastError_ = QString::fromUtf8(msg::SpiWineMissing);
            return nullptr;
        }
        if (command.windowsHelper.isEmpty()) {
            lastError_ = QString::fromUtf8(msg::SpiWindowsHelperMissing);
            return nullptr;
        }
        QString why;
        if (!wine.Runs(&why)) {
            lastError_ = QString::fromUtf8(msg::SpiWineDoesNotRun).arg(why);
            return nullptr;
        }
        return THelperLibrary::Open(command, path, &lastError_);
    }
    if (place == TPlace::Helper) {
        const QString program = HelperProgram();
        // A copy of the program without its helper still shows pictures.
        if (!program.isEmpty())
            return THelperLibrary::Open(THelperCommand{program, {}}, path, &lastError_);
        qWarning("nubivu: the plug-in helper is missing; %s runs in process", qPrintable(path));
    }
    TDlopenLoader system;
    std::unique_ptr<TLibrary> library = system.Load(path);
    lastError_ = system.LastError();
    return library;
}

} // namespace nubivu
