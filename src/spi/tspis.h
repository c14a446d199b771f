#pragma once
// The plug-in manager: finds plug-in files, keeps the loaded ones in order,
// registers the extensions of every picture decoder with the picture format
// registry, and says which decoders to try for a file.
#include "spi/tspi.h"

#include <QList>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

namespace nubivu {

struct TGraphicClass;
class TSPIs;

enum class TSPISearchOption { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };

// Bit n stands for the n-th option.
class TSPISearchOptions {
public:
    constexpr TSPISearchOptions() = default;
    constexpr TSPISearchOptions(std::initializer_list<TSPISearchOption> options) {
        for (TSPISearchOption o : options) bits_ |= bit(o);
    }
    constexpr bool Contains(TSPISearchOption o) const { return bits_ & bit(o); }
    constexpr void Include(TSPISearchOption o) { bits_ |= bit(o); }
    constexpr unsigned Bits() const { return bits_; }
    constexpr bool operator==(const TSPISearchOptions&) const = default;

private:
    static constexpr unsigned bit(TSPISearchOption o) { return 1u << unsigned(o); }
    unsigned bits_ = 0;
};

using TSPISearchEvent = std::function<void(TSPIs* sender, TSPI* spi, bool& accept)>;
using TSPISearchingEvent =
    std::function<void(TSPIs* sender, const QString& fileName, bool& accept)>;
using TSPIPictureRegisterEvent =
    std::function<void(TSPIs* sender, TInSPI* spi, const QString& extension,
                       const QString& description, const TGraphicClass*& graphicClass)>;

// A library the start-up search passed over, and why (in plain words).
struct TSkippedPlugin {
    QString fileName;
    QString message;
};

class TSPIs : public QObject {
    Q_OBJECT
public:
    // Raises ESPIDupCreateSPIs while another manager is live.
    explicit TSPIs(QObject* owner = nullptr);
    ~TSPIs() override;

    // The live manager, or null.
    static TSPIs* ActiveSPIs();
    // The class registered for plug-in extensions; null until set.
    static void SetGraphicClass(const TGraphicClass* cls);

    // Runs once the properties are set: searches for "*.spi" when AutoSearch is on.
    void AfterLoad();
    void Search(const QString& mask);
    // folder ends with a path separator.
    void SearchFolder(const QString& folder, const QString& mask);

    void Add(std::unique_ptr<TSPI> spi);
    void Insert(int index, std::unique_ptr<TSPI> spi);
    void Delete(int index);
    void Clear();
    // The plug-in loaded from that file: the same path, or a path that reaches
    // the same file (a linked folder, letters a case-folding file system takes
    // as the same); -1 if none.
    int IndexOf(const QString& fileName) const;
    int Count() const { return int(list_.size()); }
    TSPI* Items(int index) const { return list_.at(size_t(index)).get(); }
    // Appends the loaded plug-ins of the classes in the order to try them
    // for fileName: those claiming its extension first, the latest first.
    void ListPlugins(std::initializer_list<const TSPIClass*> classes, QList<TSPI*>& list,
                     const QString& fileName) const;

    TSPISearchOptions SearchOptions = {TSPISearchOption::spsSusieDir, TSPISearchOption::spsAppDir};
    TSPISearchEvent OnSearch;
    TSPISearchingEvent OnSearching;
    TSPIPictureRegisterEvent OnPictureRegister;
    bool AutoSearch = true;
    bool MacBinary = true;
    bool GraphicPreview = false;
    TInSPI* GraphicForcedLoader = nullptr;

    // When set, a file that fails to open as a plug-in (not loadable, no
    // GetPluginInfo, or missing an entry point its kind needs) is passed over
    // and noted, instead of ending the search: one bad file must not stop the
    // program, and the user learns which file it was.
    bool SkipFaultyLibraries = false;
    const std::vector<TSkippedPlugin>& SkippedPlugins() const { return skipped_; }

protected:
    // The folders an option stands for, each with a trailing separator; none to skip it.
    virtual QStringList OptionFolders(TSPISearchOption option) const;

private:
    // Both are the process's: pictures reach the one manager from anywhere,
    // and the class is named at start, before any manager exists.
    static TSPIs*& activeSlot();
    static const TGraphicClass*& graphicClassSlot();

    std::vector<std::unique_ptr<TSPI>> list_;
    std::vector<TSkippedPlugin> skipped_;
};

// The extension of a name as the manager compares it: from the last dot on,
// dot included, when that dot follows the last path separator; else empty.
QString SPIFileExtension(const QString& fileName);

} // namespace nubivu
