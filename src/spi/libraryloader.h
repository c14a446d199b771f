#pragma once
// How plug-in libraries are loaded. The wrappers see only these two small
// interfaces, so that another kind of library (one run by a helper process,
// say) can stand behind them without touching the wrappers.
#include <QString>
#include <memory>

namespace nubivu {

// A loaded library; destroying it unloads it.
class TLibrary {
public:
    virtual ~TLibrary() = default;
    // The address of an exported entry point, or null.
    virtual void* Resolve(const char* name) const = 0;
    // The full path of the module as the system knows it; empty when unknown.
    virtual QString ModulePath() const = 0;
};

class TLibraryLoader {
public:
    virtual ~TLibraryLoader() = default;
    // The library at exactly this path, or null when it cannot be loaded.
    virtual std::unique_ptr<TLibrary> Load(const QString& path) = 0;
    // Why the last Load failed, in the system's words; empty when unknown.
    virtual QString LastError() const { return {}; }

    // The loader the wrappers use: the system's dynamic loader unless one was installed.
    static TLibraryLoader& Current();
    // Installs a loader (null restores the system's); returns the previous one.
    static TLibraryLoader* Install(TLibraryLoader* loader);
};

} // namespace nubivu
