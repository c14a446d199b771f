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
[[nodiscard]] std::unique_lock<std::recursive_mutex> LockPluginCalls();

class TLibrary;
class TSPI;

// The library cannot be loaded.
NUBIVU_ERROR_CLASS(ESPIFOpenErrorSPI, ENubivuError)
// An entry point the wrapper requires, or a call needs, is missing.
class ESPIInvalidAPI : public ENubivuError {
public:
    explicit ESPIInvalidAPI(QString message, QString entryPoint = {})
        : ENubivuError(std::move(message)), entryPoint_(std::move(entryPoint)) {}
    // The name of the missing entry point.
    const QString& EntryPoint() const noexcept { return entryPoint_; }

private:
    QString entryPoint_;
};
// Turned into a null result by CreateSPI; raised by no code of ours.
NUBIVU_ERROR_CLASS(ESPIInvalidSPI, ENubivuError)
// A second plug-in manager was created.
NUBIVU_ERROR_CLASS(ESPIDupCreateSPIs, ENubivuError)

// A wrapper class reference: builds a wrapper of the class and recognises its instances.
struct TSPIClass {
    const char* name;
    std::unique_ptr<TSPI> (*create)(const QString& path);
    bool (*isInstance)(const TSPI& spi); // true for the class and its subclasses
};

class TSPI {
public:
    virtual ~TSPI();
    TSPI(const TSPI&) = delete;
    TSPI& operator=(const TSPI&) = delete;

    static const TSPIClass& StaticClass();
    virtual const TSPIClass& ClassType() const { return StaticClass(); }

    int32_t GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength);

    const QString& FileName() const { return fileName_; }
    const QString& APIVersion() const { return apiVersion_; }
    const QString& PluginInfo() const { return pluginInfo_; }
    const QStringList& Extensions() const { return extensions_; }
    const QStringList& Descriptions() const { return descriptions_; }
    bool KindSupported() const { return kindSupported_; }
    // The loaded library: in this process, or in a helper.
    TLibrary& Library() const { return *handle_; }

    // Raises ESPIInvalidAPI naming the entry point when its address is null.
    void RequireEntryPoint(const void* address, const char* name) const;

protected:
    TSPI() = default;
    // Loads the library and reads its description; the class's own checks
    // run through the virtual queries, so this runs after construction.
    void Open(const QString& path);
    // Builds a wrapper of class T on the path; a failure destroys it.
    template <class T> static std::unique_ptr<TSPI> Build(const QString& path) {
        std::unique_ptr<TSPI> spi(new T);
        spi->Open(path);
        return spi;
    }

    virtual void CheckEntryPoints();
    virtual bool QueryKindSupported() const { return false; }
    // Raises for the first missing entry point of the list, in list order.
    void CheckRequired(std::initializer_list<std::pair<const void*, const char*>> list) const;

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
    std::unique_ptr<TLibrary> handle_;
    QString fileName_;
    QString apiVersion_;
    QString pluginInfo_;
    QStringList extensions_;
    QStringList descriptions_;
    bool kindSupported_ = false;
};

class TLoaderSPI : public TSPI {
public:
    static const TSPIClass& StaticClass();
    const TSPIClass& ClassType() const override { return StaticClass(); }

    int32_t IsSupported(const char* name, intptr_t probe);

protected:
    friend class TSPI;
    TLoaderSPI() = default;
    void CheckEntryPoints() override;
};

// Picture decoders, kind "00IN".
class TInSPI : public TLoaderSPI {
public:
    static const TSPIClass& StaticClass();
    const TSPIClass& ClassType() const override { return StaticClass(); }

    int32_t GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                           SpiPictureInfo* info);
    int32_t GetPicture(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                       HLOCAL* bits, SpiProgressCallback progress, intptr_t data);
    int32_t GetPreview(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                       HLOCAL* bits, SpiProgressCallback progress, intptr_t data);

protected:
    friend class TSPI;
    TInSPI() = default;
    void CheckEntryPoints() override;
    bool QueryKindSupported() const override { return true; }
};

// Archive readers, kind "00AM": kept in the list, never asked for pictures.
class TAmSPI : public TLoaderSPI {
public:
    static const TSPIClass& StaticClass();
    const TSPIClass& ClassType() const override { return StaticClass(); }

protected:
    friend class TSPI;
    TAmSPI() = default;
    void CheckEntryPoints() override;
    bool QueryKindSupported() const override { return true; }
};

// Kind "00XN".
class TXnSPI : public TSPI {
public:
    static const TSPIClass& StaticClass();
    const TSPIClass& ClassType() const override { return StaticClass(); }

protected:
    friend class TSPI;
    TXnSPI() = default;
};

// The wrapper of the class the library's kind text names (exactly, case
// sensitive), or null when the library cannot be loaded. A library lacking an
// entry point its kind requires raises ESPIInvalidAPI.
std::unique_ptr<TSPI> CreateSPI(const QString& path);

} // namespace nubivu
