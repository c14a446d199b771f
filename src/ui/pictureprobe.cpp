#include "ui/pictureprobe.h"

#include "pictures/exiftime.h"
#include "pictures/formatregistry.h"

namespace nubivu {

PictureProbe pictureProbe(const FormatRegistry& formats) {
    PictureProbe probe;
    // The panes pick a reader by the extension alone, so that is what decides here too.
    probe.readable = [&formats](const QString& path) {
        return formats.find(pictureExtension(path)) != nullptr;
    };
    probe.recordedTime = [](const QString& path) { return exifTimeOfFile(path); };
    return probe;
}

} // namespace nubivu
