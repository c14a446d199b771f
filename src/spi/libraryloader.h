#pragma once
// How plug-in libraries are loaded. The wrappers see only these two small
// interfaces, so that another kind of library (one run by a helper process,
// say) can stand behind them without touching the wrappers.
#include <QString>
#include <memory>

#include "susieplugin.h"

namespace nubivu {

// A loaded library; destroying it unloads it. The wrappers call its entry
// points through the typed calls, so a library whose code runs elsewhere (in
// a helper process) answers them the same way.
class PluginLibrary {
public:
    virtual ~PluginLibrary() = default;
    // Non-null when the library exports the entry point: its address for a
    // library in this process, only a token for one that runs elsewhere.
    virtual void* resolve(const char* name) const = 0;
    // The full path of the module as the system knows it; empty when unknown.
    virtual QString modulePath() const = 0;

    // The nine entry points; the defaults call the resolved address in this
    // process. Called only when Resolve answered non-null for the name.
    virtual int32_t GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength);
    virtual int32_t IsSupported(const char* name, intptr_t probe);
    virtual int32_t GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                                   SpiPictureInfo* info);
    virtual int32_t GetPicture(const char* source, intptr_t length, uint32_t flag,
                               HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                               intptr_t data);
    virtual int32_t GetPreview(const char* source, intptr_t length, uint32_t flag,
                               HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                               intptr_t data);
    virtual int32_t GetArchiveInfo(const char* source, intptr_t length, uint32_t flag,
                                   HLOCAL* entries);
    virtual int32_t GetFileInfo(const char* source, intptr_t length, const char* fileName,
                                uint32_t flag, void* entry);
    virtual int32_t GetFile(const char* source, intptr_t length, char* dest, uint32_t flag,
                            SpiProgressCallback progress, intptr_t data);
    virtual int32_t ConfigurationDlg(void* parent, int32_t function);

private:
    template <class Fn> Fn entry(const char* name) const {
        return reinterpret_cast<Fn>(resolve(name));
    }
};

// Whoever builds a wrapper says which loader opens its library: the
// program's own (PluginLibraryLoader), or a test's.
class LibraryLoader {
public:
    virtual ~LibraryLoader() = default;
    // The library at exactly this path, or null when it cannot be loaded.
    virtual std::unique_ptr<PluginLibrary> load(const QString& path) = 0;
    // Why the last Load failed, in the system's words; empty when unknown.
    virtual QString lastError() const { return {}; }
};

} // namespace nubivu
