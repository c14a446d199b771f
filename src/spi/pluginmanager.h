#pragma once
// The plug-in manager: finds plug-in files, keeps the loaded ones in order,
// registers the extensions of every picture decoder with the picture format
// registry, and says which decoders to try for a file.
#include "spi/plugin.h"

#include <QList>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace nubivu {

struct GraphicClass;
class PluginManager;

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

using PluginSearchHandler = std::function<void(PluginManager* sender, Plugin* spi, bool& accept)>;
using FileSearchHandler =
    std::function<void(PluginManager* sender, const QString& fileName, bool& accept)>;
using PictureRegisterHandler =
    std::function<void(PluginManager* sender, ImportPlugin* spi, const QString& extension,
                       const QString& description, const GraphicClass*& graphicClass)>;

// A library the start-up search passed over, and why (in plain words).
struct SkippedPlugin {
    QString fileName;
    QString message;
};

class PluginManager : public QObject {
    Q_OBJECT
public:
    // Raises ESPIDupCreateSPIs while another manager is live.
    explicit PluginManager(QObject* owner = nullptr);
    ~PluginManager() override;

    // The live manager, or null.
    static PluginManager* activeSPIs();
    // The class registered for plug-in extensions; null until set.
    static void setGraphicClass(const GraphicClass* cls);

    // Runs once the properties are set: searches for "*.spi" when autoSearch is on.
    void afterLoad();
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

    PluginFolders searchOptions = {PluginFolder::SusieFolder, PluginFolder::ProgramFolder};
    PluginSearchHandler onSearch;
    FileSearchHandler onSearching;
    PictureRegisterHandler onPictureRegister;
    bool autoSearch = true;
    bool macBinary = true;
    bool graphicPreview = false;
    ImportPlugin* graphicForcedLoader = nullptr;

    // When set, a file that fails to open as a plug-in (not loadable, no
    // GetPluginInfo, or missing an entry point its kind needs) is passed over
    // and noted, instead of ending the search: one bad file must not stop the
    // program, and the user learns which file it was.
    bool skipFaultyLibraries = false;
    const std::vector<SkippedPlugin>& skippedPlugins() const { return skipped_; }

protected:
    // The folders an option stands for, each with a trailing separator; none to skip it.
    virtual QStringList optionFolders(PluginFolder option) const;

private:
    // Both are the process's: pictures reach the one manager from anywhere,
    // and the class is named at start, before any manager exists.
    static PluginManager*& activeSlot();
    static const GraphicClass*& graphicClassSlot();

    std::vector<std::unique_ptr<Plugin>> list_;
    std::vector<SkippedPlugin> skipped_;
};

// The extension of a name as the manager compares it: from the last dot on,
// dot included, when that dot follows the last path separator; else empty.
QString spiFileExtension(const QString& fileName);

} // namespace nubivu
