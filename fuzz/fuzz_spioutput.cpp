// What a decoder plug-in hands back, fuzzed: the BITMAPINFO block and the
// pixel block with their handle sizes, through the checks and the bitmap
// reader, exactly as a picture of a plug-in format is loaded.
//
// Input: info handle size (2 bytes), pixel handle size (2 bytes, so that
// runs stay fast; the header's own sizes are not limited), then the bytes of
// the info block, then those of the pixel block (zero-padded).
#include "core/errors.h"
#include "freshpicturememory.h"
#include "pictures/formatregistry.h"
#include "spi/libraryloader.h"
#include "spi/pluginbitmap.h"
#include "spi/pluginmanager.h"

#include <QBuffer>
#include <cstring>

#include "susieplugin.h"

using namespace nubivu;

namespace {

const uint8_t* input = nullptr;
size_t inputSize = 0;

size_t take(size_t& at, size_t bytes) {
    size_t value = 0;
    for (size_t i = 0; i < bytes; ++i) value |= size_t(at < inputSize ? input[at++] : 0) << (8 * i);
    return value;
}

HLOCAL block(size_t& at, size_t size) {
    HLOCAL handle = LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, size);
    if (!handle) return nullptr;
    auto* bytes = static_cast<uint8_t*>(LocalLock(handle));
    const size_t n = std::min(size, inputSize - std::min(at, inputSize));
    if (n) std::memcpy(bytes, input + at, n);
    at += n;
    LocalUnlock(handle);
    return handle;
}

int32_t getPluginInfo(int32_t n, char* buffer, int32_t length) {
    const char* const texts[] = {"00IN", "fuzz", "*.fz", "fuzzed output"};
    if (n < 0 || n > 3) return 0;
    std::strncpy(buffer, texts[n], size_t(length));
    return int32_t(std::strlen(texts[n]));
}
int32_t isSupported(const char*, intptr_t) { return 1; }
int32_t getPictureInfo(const char*, intptr_t, uint32_t, SpiPictureInfo*) { return 0; }
int32_t getPicture(const char*, intptr_t, uint32_t, HLOCAL* info, HLOCAL* bits,
                   SpiProgressCallback progress, intptr_t data) {
    size_t at = 0;
    const size_t infoSize = take(at, 2);
    const size_t bitsSize = take(at, 2);
    if (progress) progress(0, 1, data);
    *info = block(at, infoSize);
    *bits = block(at, bitsSize);
    return 0;
}

class InProcessLibrary : public PluginLibrary {
public:
    void* resolve(const char* name) const override {
        if (!std::strcmp(name, "GetPluginInfo")) return reinterpret_cast<void*>(&getPluginInfo);
        if (!std::strcmp(name, "IsSupported")) return reinterpret_cast<void*>(&isSupported);
        if (!std::strcmp(name, "GetPictureInfo")) return reinterpret_cast<void*>(&getPictureInfo);
        if (!std::strcmp(name, "GetPicture")) return reinterpret_cast<void*>(&getPicture);
        return nullptr;
    }
    QString modulePath() const override { return QStringLiteral("fuzz.spi"); }
};

class InProcessLoader : public LibraryLoader {
public:
    std::unique_ptr<PluginLibrary> load(const QString&) override {
        return std::make_unique<InProcessLibrary>();
    }
};

// Made once for the whole run and never destroyed, so that nothing depends
// on the order static objects go in at exit.
PluginManager& manager() {
    static PluginManager* spis = [] {
        PluginManagerOptions options;
        options.macBinary = false;
        auto* s = new PluginManager(*new FormatRegistry, options);
        InProcessLoader loader;
        s->add(createSPI(QStringLiteral("fuzz.spi"), loader));
        return s;
    }();
    return *spis;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FreshPictureMemory fresh;
    const PluginManager& spis = manager();
    input = data;
    inputSize = size;
    QBuffer stream;
    stream.setData(QByteArray("not a BMP"));
    stream.open(QIODevice::ReadOnly);
    PluginBitmap bitmap(&spis);
    try {
        bitmap.loadFromStreamWithName(stream, QStringLiteral("picture.fz"));
        // A picture that loaded is a consistent bitmap.
        if (bitmap.image().width() != bitmap.width() || bitmap.width() <= 0) __builtin_trap();
    } catch (const ENubivuError&) {
    }
    return 0;
}
