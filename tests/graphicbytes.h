#pragma once
// A picture class read from and written to memory through its own stream
// functions, as the reader tests and the plug-in host tests need it.
#include "pictures/tgraphic.h"

#include <QBuffer>
#include <QByteArray>

namespace nubivu::test {

// Raises whatever the class's reader raises for these bytes.
inline void LoadFromBytes(TGraphic& graphic, const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    graphic.LoadStream(buffer);
}

inline QByteArray SaveToBytes(const TGraphic& graphic) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    graphic.SaveStream(buffer);
    return buffer.data();
}

} // namespace nubivu::test
