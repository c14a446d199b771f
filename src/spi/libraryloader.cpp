#include "spi/libraryloader.h"

#include "spi/pluginloader.h"

namespace nubivu {

TLibraryLoader& TLibraryLoader::Real() { return TPluginLoader::System(); }

int32_t TLibrary::GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength) {
    return entry<SpiGetPluginInfoFn>("GetPluginInfo")(infoNo, buffer, bufferLength);
}

int32_t TLibrary::IsSupported(const char* name, intptr_t probe) {
    return entry<SpiIsSupportedFn>("IsSupported")(name, probe);
}

int32_t TLibrary::GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                                 SpiPictureInfo* info) {
    return entry<SpiGetPictureInfoFn>("GetPictureInfo")(source, length, flag, info);
}

int32_t TLibrary::GetPicture(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                             HLOCAL* bits, SpiProgressCallback progress, intptr_t data) {
    return entry<SpiGetPictureFn>("GetPicture")(source, length, flag, bitmapInfo, bits, progress,
                                                data);
}

int32_t TLibrary::GetPreview(const char* source, intptr_t length, uint32_t flag, HLOCAL* bitmapInfo,
                             HLOCAL* bits, SpiProgressCallback progress, intptr_t data) {
    return entry<SpiGetPreviewFn>("GetPreview")(source, length, flag, bitmapInfo, bits, progress,
                                                data);
}

int32_t TLibrary::GetArchiveInfo(const char* source, intptr_t length, uint32_t flag,
                                 HLOCAL* entries) {
    return entry<SpiGetArchiveInfoFn>("GetArchiveInfo")(source, length, flag, entries);
}

int32_t TLibrary::GetFileInfo(const char* source, intptr_t length, const char* fileName,
                              uint32_t flag, void* entryInfo) {
    return entry<SpiGetFileInfoFn>("GetFileInfo")(source, length, fileName, flag, entryInfo);
}

int32_t TLibrary::GetFile(const char* source, intptr_t length, char* dest, uint32_t flag,
                          SpiProgressCallback progress, intptr_t data) {
    return entry<SpiGetFileFn>("GetFile")(source, length, dest, flag, progress, data);
}

int32_t TLibrary::ConfigurationDlg(void* parent, int32_t function) {
    return entry<SpiConfigurationDlgFn>("ConfigurationDlg")(parent, function);
}

} // namespace nubivu
