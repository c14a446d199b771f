// Icon files from memory: loading fails cleanly or gives a drawable picture.
#include "core/errors.h"
#include "pictures/ticon.h"

#include <QBuffer>
#include <QPainter>

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    TIcon icon;
    try {
        icon.LoadStream(in);
    } catch (const ENubivuError&) {
        return 0;
    }
    QImage pane(64, 64, QImage::Format_RGB32);
    QPainter painter(&pane);
    icon.DrawInto(painter, pane.rect());
    return 0;
}
