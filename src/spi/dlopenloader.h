#pragma once
// Native plug-ins: ELF shared objects through dlopen.
#include "spi/libraryloader.h"

namespace nubivu {

class DlopenLoader : public LibraryLoader {
public:
    std::unique_ptr<PluginLibrary> load(const QString& path) override;
    QString lastError() const override { return lastError_; }

private:
    QString lastError_;
};

} // namespace nubivu
