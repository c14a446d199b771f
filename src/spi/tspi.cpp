#include "spi/tspi.h"

#include "spi/libraryloader.h"
#include "spi/spimessages.h"

#include <cstddef>
#include <cstring>

namespace nubivu {

// The record plug-ins fill is packed: 22 bytes of fields, then a pointer-sized handle.
static_assert(sizeof(SpiPictureInfo) == 22 + sizeof(void*));
static_assert(offsetof(SpiPictureInfo, text_info) == 22);

namespace {

constexpr int32_t kTextLength = 255; // the buffers hold 256 bytes

QString bufferText(const char (&buffer)[kTextLength + 1]) {
    return QString::fromLocal8Bit(buffer, qsizetype(strnlen(buffer, sizeof buffer)));
}

template <class T> bool isInstance(const TSPI& spi) {
    const TSPI* p = &spi;
    return dynamic_cast<const T*>(p) != nullptr;
}

} // namespace

#define NUBIVU_SPI_CLASS(Name)                                                                     \
    const TSPIClass& Name::StaticClass() {                                                         \
        static const TSPIClass cls{#Name, &TSPI::Build<Name>, &isInstance<Name>};                  \
        return cls;                                                                                \
    }

NUBIVU_SPI_CLASS(TSPI)
NUBIVU_SPI_CLASS(TLoaderSPI)
NUBIVU_SPI_CLASS(TInSPI)
NUBIVU_SPI_CLASS(TAmSPI)
NUBIVU_SPI_CLASS(TXnSPI)

TSPI::~TSPI() = default;

void TSPI::Open(const QString& path) {
    handle_ = TLibraryLoader::Current().Load(path);
    if (!handle_) throw ESPIFOpenErrorSPI(QString::fromUtf8(msg::SpiCannotLoad).arg(path));
    fileName_ = handle_->ModulePath();
    if (fileName_.isEmpty()) fileName_ = path;

    auto resolve = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(handle_->Resolve(name));
    };
    resolve(GetPluginInfo_, "GetPluginInfo");
    resolve(ConfigurationDlg_, "ConfigurationDlg");
    resolve(IsSupported_, "IsSupported");
    resolve(GetPictureInfo_, "GetPictureInfo");
    resolve(GetPicture_, "GetPicture");
    resolve(GetPreview_, "GetPreview");
    resolve(GetArchiveInfo_, "GetArchiveInfo");
    resolve(GetFileInfo_, "GetFileInfo");
    resolve(GetFile_, "GetFile");

    CheckEntryPoints();

    char a[kTextLength + 1] = {};
    char b[kTextLength + 1] = {};
    if (GetPluginInfo(0, a, kTextLength) > 0) apiVersion_ = bufferText(a);
    std::memset(a, 0, sizeof a);
    if (GetPluginInfo(1, a, kTextLength) > 0) pluginInfo_ = bufferText(a);

    // Filter/description pairs; a filter without its description ends the list.
    for (int32_t n = 2;; n += 2) {
        std::memset(a, 0, sizeof a);
        std::memset(b, 0, sizeof b);
        if (GetPluginInfo(n, a, kTextLength) <= 0 || GetPluginInfo(n + 1, b, kTextLength) <= 0)
            break;
        extensions_.append(bufferText(a));
        descriptions_.append(bufferText(b));
    }
    kindSupported_ = QueryKindSupported();
}

void TSPI::RequireEntryPoint(const void* address, const char* name) const {
    if (!address)
        throw ESPIInvalidAPI(
            QString::fromUtf8(msg::SpiInvalidApi).arg(QLatin1String(name), fileName_),
            QLatin1String(name));
}

void TSPI::CheckRequired(std::initializer_list<std::pair<const void*, const char*>> list) const {
    for (const auto& [address, name] : list) RequireEntryPoint(address, name);
}

void TSPI::CheckEntryPoints() {
    CheckRequired({{reinterpret_cast<const void*>(GetPluginInfo_), "GetPluginInfo"}});
}

std::unique_lock<std::recursive_mutex> LockPluginCalls() {
    static std::recursive_mutex mutex;
    return std::unique_lock(mutex);
}

int32_t TSPI::GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength) {
    RequireEntryPoint(reinterpret_cast<const void*>(GetPluginInfo_), "GetPluginInfo");
    const auto lock = LockPluginCalls();
    return handle_->GetPluginInfo(infoNo, buffer, bufferLength);
}

#define NUBIVU_ENTRY(name)                                                                         \
    { reinterpret_cast<const void*>(name##_), #name }

void TLoaderSPI::CheckEntryPoints() {
    CheckRequired({NUBIVU_ENTRY(GetPluginInfo), NUBIVU_ENTRY(IsSupported)});
}

int32_t TLoaderSPI::IsSupported(const char* name, intptr_t probe) {
    RequireEntryPoint(reinterpret_cast<const void*>(IsSupported_), "IsSupported");
    const auto lock = LockPluginCalls();
    return Library().IsSupported(name, probe);
}

void TInSPI::CheckEntryPoints() {
    CheckRequired({NUBIVU_ENTRY(GetPluginInfo), NUBIVU_ENTRY(IsSupported),
                   NUBIVU_ENTRY(GetPictureInfo), NUBIVU_ENTRY(GetPicture)});
}

int32_t TInSPI::GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                               SpiPictureInfo* info) {
    RequireEntryPoint(reinterpret_cast<const void*>(GetPictureInfo_), "GetPictureInfo");
    const auto lock = LockPluginCalls();
    return Library().GetPictureInfo(source, length, flag, info);
}

int32_t TInSPI::GetPicture(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                           HLOCAL* bits, SpiProgressCallback progress, intptr_t data) {
    RequireEntryPoint(reinterpret_cast<const void*>(GetPicture_), "GetPicture");
    const auto lock = LockPluginCalls();
    return Library().GetPicture(source, length, flag, bitmapInfo, bits, progress, data);
}

int32_t TInSPI::GetPreview(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                           HLOCAL* bits, SpiProgressCallback progress, intptr_t data) {
    RequireEntryPoint(reinterpret_cast<const void*>(GetPreview_), "GetPreview");
    const auto lock = LockPluginCalls();
    return Library().GetPreview(source, length, flag, bitmapInfo, bits, progress, data);
}

void TAmSPI::CheckEntryPoints() {
    CheckRequired({NUBIVU_ENTRY(GetPluginInfo), NUBIVU_ENTRY(IsSupported),
                   NUBIVU_ENTRY(GetArchiveInfo), NUBIVU_ENTRY(GetFileInfo), NUBIVU_ENTRY(GetFile)});
}

std::unique_ptr<TSPI> CreateSPI(const QString& path) {
    try {
        const std::unique_ptr<TSPI> probe = TSPI::StaticClass().create(path);
        const QString& kind = probe->APIVersion();
        const TSPIClass& cls = kind == QLatin1String(SPI_KIND_IMPORT)    ? TInSPI::StaticClass()
                               : kind == QLatin1String(SPI_KIND_ARCHIVE) ? TAmSPI::StaticClass()
                               : kind == QLatin1String(SPI_KIND_EXTRA)   ? TXnSPI::StaticClass()
                                                                         : TSPI::StaticClass();
        // Loaded a second time: the module stays mapped through the new wrapper.
        return cls.create(path);
    } catch (const ESPIFOpenErrorSPI&) {
        return nullptr;
    } catch (const ESPIInvalidSPI&) {
        return nullptr;
    }
}

} // namespace nubivu
