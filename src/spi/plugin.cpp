#include "spi/plugin.h"

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

template <class T> bool isInstance(const Plugin& spi) {
    const Plugin* p = &spi;
    return dynamic_cast<const T*>(p) != nullptr;
}

} // namespace

#define NUBIVU_SPI_CLASS(Name)                                                                     \
    const PluginClass& Name::staticClass() {                                                       \
        static const PluginClass cls{#Name, &Plugin::build<Name>, &isInstance<Name>};              \
        return cls;                                                                                \
    }

NUBIVU_SPI_CLASS(Plugin)
NUBIVU_SPI_CLASS(LoaderPlugin)
NUBIVU_SPI_CLASS(ImportPlugin)
NUBIVU_SPI_CLASS(ArchivePlugin)
NUBIVU_SPI_CLASS(XnPlugin)

Plugin::~Plugin() = default;

void Plugin::open(const QString& path, LibraryLoader& loader) {
    handle_ = loader.load(path);
    if (!handle_) throw ESPIFOpenErrorSPI(QString::fromUtf8(msg::SpiCannotLoad).arg(path));
    fileName_ = handle_->modulePath();
    if (fileName_.isEmpty()) fileName_ = path;

    auto resolve = [&](auto& entry, const char* name) {
        entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(handle_->resolve(name));
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

    checkEntryPoints();

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
    kindSupported_ = queryKindSupported();
}

void Plugin::requireEntryPoint(const void* address, const char* name) const {
    if (!address)
        throw ESPIInvalidAPI(
            QString::fromUtf8(msg::SpiInvalidApi).arg(QLatin1String(name), fileName_),
            QLatin1String(name));
}

void Plugin::checkRequired(std::initializer_list<std::pair<const void*, const char*>> list) const {
    for (const auto& [address, name] : list) requireEntryPoint(address, name);
}

void Plugin::checkEntryPoints() {
    checkRequired({{reinterpret_cast<const void*>(GetPluginInfo_), "GetPluginInfo"}});
}

std::unique_lock<std::recursive_mutex> lockPluginCalls() {
    static std::recursive_mutex mutex;
    return std::unique_lock(mutex);
}

int32_t Plugin::GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength) {
    requireEntryPoint(reinterpret_cast<const void*>(GetPluginInfo_), "GetPluginInfo");
    const auto lock = lockPluginCalls();
    return handle_->GetPluginInfo(infoNo, buffer, bufferLength);
}

#define NUBIVU_ENTRY(name)                                                                         \
    { reinterpret_cast<const void*>(name##_), #name }

void LoaderPlugin::checkEntryPoints() {
    checkRequired({NUBIVU_ENTRY(GetPluginInfo), NUBIVU_ENTRY(IsSupported)});
}

int32_t LoaderPlugin::IsSupported(const char* name, intptr_t probe) {
    requireEntryPoint(reinterpret_cast<const void*>(IsSupported_), "IsSupported");
    const auto lock = lockPluginCalls();
    return library().IsSupported(name, probe);
}

void ImportPlugin::checkEntryPoints() {
    checkRequired({NUBIVU_ENTRY(GetPluginInfo), NUBIVU_ENTRY(IsSupported),
                   NUBIVU_ENTRY(GetPictureInfo), NUBIVU_ENTRY(GetPicture)});
}

int32_t ImportPlugin::GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                                     SpiPictureInfo* info) {
    requireEntryPoint(reinterpret_cast<const void*>(GetPictureInfo_), "GetPictureInfo");
    const auto lock = lockPluginCalls();
    return library().GetPictureInfo(source, length, flag, info);
}

int32_t ImportPlugin::GetPicture(const char* source, intptr_t length, uint32_t flag,
                                 HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                                 intptr_t data) {
    requireEntryPoint(reinterpret_cast<const void*>(GetPicture_), "GetPicture");
    const auto lock = lockPluginCalls();
    return library().GetPicture(source, length, flag, bitmapInfo, bits, progress, data);
}

int32_t ImportPlugin::GetPreview(const char* source, intptr_t length, uint32_t flag,
                                 HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                                 intptr_t data) {
    requireEntryPoint(reinterpret_cast<const void*>(GetPreview_), "GetPreview");
    const auto lock = lockPluginCalls();
    return library().GetPreview(source, length, flag, bitmapInfo, bits, progress, data);
}

void ArchivePlugin::checkEntryPoints() {
    checkRequired({NUBIVU_ENTRY(GetPluginInfo), NUBIVU_ENTRY(IsSupported),
                   NUBIVU_ENTRY(GetArchiveInfo), NUBIVU_ENTRY(GetFileInfo), NUBIVU_ENTRY(GetFile)});
}

std::unique_ptr<Plugin> createSPI(const QString& path, LibraryLoader& loader) {
    try {
        const std::unique_ptr<Plugin> probe = Plugin::staticClass().create(path, loader);
        const QString& kind = probe->apiVersion();
        const PluginClass& cls =
            kind == QLatin1String(SPI_KIND_IMPORT)    ? ImportPlugin::staticClass()
            : kind == QLatin1String(SPI_KIND_ARCHIVE) ? ArchivePlugin::staticClass()
            : kind == QLatin1String(SPI_KIND_EXTRA)   ? XnPlugin::staticClass()
                                                      : Plugin::staticClass();
        // Loaded a second time: the module stays mapped through the new wrapper.
        return cls.create(path, loader);
    } catch (const ESPIFOpenErrorSPI&) {
        return nullptr;
    } catch (const ESPIInvalidSPI&) {
        return nullptr;
    }
}

} // namespace nubivu
