#pragma once
// The plug-in manager: finds plug-in files, keeps the loaded ones in order,
// registers the extensions of every picture decoder with the picture format
// registry, and says which decoders to try for a file.
#include "spi/plugin.h"
#include "spi/pluginlibraryloader.h"

#include <QList>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace nubivu {

class FormatRegistry;

enum class PluginFolder { SusieFolder, ProgramFolder, CurrentFolder, SystemFolder, WindowsFolder };

// Bit n stands for the n-th option.
class PluginFolders {
public:
    constexpr PluginFolders() = default;
    constexpr PluginFolders(std::initializer_list<PluginFolder> options) {
        for (PluginFolder o : options) bits_ |= bit(o);
    }
    constexpr bool contains(PluginFolder o) const { return bits_ & bit(o); }
    constexpr void include(PluginFolder o) { bits_ |= bit(o); }
    constexpr unsigned bits() const { return bits_; }
    constexpr bool operator==(const PluginFolders&) const = default;

private:
    static constexpr unsigned bit(PluginFolder o) { return 1u << unsigned(o); }
    unsigned bits_ = 0;
};

// A library the start-up search passed over, and why (in plain words).
struct SkippedPlugin {
    QString fileName;
    QString message;
};

struct PluginManagerOptions {
    // Where a search without a folder looks, in the order of PluginFolder: by
    // default the Susie folder and the program's folder, as designed (the
    // program's folder of an installed copy takes in <prefix>/lib/nubivu/plugins).
    PluginFolders folders = {PluginFolder::SusieFolder, PluginFolder::ProgramFolder};
    // Looks for "*.spi" there as the manager is made.
    bool searchAtStart = false;
    // A file that fails to open as a plug-in (not loadable, no GetPluginInfo,
    // or missing an entry point its kind needs) is passed over and noted,
    // instead of ending the search: one bad file must not stop the program,
    // and the user learns which file it was.
    bool skipFaultyLibraries = false;
    // A picture may sit behind a 128-byte MacBinary header: every plug-in is
    // asked at that offset too.
    bool macBinary = true;
    // A plug-in's preview is asked for first, the picture only when it gives none.
    bool preview = false;
    // Asked for each file a search finds, before it is loaded; false passes it over.
    std::function<bool(const QString& fileName)> acceptFile;
    // Asked for each plug-in a search loaded; false, or a failure, drops it.
    std::function<bool(Plugin& spi)> acceptPlugin;
    // The folders each search option stands for; unset: those the program
    // looks in (PluginManager::standardFolders).
    std::function<QStringList(PluginFolder option)> folderPaths;
    // Where the libraries run, and what their helpers are held to.
    PluginLibrarySettings libraries;
};

class PluginManager : public QObject {
    Q_OBJECT
public:
    // Registers the extensions of its picture plug-ins in formats, which must
    // outlive it, and removes them again at its end (one manager to a
    // registry). Raises what the search at start raises.
    explicit PluginManager(FormatRegistry& formats, PluginManagerOptions options = {},
                           QObject* parent = nullptr);
    ~PluginManager() override;

    const PluginManagerOptions& options() const { return options_; }

    void search(const QString& mask);
    // folder ends with a path separator.
    void searchFolder(const QString& folder, const QString& mask);

    void add(std::unique_ptr<Plugin> spi);
    void insert(int index, std::unique_ptr<Plugin> spi);
    void removeAt(int index);
    void clear();
    // The plug-in loaded from that file: the same path, or a path that reaches
    // the same file (a linked folder, letters a case-folding file system takes
    // as the same); -1 if none.
    int indexOf(const QString& fileName) const;
    int count() const { return int(list_.size()); }
    Plugin* items(int index) const { return list_.at(size_t(index)).get(); }
    // Appends the loaded plug-ins of the classes in the order to try them
    // for fileName: those claiming its extension first, the latest first.
    void listPlugins(std::initializer_list<const PluginClass*> classes, QList<Plugin*>& list,
                     const QString& fileName) const;

    // The one plug-in asked for every picture while set; forgotten when it is unloaded.
    void setForcedLoader(ImportPlugin* spi) { forcedLoader_ = spi; }
    ImportPlugin* forcedLoader() const { return forcedLoader_; }
    // The picture plug-ins to ask for fileName, in order: the forced one
    // alone, else every one as listPlugins orders them.
    QList<Plugin*> loadersFor(const QString& fileName) const;

    const std::vector<SkippedPlugin>& skippedPlugins() const { return skipped_; }

    // The folders an option stands for, as the search takes them; none to skip it.
    QStringList optionFolders(PluginFolder option) const;
    // Those the program looks in, each with a trailing separator.
    static QStringList standardFolders(PluginFolder option);

Q_SIGNALS:
    // A plug-in run in a helper failed too often and is set aside for the
    // session (its path). Once a plug-in, from the thread whose call failed.
    void pluginSetAside(const QString& fileName);

private:
    // Unloads the plug-ins and removes their formats from the registry.
    void unloadAll();

    FormatRegistry& formats_;
    const PluginManagerOptions options_;
    // Outlives the plug-ins it loaded.
    PluginLibraryLoader loader_;
    std::vector<std::unique_ptr<Plugin>> list_;
    std::vector<SkippedPlugin> skipped_;
    ImportPlugin* forcedLoader_ = nullptr;
};

// The extension of a name as the manager compares it: from the last dot on,
// dot included, when that dot follows the last path separator; else empty.
QString spiFileExtension(const QString& fileName);

} // namespace nubivu
