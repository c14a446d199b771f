#include "spi/libraryloader.h"

#include "spi/dlopenloader.h"

namespace nubivu {

namespace {
TLibraryLoader* installedLoader = nullptr;
}

TLibraryLoader& TLibraryLoader::Current() {
    static TDlopenLoader system;
    return installedLoader ? *installedLoader : system;
}

TLibraryLoader* TLibraryLoader::Install(TLibraryLoader* loader) {
    TLibraryLoader* previous = installedLoader;
    installedLoader = loader;
    return previous;
}

} // namespace nubivu
