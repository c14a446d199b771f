// BMP files from memory: loading must fail cleanly or give a picture that
// saves and loads back to the same pixels.
#include "freshpicturememory.h"
#include "loadfrommemory.h"
#include "pictures/bitmap.h"

#include <QBuffer>
#include <cstdlib>

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FreshPictureMemory fresh;
    Bitmap bitmap;
    if (!loadFromMemory(bitmap, data, size)) return 0;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    bitmap.saveStream(out);
    out.close();
    out.open(QIODevice::ReadOnly);
    Bitmap again;
    again.loadStream(out); // a file we wrote must read back
    if (again.image().convertToFormat(QImage::Format_RGB32) !=
        bitmap.image().convertToFormat(QImage::Format_RGB32))
        std::abort();
    return 0;
}
