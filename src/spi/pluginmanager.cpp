#include "spi/pluginmanager.h"

#include "core/installdirs.h"
#include "core/logging.h"
#include "pictures/formatregistry.h"
#include "spi/loadfailure.h"
#include "spi/pluginbitmap.h"
#include "spi/spimessages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <sys/stat.h>

namespace nubivu {

namespace {

qsizetype lastSeparator(const QString& path) {
    return std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

QString withSeparator(QString folder) {
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QLatin1Char('/');
    return folder;
}

// The text of key in [group] of an INI file exactly as written, quotes and
// backslash escapes aside.
QString rawIniValue(const QString& fileName, const QString& group, const QString& key) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return {};
    bool inGroup = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1Char('[') + group + QLatin1Char(']');
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inGroup || equals < 0 || line.left(equals).trimmed() != key) continue;
        const QString value = line.mid(equals + 1).trimmed();
        QString out;
        for (qsizetype i = 0; i < value.size(); ++i) {
            if (value[i] == QLatin1Char('\\') && i + 1 < value.size())
                out += value[++i];
            else if (value[i] != QLatin1Char('"'))
                out += value[i];
        }
        return out;
    }
    return {};
}

// The plug-in folder the user set, as Susie itself keeps it.
QString susieFolder() {
    QSettings settings(QStringLiteral("Quorril"), QStringLiteral("Susie"));
    if (settings.status() != QSettings::NoError) return {};
    const QVariant value = settings.value(QStringLiteral("Plug-in/Path"));
    if (!value.isValid()) return {};
    if (value.typeId() == QMetaType::QString) return value.toString();
    // QSettings reads an unquoted value with a comma in it as a list, and
    // loses the blanks around the commas; a folder name may well hold both.
    if (value.typeId() == QMetaType::QStringList && settings.format() == QSettings::NativeFormat)
        return rawIniValue(settings.fileName(), QStringLiteral("Plug-in"), QStringLiteral("Path"));
    return {}; // a value of another type counts as unreadable
}

// Two paths name the same file: the same text, or (through a symbolic link,
// a folder given twice, or letters that a case-folding file system takes as
// the same) the same file on the same device. Where the file system tells
// case apart, two names that differ by case are two files.
bool sameFile(const QString& a, const QString& b) {
    if (a == b) return true;
    struct stat sa {
    }, sb{};
    if (::stat(QFile::encodeName(a).constData(), &sa) != 0 ||
        ::stat(QFile::encodeName(b).constData(), &sb) != 0)
        return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

} // namespace

PluginManager::PluginManager(FormatRegistry& formats, PluginManagerOptions options, QObject* parent)
    : QObject(parent), formats_(formats), options_(std::move(options)),
      loader_(options_.libraries,
              [this](const QString& fileName) { Q_EMIT pluginSetAside(fileName); }) {
    if (!options_.searchAtStart) return;
    try {
        search(QStringLiteral("*.spi"));
    } catch (...) {
        // A manager never made leaves nothing registered behind.
        unloadAll();
        throw;
    }
}

PluginManager::~PluginManager() { unloadAll(); }

void PluginManager::unloadAll() {
    const auto lock = lockPluginCalls();
    clear();
    formats_.remove(PluginBitmap::staticClass());
}

QStringList PluginManager::optionFolders(PluginFolder option) const {
    return options_.folderPaths ? options_.folderPaths(option) : standardFolders(option);
}

QStringList PluginManager::standardFolders(PluginFolder option) {
    QStringList folders;
    switch (option) {
    case PluginFolder::SusieFolder: folders << susieFolder(); break;
    case PluginFolder::ProgramFolder: {
        folders << QCoreApplication::applicationDirPath();
        // An installed copy keeps its files apart: the program in bin/, the
        // plug-ins shipped with it in lib/nubivu/plugins. They belong to the
        // program's folder all the same.
        const QString shipped = installedPluginFolder();
        if (QDir(shipped).exists()) folders << shipped;
        break;
    }
    case PluginFolder::CurrentFolder: folders << QDir::currentPath(); break;
    case PluginFolder::SystemFolder: folders << installedPluginFolder(); break;
    case PluginFolder::WindowsFolder: folders << QStringLiteral("/usr/share/nubivu/plugins"); break;
    }
    folders.removeAll(QString());
    for (QString& folder : folders) folder = withSeparator(folder);
    return folders;
}

void PluginManager::search(const QString& mask) {
    const qsizetype separator = lastSeparator(mask);
    if (separator >= 0) {
        searchFolder(mask.left(separator + 1), mask.mid(separator + 1));
        return;
    }
    for (PluginFolder option :
         {PluginFolder::SusieFolder, PluginFolder::ProgramFolder, PluginFolder::CurrentFolder,
          PluginFolder::SystemFolder, PluginFolder::WindowsFolder}) {
        if (!options_.folders.contains(option)) continue;
        for (const QString& folder : optionFolders(option)) searchFolder(folder, mask);
    }
}

void PluginManager::searchFolder(const QString& folder, const QString& mask) {
    // Plain files only: hidden files and folders are never plug-ins.
    const QDir dir(folder);
    const QStringList names =
        dir.entryList(QStringList{mask}, QDir::Files, QDir::Name | QDir::IgnoreCase);

    QStringList candidates;
    for (const QString& name : names) {
        const QString path = QDir::cleanPath(dir.absoluteFilePath(name));
        if (indexOf(path) == -1) candidates.append(path);
    }

    for (const QString& path : candidates) {
        // A file reached a second way (a linked folder, a folder given twice)
        // is loaded, or named as skipped, once.
        if (indexOf(path) != -1) continue;
        if (std::any_of(skipped_.begin(), skipped_.end(),
                        [&](const SkippedPlugin& s) { return sameFile(s.fileName, path); }))
            continue;
        if (options_.acceptFile && !options_.acceptFile(path)) continue;

        std::unique_ptr<Plugin> spi;
        try {
            spi = createSPI(path, loader_);
        } catch (const ESPIInvalidAPI& e) {
            if (!options_.skipFaultyLibraries) throw;
            skipped_.push_back(
                {path, QString::fromUtf8(msg::SpiSkipMissingEntryPoint).arg(e.entryPoint())});
            continue;
        } catch (const ENubivuError& e) {
            if (!options_.skipFaultyLibraries) throw;
            skipped_.push_back({path, e.message()});
            continue;
        }
        if (!spi) {
            // Silent for the plain search; the start-up search says why.
            if (options_.skipFaultyLibraries)
                skipped_.push_back({path, describeLoadFailure(path, loader_.lastError())});
            continue;
        }

        Plugin* raw = spi.get();
        try {
            if (!options_.acceptPlugin || options_.acceptPlugin(*raw)) add(std::move(spi));
        } catch (...) {
            // A plug-in whose welcome failed half way is dropped, not kept half registered.
            logCaughtFailure(lcPlugins(), path, "plug-in dropped");
            std::erase_if(list_,
                          [raw](const std::unique_ptr<Plugin>& p) { return p.get() == raw; });
            if (forcedLoader_ == raw) forcedLoader_ = nullptr;
        }
    }
}

void PluginManager::add(std::unique_ptr<Plugin> spi) { insert(count(), std::move(spi)); }

void PluginManager::insert(int index, std::unique_ptr<Plugin> spi) {
    const auto lock = lockPluginCalls();
    Plugin* raw = spi.get();
    list_.insert(list_.begin() + index, std::move(spi));
    auto* in = dynamic_cast<ImportPlugin*>(raw);
    if (!in) return;
    // Pictures of plug-in formats are bitmaps that ask this manager's plug-ins.
    const GraphicFactory create = [this] { return std::make_unique<PluginBitmap>(this); };
    for (qsizetype i = 0; i < in->extensions().size(); ++i) {
        const QString& description = in->descriptions().at(i);
        QString rest = in->extensions().at(i);
        // Pieces from the last to the first, so that the registry, which
        // prefers the latest entry, ranks a filter's first pattern highest.
        while (!rest.isEmpty()) {
            QString piece;
            const qsizetype semicolon = rest.lastIndexOf(QLatin1Char(';'));
            if (semicolon >= 0) {
                piece = rest.mid(semicolon + 1);
                rest.truncate(semicolon);
            } else {
                piece = rest;
                rest.clear();
            }
            const qsizetype dot = piece.indexOf(QLatin1Char('.'));
            if (dot >= 0) piece = piece.mid(dot + 1);
            formats_.add(piece, description, PluginBitmap::staticClass(), create);
        }
    }
}

void PluginManager::removeAt(int index) {
    const auto lock = lockPluginCalls();
    Plugin* raw = list_.at(size_t(index)).get();
    // The forced loader must not outlive its library.
    if (forcedLoader_ == raw) forcedLoader_ = nullptr;
    list_.erase(list_.begin() + index);
}

void PluginManager::clear() {
    while (!list_.empty()) removeAt(0);
}

int PluginManager::indexOf(const QString& fileName) const {
    for (size_t i = 0; i < list_.size(); ++i)
        if (sameFile(list_[i]->fileName(), fileName)) return int(i);
    return -1;
}

void PluginManager::listPlugins(std::initializer_list<const PluginClass*> classes,
                                QList<Plugin*>& list, const QString& fileName) const {
    const QString extension = spiFileExtension(fileName);
    for (const auto& spi : list_) {
        if (std::none_of(classes.begin(), classes.end(),
                         [&](const PluginClass* cls) { return cls->isInstance(*spi); }))
            continue;
        const bool claims =
            !extension.isEmpty() &&
            std::any_of(
                spi->extensions().begin(), spi->extensions().end(), [&](const QString& filter) {
                    return spiFileExtension(filter).compare(extension, Qt::CaseInsensitive) == 0;
                });
        if (claims)
            list.prepend(spi.get());
        else
            list.append(spi.get());
    }
}

QList<Plugin*> PluginManager::loadersFor(const QString& fileName) const {
    QList<Plugin*> list;
    if (forcedLoader_)
        list.append(forcedLoader_);
    else
        listPlugins({&ImportPlugin::staticClass()}, list, fileName);
    return list;
}

QString spiFileExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot < lastSeparator(fileName)) return {};
    return fileName.mid(dot);
}

} // namespace nubivu
