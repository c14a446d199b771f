#pragma once
// Native plug-ins: ELF shared objects through dlopen.
#include "spi/libraryloader.h"

namespace nubivu {

class TDlopenLoader : public TLibraryLoader {
public:
    std::unique_ptr<TLibrary> Load(const QString& path) override;
    QString LastError() const override { return lastError_; }

private:
    QString lastError_;
};

} // namespace nubivu
