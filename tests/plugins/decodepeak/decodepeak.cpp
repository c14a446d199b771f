// decodepeak PLUGIN.spi FILE: decodes FILE from memory through the plug-in's
// entry points, as the host does, and prints what came back and the most heap
// the calls held at once beyond what was held before them:
//   info=<GetPictureInfo> picture=<GetPicture> peak=<bytes>
// A process of its own, because it replaces the allocator to count: every
// library the plug-in loads allocates through it. Under AddressSanitizer the
// sanitizer's allocation hooks count instead.
#include "susieplugin.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <fstream>
#include <iterator>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define NUBIVU_COUNT_WITH_HOOKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define NUBIVU_COUNT_WITH_HOOKS 1
#endif

namespace {

std::atomic<long long> live{0};
std::atomic<long long> peak{0};

void counted(long long delta) {
    const long long now = live.fetch_add(delta, std::memory_order_relaxed) + delta;
    long long seen = peak.load(std::memory_order_relaxed);
    while (now > seen && !peak.compare_exchange_weak(seen, now, std::memory_order_relaxed)) {
    }
}

} // namespace

#ifdef NUBIVU_COUNT_WITH_HOOKS

#include <sanitizer/allocator_interface.h>

namespace {
void mallocHook(const volatile void*, size_t size) { counted((long long)size); }
void freeHook(const volatile void* p) {
    if (p) counted(-(long long)__sanitizer_get_allocated_size(const_cast<const void*>(p)));
}
void startCounting() { __sanitizer_install_malloc_and_free_hooks(mallocHook, freeHook); }
} // namespace

#else

#include <malloc.h>

// glibc's own allocator under the replacement, which only keeps count.
extern "C" {
void* __libc_malloc(size_t);
void* __libc_calloc(size_t, size_t);
void* __libc_realloc(void*, size_t);
void* __libc_memalign(size_t, size_t);
void __libc_free(void*);

void* malloc(size_t size) noexcept {
    void* p = __libc_malloc(size);
    if (p) counted((long long)malloc_usable_size(p));
    return p;
}
void* calloc(size_t n, size_t size) noexcept {
    void* p = __libc_calloc(n, size);
    if (p) counted((long long)malloc_usable_size(p));
    return p;
}
void* realloc(void* old, size_t size) noexcept {
    const long long before = old ? (long long)malloc_usable_size(old) : 0;
    void* p = __libc_realloc(old, size);
    if (p)
        counted((long long)malloc_usable_size(p) - before);
    else if (old && size == 0)
        counted(-before);
    return p;
}
void* reallocarray(void* old, size_t n, size_t size) noexcept {
    if (size && n > (size_t)-1 / size) return nullptr;
    return realloc(old, n * size);
}
void free(void* p) noexcept {
    if (p) counted(-(long long)malloc_usable_size(p));
    __libc_free(p);
}
void* memalign(size_t alignment, size_t size) noexcept {
    void* p = __libc_memalign(alignment, size);
    if (p) counted((long long)malloc_usable_size(p));
    return p;
}
void* aligned_alloc(size_t alignment, size_t size) noexcept { return memalign(alignment, size); }
int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
    void* p = memalign(alignment, size);
    if (!p) return 12; // ENOMEM
    *out = p;
    return 0;
}
void* valloc(size_t size) noexcept { return memalign(4096, size); }
void* pvalloc(size_t size) noexcept { return memalign(4096, (size + 4095) & ~size_t(4095)); }
}

namespace {
void startCounting() {}
} // namespace

#endif

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: decodepeak PLUGIN.spi FILE\n");
        return 2;
    }
    void* plugin = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!plugin) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 2;
    }
    auto getPictureInfo = reinterpret_cast<SpiGetPictureInfoFn>(dlsym(plugin, "GetPictureInfo"));
    auto getPicture = reinterpret_cast<SpiGetPictureFn>(dlsym(plugin, "GetPicture"));
    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<char> data{std::istreambuf_iterator<char>(in),
                                 std::istreambuf_iterator<char>()};
    if (!getPictureInfo || !getPicture || data.empty()) {
        std::fprintf(stderr, "no entry points or no data\n");
        return 2;
    }
    startCounting();
    const long long before = live.load();
    peak.store(before);
    SpiPictureInfo info;
    const int infoResult =
        getPictureInfo(data.data(), intptr_t(data.size()), SPI_SOURCE_MEMORY, &info);
    HLOCAL bitmapInfo = nullptr, bits = nullptr;
    const int pictureResult = getPicture(data.data(), intptr_t(data.size()), SPI_SOURCE_MEMORY,
                                         &bitmapInfo, &bits, nullptr, 0);
    const long long most = peak.load() - before;
    if (pictureResult == SPI_ALL_RIGHT) {
        LocalFree(bitmapInfo);
        LocalFree(bits);
    }
    std::printf("info=%d picture=%d peak=%lld\n", infoResult, pictureResult, most);
    return 0;
}
