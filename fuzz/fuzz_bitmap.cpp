// BMP files from memory: loading must fail cleanly or give a picture that
// saves and loads back to the same pixels.
#include "freshpicturememory.h"
#include "loadfrommemory.h"
#include "pictures/tbitmap.h"

#include <QBuffer>
#include <cstdlib>

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FreshPictureMemory fresh;
    TBitmap bitmap;
    if (!LoadFromMemory(bitmap, data, size)) return 0;
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    bitmap.SaveStream(out);
    out.close();
    out.open(QIODevice::ReadOnly);
    TBitmap again;
    again.LoadStream(out); // a file we wrote must read back
    if (again.Image().convertToFormat(QImage::Format_RGB32) !=
        bitmap.Image().convertToFormat(QImage::Format_RGB32))
        std::abort();
    return 0;
}
