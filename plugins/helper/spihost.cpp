// The plug-in helper: loads one decoder plug-in and answers the program's
// calls of it (helperprotocol.h), so that a plug-in that crashes or hangs
// takes only this process down. Started by the program, never by hand.
#include "spi/helperprotocol.h"

#include "susieplugin.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <string>
#include <sys/prctl.h>
#include <unistd.h>
#include <vector>

using namespace nubivu::helper;

namespace
{

int channel = kChannelFd;
int sharedMemory = kSharedMemoryFd;
void *entries[kEntryCount] = {};

[[noreturn]] void quit()
{
    _exit(0);
}

void writeAll(const std::string &bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(channel, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            quit(); // the program is gone
        done += size_t(n);
    }
}

void readAll(char *p, size_t size)
{
    while (size > 0) {
        const ssize_t n = read(channel, p, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            quit();
        p += n;
        size -= size_t(n);
    }
}

Message readFrame(std::string &payload)
{
    unsigned char head[kFrameHeaderSize];
    readAll(reinterpret_cast<char *>(head), sizeof head);
    const FrameHeader h = parseFrameHeader(head);
    if (h.length > kMaxPayload)
        quit();
    payload.resize(h.length);
    readAll(payload.data(), payload.size());
    return Message(h.type);
}

void send(WireWriter &w)
{
    writeAll(w.frame());
}

template <class Fn> Fn entry(Entry e)
{
    return reinterpret_cast<Fn>(entries[uint32_t(e)]);
}

std::string modulePath(void *handle)
{
    link_map *map = nullptr;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0 || !map)
        return {};
    Dl_info info{};
    if (!dladdr(map->l_ld, &info) || !info.dli_fname)
        return {};
    char resolved[4096];
    return realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
}

void load(WireReader &r)
{
    const std::string path(r.bytes());
    void *handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    WireWriter w(Message::Loaded);
    if (!handle) {
        const char *why = dlerror();
        w.u8(0).u32(0).bytes(why ? why : "");
        send(w);
        return;
    }
    uint32_t mask = 0;
    for (int i = 0; i < kEntryCount; ++i) {
        entries[i] = dlsym(handle, kEntryNames[i]);
        if (entries[i])
            mask |= 1u << i;
    }
    w.u8(1).u32(mask).bytes(modulePath(handle));
    send(w);
}

void result(int32_t value)
{
    WireWriter w(Message::Result);
    w.i32(value);
    send(w);
}

void getPluginInfo(WireReader &r)
{
    const int32_t number = r.i32();
    const int32_t length = r.i32();
    auto fn = entry<SpiGetPluginInfoFn>(Entry::GetPluginInfo);
    if (!fn || length < 0 || length > 4096)
        return result(0);
    // Room for a plug-in that writes one byte past the length it was given.
    std::vector<char> buffer(size_t(length) + 2, 0);
    const int32_t answer = fn(number, buffer.data(), length);
    WireWriter w(Message::Result);
    w.i32(answer).bytes(
        std::string_view(buffer.data(), strnlen(buffer.data(), size_t(length) + 1)));
    send(w);
}

void isSupported(WireReader &r)
{
    const std::string name(r.bytes());
    std::string probe(r.bytes());
    auto fn = entry<SpiIsSupportedFn>(Entry::IsSupported);
    if (!fn)
        return result(0);
    probe.resize(std::max<size_t>(probe.size(), kProbeSize), '\0');
    result(fn(name.c_str(), reinterpret_cast<intptr_t>(probe.data())));
}

// The source as the plug-in takes it: a NUL-ended name, or the bytes.
struct CallSource {
    std::string bytes;
    const char *pointer() const
    {
        return bytes.c_str();
    }
    intptr_t length = 0;
    uint32_t flag = 0;
};

CallSource callSource(WireReader &r)
{
    const PictureSource s = getSource(r);
    CallSource c;
    c.bytes.assign(s.data);
    c.flag = s.flag;
    c.length = s.flag == SPI_SOURCE_MEMORY ? intptr_t(c.bytes.size()) : intptr_t(s.offset);
    return c;
}

void getPictureInfo(WireReader &r)
{
    const CallSource source = callSource(r);
    auto fn = entry<SpiGetPictureInfoFn>(Entry::GetPictureInfo);
    SpiPictureInfo info{};
    const int32_t answer =
        fn ? fn(source.pointer(), source.length, source.flag, &info) : SPI_NO_FUNCTION;
    const HLOCAL text = info.text_info;
    std::string_view textBytes;
    if (const size_t size = LocalSize(text); size > 0 && size <= kMaxTextInfo)
        textBytes = std::string_view(static_cast<const char *>(LocalLock(text)), size);
    WireWriter w(Message::PictureInfo);
    w.i32(answer).i32(info.left).i32(info.top).i32(info.width).i32(info.height);
    w.u16(info.x_density).u16(info.y_density).u16(uint16_t(info.color_depth)).bytes(textBytes);
    send(w);
    if (!textBytes.empty())
        LocalUnlock(text);
    LocalFree(text);
}

int32_t relayProgress(int32_t done, int32_t total, intptr_t)
{
    WireWriter w(Message::Progress);
    w.i32(done).i32(total);
    send(w);
    std::string payload;
    if (readFrame(payload) != Message::ProgressAnswer)
        quit();
    WireReader r(payload);
    const int32_t answer = r.i32();
    return r.ok() ? answer : 1;
}

bool writeShared(const void *p, size_t size, uint64_t at)
{
    const char *bytes = static_cast<const char *>(p);
    while (size > 0) {
        const ssize_t n = pwrite(sharedMemory, bytes, size, off_t(at));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes += n;
        size -= size_t(n);
        at += uint64_t(n);
    }
    return true;
}

void getPicture(WireReader &r)
{
    const bool preview = r.u8() != 0;
    const bool withProgress = r.u8() != 0;
    const CallSource source = callSource(r);
    auto fn = entry<SpiGetPictureFn>(preview ? Entry::GetPreview : Entry::GetPicture);
    HLOCAL info = nullptr;
    HLOCAL bits = nullptr;
    const int32_t answer = fn ? fn(source.pointer(), source.length, source.flag, &info, &bits,
                                   withProgress ? &relayProgress : nullptr, 0)
                              : SPI_NO_FUNCTION;
    uint64_t infoBytes = 0;
    uint64_t bitsBytes = 0;
    if (answer == SPI_ALL_RIGHT) {
        // A handle not from LocalAlloc has no size: nothing is handed on, and
        // the program refuses the picture as it would in process.
        infoBytes = LocalSize(info);
        bitsBytes = LocalSize(bits);
        const uint64_t pixelsAt = pixelOffset(infoBytes);
        bool ok = infoBytes > 0 && bitsBytes > 0 &&
                  ftruncate(sharedMemory, off_t(pixelsAt + bitsBytes)) == 0;
        if (ok) {
            ok = writeShared(LocalLock(info), infoBytes, 0) &&
                 writeShared(LocalLock(bits), bitsBytes, pixelsAt);
            LocalUnlock(info);
            LocalUnlock(bits);
        }
        if (!ok)
            infoBytes = bitsBytes = 0;
        LocalFree(info);
        LocalFree(bits);
    }
    WireWriter w(Message::Picture);
    w.i32(answer).u64(infoBytes).u64(bitsBytes);
    send(w);
}

} // namespace

int main()
{
    // Gone with the program, whatever way it ends.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    signal(SIGPIPE, SIG_IGN);
    // What a plug-in prints goes to the error output, never into the channel.
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing >= 0)
        dup2(nothing, 0);
    dup2(2, 1);
    if (fcntl(channel, F_GETFD) < 0 || fcntl(sharedMemory, F_GETFD) < 0) {
        std::fputs("nubivu-spihost: started by the program only\n", stderr);
        return 2;
    }

    std::string payload;
    for (;;) {
        const Message type = readFrame(payload);
        WireReader r(payload);
        switch (type) {
        case Message::Load:
            load(r);
            break;
        case Message::GetPluginInfo:
            getPluginInfo(r);
            break;
        case Message::IsSupported:
            isSupported(r);
            break;
        case Message::GetPictureInfo:
            getPictureInfo(r);
            break;
        case Message::GetPicture:
            getPicture(r);
            break;
        default:
            quit();
        }
    }
}
