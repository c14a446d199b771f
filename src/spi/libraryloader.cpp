#include "spi/libraryloader.h"

namespace nubivu {

int32_t PluginLibrary::GetPluginInfo(int32_t infoNo, char* buffer, int32_t bufferLength) {
    return entry<SpiGetPluginInfoFn>("GetPluginInfo")(infoNo, buffer, bufferLength);
}

int32_t PluginLibrary::IsSupported(const char* name, intptr_t probe) {
    return entry<SpiIsSupportedFn>("IsSupported")(name, probe);
}

int32_t PluginLibrary::GetPictureInfo(const char* source, intptr_t length, uint32_t flag,
                                      SpiPictureInfo* info) {
    return entry<SpiGetPictureInfoFn>("GetPictureInfo")(source, length, flag, info);
}

int32_t PluginLibrary::GetPicture(const char* source, intptr_t length, uint32_t flag,
                                  HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                                  intptr_t data) {
    return entry<SpiGetPictureFn>("GetPicture")(source, length, flag, bitmapInfo, bits, progress,
                                                data);
}

int32_t PluginLibrary::GetPreview(const char* source, intptr_t length, uint32_t flag,
                                  HLOCAL* bitmapInfo, HLOCAL* bits, SpiProgressCallback progress,
                                  intptr_t data) {
    return entry<SpiGetPreviewFn>("GetPreview")(source, length, flag, bitmapInfo, bits, progress,
                                                data);
}

int32_t PluginLibrary::GetArchiveInfo(const char* source, intptr_t length, uint32_t flag,
                                      HLOCAL* entries) {
    return entry<SpiGetArchiveInfoFn>("GetArchiveInfo")(source, length, flag, entries);
}

int32_t PluginLibrary::GetFileInfo(const char* source, intptr_t length, const char* fileName,
                                   uint32_t flag, void* entryInfo) {
    return entry<SpiGetFileInfoFn>("GetFileInfo")(source, length, fileName, flag, entryInfo);
}

int32_t PluginLibrary::GetFile(const char* source, intptr_t length, char* dest, uint32_t flag,
                               SpiProgressCallback progress, intptr_t data) {
    return entry<SpiGetFileFn>("GetFile")(source, length, dest, flag, progress, data);
}

int32_t PluginLibrary::ConfigurationDlg(void* parent, int32_t function) {
    return entry<SpiConfigurationDlgFn>("ConfigurationDlg")(parent, function);
}

} // namespace nubivu
