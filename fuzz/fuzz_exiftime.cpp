// The EXIF time reader on arbitrary bytes: a JPEG stream or bare EXIF data,
// through libexif. A time it finds is a valid wall-clock time.
#include "pictures/exiftime.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::optional<QDateTime> time = exifTime(data, size);
    if (time && (!time->isValid() || time->timeSpec() != Qt::UTC)) std::abort();
    return 0;
}
