// The plug-in helper: loads one decoder plug-in and answers the program's
// calls of it (helperprotocol.h), so that a plug-in that crashes or hangs
// takes only this process down. Started by the program, never by hand.
// The request loop is shared with the helper for Windows plug-ins; here is
// what is Linux's own: dlopen, the inherited descriptors, our local memory.
#include "requestloop.h"

#include "core/limits.h"
#include "susieplugin.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <link.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace nubivu::helper;

namespace
{

static_assert(kAllRight == SPI_ALL_RIGHT && kNoFunction == SPI_NO_FUNCTION &&
                  kOtherError == SPI_OTHER_ERROR,
              "the loop answers with the interface's results");

int32_t relayProgress(int32_t done, int32_t total, intptr_t)
{
    return RequestLoop::relayProgress(done, total);
}

class NativePlatform final : public Platform
{
  public:
    size_t readSome(char *p, size_t size) override
    {
        for (;;) {
            const ssize_t n = read(channel_, p, size);
            if (n < 0 && errno == EINTR)
                continue;
            return n > 0 ? size_t(n) : 0;
        }
    }

    size_t writeSome(const char *p, size_t size) override
    {
        for (;;) {
            const ssize_t n = write(channel_, p, size);
            if (n < 0 && errno == EINTR)
                continue;
            return n > 0 ? size_t(n) : 0;
        }
    }

    [[noreturn]] void quit() override
    {
        _exit(0);
    }

    bool resizeShared(uint64_t size) override
    {
        return ftruncate(sharedMemory_, off_t(size)) == 0;
    }

    bool writeShared(const void *p, size_t size, uint64_t at) override
    {
        const char *bytes = static_cast<const char *>(p);
        while (size > 0) {
            const ssize_t n = pwrite(sharedMemory_, bytes, size, off_t(at));
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

    size_t localSize(MemoryHandle handle) override
    {
        return LocalSize(handle);
    }
    const void *localLock(MemoryHandle handle) override
    {
        return LocalLock(handle);
    }
    void localUnlock(MemoryHandle handle) override
    {
        LocalUnlock(handle);
    }
    void localFree(MemoryHandle handle) override
    {
        LocalFree(handle);
    }

    bool load(std::string_view path, std::string &why) override
    {
        module_ = dlopen(std::string(path).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!module_) {
            const char *error = dlerror();
            why = error ? error : "";
        }
        return module_ != nullptr;
    }

    void *entry(const char *name) override
    {
        return dlsym(module_, name);
    }

    std::string modulePath() override
    {
        link_map *map = nullptr;
        if (dlinfo(module_, RTLD_DI_LINKMAP, &map) != 0 || !map)
            return {};
        Dl_info info{};
        if (!dladdr(map->l_ld, &info) || !info.dli_fname)
            return {};
        char resolved[4096];
        return realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    }

    int32_t getPluginInfo(void *fn, int32_t number, char *buffer, int32_t length) override
    {
        return reinterpret_cast<SpiGetPluginInfoFn>(fn)(number, buffer, length);
    }

    std::string pluginText(char *buffer, int32_t length) override
    {
        return std::string(buffer, strnlen(buffer, size_t(length) + 1));
    }

    int32_t isSupported(void *fn, std::string_view name, const char *probe) override
    {
        return reinterpret_cast<SpiIsSupportedFn>(fn)(std::string(name).c_str(),
                                                      reinterpret_cast<intptr_t>(probe));
    }

    CallSource callSource(const PictureSource &s) override
    {
        CallSource c;
        c.bytes.assign(s.data);
        c.flag = s.flag;
        c.length = s.flag == SPI_SOURCE_MEMORY ? int64_t(c.bytes.size()) : s.offset;
        return c;
    }

    int32_t getPictureInfo(void *fn, const CallSource &source, PictureFacts &facts) override
    {
        SpiPictureInfo info{};
        const int32_t answer = reinterpret_cast<SpiGetPictureInfoFn>(fn)(
            source.bytes.c_str(), intptr_t(source.length), source.flag, &info);
        facts = {info.left,      info.top,       info.width,       info.height,
                 info.x_density, info.y_density, info.color_depth, info.text_info};
        return answer;
    }

    int32_t getPicture(void *fn, const CallSource &source, bool withProgress, MemoryHandle &info,
                       MemoryHandle &bits) override
    {
        return reinterpret_cast<SpiGetPictureFn>(fn)(source.bytes.c_str(), intptr_t(source.length),
                                                     source.flag, &info, &bits,
                                                     withProgress ? &relayProgress : nullptr, 0);
    }

    bool started() const
    {
        return fcntl(channel_, F_GETFD) >= 0 && fcntl(sharedMemory_, F_GETFD) >= 0;
    }

  private:
    int channel_ = kChannelFd;
    int sharedMemory_ = kSharedMemoryFd;
    void *module_ = nullptr;
};

} // namespace

int main()
{
    // Gone with the program, whatever way it ends.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
#ifndef NUBIVU_UNDER_ASAN
    // A picture whose inner header claims gigabytes fails here, not in the
    // program. (AddressSanitizer reserves terabytes for itself: no ceiling.)
    const rlimit ceiling{rlim_t(nubivu::MaxHelperAddressSpace),
                         rlim_t(nubivu::MaxHelperAddressSpace)};
    setrlimit(RLIMIT_AS, &ceiling);
#endif
    signal(SIGPIPE, SIG_IGN);
    // What a plug-in prints goes to the error output, never into the channel.
    const int nothing = open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (nothing >= 0)
        dup2(nothing, 0);
    dup2(2, 1);
    NativePlatform platform;
    if (!platform.started()) {
        std::fputs("nubivu-spihost: started by the program only\n", stderr);
        return 2;
    }
    RequestLoop(platform).run();
}
