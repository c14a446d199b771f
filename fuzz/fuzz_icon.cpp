// Icon files from memory: loading fails cleanly or gives a drawable picture.
#include "freshpicturememory.h"
#include "loadfrommemory.h"
#include "pictures/icon.h"

#include <QPainter>

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FreshPictureMemory fresh;
    Icon icon;
    if (!loadFromMemory(icon, data, size)) return 0;
    QImage pane(64, 64, QImage::Format_RGB32);
    QPainter painter(&pane);
    icon.drawInto(painter, pane.rect());
    return 0;
}
