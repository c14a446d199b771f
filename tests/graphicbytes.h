#pragma once
// A picture class read from and written to memory through its own stream
// functions, as the reader tests and the plug-in host tests need it.
#include "pictures/graphic.h"

#include <QBuffer>
#include <QByteArray>

namespace nubivu::test {

// Raises whatever the class's reader raises for these bytes.
inline void loadFromBytes(Graphic& graphic, const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    graphic.loadStream(buffer);
}

inline QByteArray saveToBytes(const Graphic& graphic) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    graphic.saveStream(buffer);
    return buffer.data();
}

} // namespace nubivu::test
