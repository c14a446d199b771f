// Metafiles (WMF and EMF) from memory: load, then draw into a small image.
#include "freshpicturememory.h"
#include "pictures/graphicerrors.h"
#include "pictures/metafile/metafile.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QGuiApplication app(*argc, *argv); // fonts need it
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const FreshPictureMemory fresh;
    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    nubivu::Metafile picture;
    try {
        picture.loadStream(buffer);
    } catch (const nubivu::EInvalidGraphic&) {
        return 0;
    }
    QImage image(64, 48, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.drawInto(painter, image.rect());
    return 0;
}
