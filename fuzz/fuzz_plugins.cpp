// The shipped decoder plug-ins on damaged input: the first byte picks the
// plug-in, the rest is the picture, decoded from memory as the host does.
// What comes back is checked the way the host checks it: both blocks exist
// and are large enough for the picture their header describes.
#include "susieplugin.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string>
#include <vector>

namespace {

struct Plugin {
    SpiIsSupportedFn isSupported;
    SpiGetPictureInfoFn getPictureInfo;
    SpiGetPictureFn getPicture;
};

std::vector<Plugin>& plugins() {
    static std::vector<Plugin> loaded = [] {
        std::vector<Plugin> out;
        for (const char* name : {"ifpng", "ifgif", "iftiff", "ifwebp"}) {
            const std::string path = std::string(NUBIVU_PLUGIN_DIR "/") + name + ".spi";
            void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
            if (!handle) {
                std::fprintf(stderr, "%s\n", dlerror());
                std::abort();
            }
            out.push_back({reinterpret_cast<SpiIsSupportedFn>(dlsym(handle, "IsSupported")),
                           reinterpret_cast<SpiGetPictureInfoFn>(dlsym(handle, "GetPictureInfo")),
                           reinterpret_cast<SpiGetPictureFn>(dlsym(handle, "GetPicture"))});
        }
        return out;
    }();
    return loaded;
}

int32_t keepGoing(int32_t done, int32_t total, intptr_t) {
    if (done < 0 || total <= 0 || done > total) std::abort();
    return 0;
}

uint32_t le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void checkPicture(HLOCAL info, HLOCAL bits) {
    const size_t infoSize = LocalSize(info);
    if (!info || !bits || infoSize < 40) std::abort();
    const auto* header = static_cast<const uint8_t*>(LocalLock(info));
    const int64_t width = int32_t(le32(header + 4)), height = int32_t(le32(header + 8));
    const int depth = header[14] | header[15] << 8;
    const uint64_t colors = depth <= 8 ? uint64_t(1) << depth : 0;
    const uint64_t stride = uint64_t((width * depth + 31) / 32) * 4;
    // A plain header, or a V5 header with alpha masks for 32-bit pictures.
    const uint32_t headerSize = le32(header);
    const uint32_t compression = le32(header + 16);
    const bool plain = headerSize == 40 && compression == 0;
    const bool alpha = headerSize == 124 && compression == 3 && depth == 32;
    if ((!plain && !alpha) || width <= 0 || height <= 0 || headerSize + colors * 4 > infoSize ||
        stride * uint64_t(height) > LocalSize(bits))
        std::abort();
    // Touch every byte, so a short block shows up under AddressSanitizer.
    const auto* pixels = static_cast<const volatile uint8_t*>(LocalLock(bits));
    uint8_t sum = 0;
    for (uint64_t i = 0; i < stride * uint64_t(height); i += 61) sum = uint8_t(sum + pixels[i]);
    (void)sum;
    LocalUnlock(bits);
    LocalUnlock(info);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    plugins();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const Plugin& plugin = plugins()[data[0] % plugins().size()];
    // The host hands over a buffer of fixed size, zero-padded.
    std::vector<uint8_t> probe(SPI_PROBE_SIZE, 0);
    std::memcpy(probe.data(), data + 1, std::min(size - 1, probe.size()));
    plugin.isSupported("fuzz", reinterpret_cast<intptr_t>(probe.data()));

    // An exact copy, so reading past the end is caught.
    std::vector<uint8_t> picture(data + 1, data + size);
    const char* source = reinterpret_cast<const char*>(picture.data());
    SpiPictureInfo info;
    if (plugin.getPictureInfo(source, intptr_t(picture.size()), SPI_SOURCE_MEMORY, &info) !=
        SPI_ALL_RIGHT)
        return 0;
    // A tiny file may rightly describe a huge picture; decoding it proves nothing more.
    if (info.width <= 0 || info.height <= 0 ||
        int64_t(info.width) * info.height > (int64_t(1) << 22))
        return 0;
    HLOCAL bitmapInfo = nullptr, bits = nullptr;
    if (plugin.getPicture(source, intptr_t(picture.size()), SPI_SOURCE_MEMORY, &bitmapInfo, &bits,
                          keepGoing, 0) == SPI_ALL_RIGHT) {
        checkPicture(bitmapInfo, bits);
        LocalFree(bitmapInfo);
        LocalFree(bits);
    }
    return 0;
}
