#include "spi/dlopenloader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <dlfcn.h>
#include <link.h>

namespace nubivu {

namespace {

class DlopenLibrary : public PluginLibrary {
public:
    explicit DlopenLibrary(void* handle) : handle_(handle) {}
    ~DlopenLibrary() override { dlclose(handle_); }

    void* resolve(const char* name) const override { return dlsym(handle_, name); }

    QString modulePath() const override {
        // The module's dynamic section lies inside it, so dladdr names the
        // file that was really mapped (the first one, if it was loaded before).
        link_map* map = nullptr;
        if (dlinfo(handle_, RTLD_DI_LINKMAP, &map) != 0 || !map) return {};
        Dl_info info{};
        if (!dladdr(map->l_ld, &info) || !info.dli_fname || !*info.dli_fname) return {};
        return QDir::cleanPath(QFileInfo(QFile::decodeName(info.dli_fname)).absoluteFilePath());
    }

private:
    void* handle_;
};

} // namespace

std::unique_ptr<PluginLibrary> DlopenLoader::load(const QString& path) {
    lastError_.clear();
    if (path.isEmpty()) return nullptr;
    // RTLD_NOW: a library with unresolved symbols fails here, not in mid-decode.
    void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* error = dlerror();
        lastError_ = error ? QString::fromLocal8Bit(error) : QString();
        return nullptr;
    }
    return std::make_unique<DlopenLibrary>(handle);
}

} // namespace nubivu
