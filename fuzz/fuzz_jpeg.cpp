// JPEG files from memory: the header at load, then the decode a first drawing
// does. Both may only fail with the program's own error.
#include "core/errors.h"
#include "freshpicturememory.h"
#include "loadfrommemory.h"
#include "pictures/jpegimage.h"

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FreshPictureMemory fresh;
    JpegImage image;
    // Every other input also takes the 8-bit path with its quantiser.
    image.setDecodeOptions({size % 2 == 1});
    if (!loadFromMemory(image, data, size)) return 0;
    // Huge frames are sound but only cost time here.
    if (qint64(image.width()) * image.height() > 4000000) return 0;
    try {
        image.bitmap();
    } catch (const ENubivuError&) {
    }
    image.bitmap(); // never raises twice
    return 0;
}
