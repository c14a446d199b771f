// What the plug-in helper sends back, fuzzed: the program's side of the
// protocol reads every answer of a fixed run of calls (load, a text, the
// probe, the picture's description, a picture with progress) from the input,
// and takes the bitmap from shared memory as the answers say.
//
// Input: 2 bytes, how many of the following bytes are the shared memory's
// content; those bytes; then the byte stream of the helper's answers.
#include "spi/helperlibrary.h"
#include "spi/spioutput.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <unistd.h>

#include "susieplugin.h"

using namespace nubivu;

namespace {

int32_t progress(int32_t done, int32_t, intptr_t) { return done > 1000 ? 1 : 0; }

void writeSome(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n <= 0) return; // the rest does not fit the socket: the run reads what did
        data += n;
        size -= size_t(n);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t shared = std::min<size_t>(size_t(data[0]) | size_t(data[1]) << 8, size - 2);
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return 0;
    const int memory = memfd_create("fuzz", MFD_CLOEXEC);
    if (memory < 0) {
        close(pair[0]);
        close(pair[1]);
        return 0;
    }
    writeSome(memory, data + 2, shared);
    fcntl(pair[1], F_SETFL, O_NONBLOCK);
    writeSome(pair[1], data + 2 + shared, size - 2 - shared);
    shutdown(pair[1], SHUT_WR);

    // Every answer is there before the first call.
    HelperPolicy policy;
    policy.limits.loadMs = policy.limits.pictureMs = 50;
    policy.limits.pictureMsPerMiB = 0;
    if (auto library = HelperLibrary::open(HelperProcess::adopt(pair[0], memory),
                                           QStringLiteral("/fuzz/plugin.spi"), policy)) {
        char text[256] = {};
        library->GetPluginInfo(1, text, 255);
        if (text[255] != 0) __builtin_trap();
        char probe[2048] = {};
        library->IsSupported("a.png", reinterpret_cast<intptr_t>(probe));
        SpiPictureInfo info{};
        library->GetPictureInfo("a.png", 0, SPI_SOURCE_FILE, &info);
        const HLOCAL textInfo = info.text_info;
        LocalFree(textInfo);
        HLOCAL bitmapInfo = nullptr;
        HLOCAL bits = nullptr;
        if (library->GetPicture(probe, sizeof probe, SPI_SOURCE_MEMORY, &bitmapInfo, &bits,
                                &progress, 0) == 0 &&
            bitmapInfo)
            checkPluginOutput(bitmapInfo, bits);
        LocalFree(bitmapInfo);
        LocalFree(bits);
    }
    close(pair[1]);
    return 0;
}
