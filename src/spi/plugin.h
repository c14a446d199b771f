#pragma once
// One plug-in library: loaded, its entry points resolved and its
// self-description read. Every typed call checks its entry point first.
#include "core/errors.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>

#include "susieplugin.h"

namespace nubivu {

// A plug-in may not be reentrant, and pictures are also decoded ahead on a
// worker thread: every call into a plug-in, every decoding job and every
// change to the manager's list holds this one process-wide lock.
[[nodiscard]] std::unique_lock<std::recursive_mutex> lockPluginCalls();

class LibraryLoader;
class PluginLibrary;
class Plugin;

// The library cannot be loaded.
NUBIVU_ERROR_CLASS(ESPIFOpenErrorSPI, ENubivuError)
// An entry point the wrapper requires, or a call needs, is missing.
class ESPIInvalidAPI : public ENubivuError {
public:
    explicit ESPIInvalidAPI(QString message, QString entryPoint = {})
        : ENubivuError(std::move(message)), entryPoint_(std::move(entryPoint)) {}
    // The name of the missing entry point.
    const QString& entryPoint() const noexcept { return entryPoint_; }

private:
    QString entryPoint_;
};
// Turned into a null result by createSPI; raised by no code of ours.
NUBIVU_ERROR_CLASS(ESPIInvalidSPI, ENubivuError)

// A wrapper class reference: builds a wrapper of the class and recognises its instances.
struct PluginClass {
    const char* name;
    // Opens the library through loader.
    std::unique_ptr<Plugin> (*create)(const QString& path, LibraryLoader& loader);
    bool (*isInstance)(const Plugin& spi); // true for the class and its subclasses
};

class Plugin {
public:
    virtual ~Plugin();
    Plugin(const Plugin&) = delete;
    Plugin& operator=(const Plugin&) = delete;

    static const PluginClass& staticClass();
    virtual const PluginClass& classType() const { return staticClass(); }

    int32_t GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength);

    const QString& fileName() const { return fileName_; }
    const QString& apiVersion() const { return apiVersion_; }
    const QString& pluginInfo() const { return pluginInfo_; }
    const QStringList& extensions() const { return extensions_; }
    const QStringList& descriptions() const { return descriptions_; }
    bool kindSupported() const { return kindSupported_; }
    // The loaded library: in this process, or in a helper.
    PluginLibrary& library() const { return *handle_; }

    // Raises ESPIInvalidAPI naming the entry point when its address is null.
    void requireEntryPoint(const void* address, const char* name) const;

protected:
    Plugin() = default;
    // Loads the library and reads its description; the class's own checks
    // run through the virtual queries, so this runs after construction.
    void open(const QString& path, LibraryLoader& loader);
    // Builds a wrapper of class T on the path; a failure destroys it.
    template <class T>
    static std::unique_ptr<Plugin> build(const QString& path, LibraryLoader& loader) {
        std::unique_ptr<Plugin> spi(new T);
        spi->open(path, loader);
        return spi;
    }

    virtual void checkEntryPoints();
    virtual bool queryKindSupported() const { return false; }
    // Raises for the first missing entry point of the list, in list order.
    void checkRequired(std::initializer_list<std::pair<const void*, const char*>> list) const;

    SpiGetPluginInfoFn GetPluginInfo_ = nullptr;
    SpiConfigurationDlgFn ConfigurationDlg_ = nullptr;
    SpiIsSupportedFn IsSupported_ = nullptr;
    SpiGetPictureInfoFn GetPictureInfo_ = nullptr;
    SpiGetPictureFn GetPicture_ = nullptr;
    SpiGetPreviewFn GetPreview_ = nullptr;
    SpiGetArchiveInfoFn GetArchiveInfo_ = nullptr;
    SpiGetFileInfoFn GetFileInfo_ = nullptr;
    SpiGetFileFn GetFile_ = nullptr;

private:
    std::unique_ptr<PluginLibrary> handle_;
    QString fileName_;
    QString apiVersion_;
    QString pluginInfo_;
    QStringList extensions_;
    QStringList descriptions_;
    bool kindSupported_ = false;
};

class LoaderPlugin : public Plugin {
public:
    static const PluginClass& staticClass();
    const PluginClass& classType() const override { return staticClass(); }

    int32_t IsSupported(const char* name, intptr_t probe);

protected:
    friend class Plugin;
    LoaderPlugin() = default;
    void checkEntryPoints() override;
};

// Picture decoders, kind "00IN".
class ImportPlugin : public LoaderPlugin {
public:
    static const PluginClass& staticClass();
    const PluginClass& classType() const override { return staticClass(); }

    int32_t GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                           SpiPictureInfo* info);
    int32_t GetPicture(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                       HLOCAL* bits, SpiProgressCallback progress, intptr_t data);
    int32_t GetPreview(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                       HLOCAL* bits, SpiProgressCallback progress, intptr_t data);

protected:
    friend class Plugin;
    ImportPlugin() = default;
    void checkEntryPoints() override;
    bool queryKindSupported() const override { return true; }
};

// Archive readers, kind "00AM": kept in the list, never asked for pictures.
class ArchivePlugin : public LoaderPlugin {
public:
    static const PluginClass& staticClass();
    const PluginClass& classType() const override { return staticClass(); }

protected:
    friend class Plugin;
    ArchivePlugin() = default;
    void checkEntryPoints() override;
    bool queryKindSupported() const override { return true; }
};

// Kind "00XN".
class XnPlugin : public Plugin {
public:
    static const PluginClass& staticClass();
    const PluginClass& classType() const override { return staticClass(); }

protected:
    friend class Plugin;
    XnPlugin() = default;
};

// The wrapper of the class the library's kind text names (exactly, case
// sensitive), or null when loader cannot load the library. A library lacking
// an entry point its kind requires raises ESPIInvalidAPI.
std::unique_ptr<Plugin> createSPI(const QString& path, LibraryLoader& loader);

} // namespace nubivu
