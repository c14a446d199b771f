#pragma once
// Feeds a fuzzer's input to a picture's stream loader.
#include "core/errors.h"
#include "pictures/graphic.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>

// False when the picture refused the data with the program's own error;
// anything else escapes and is a finding.
inline bool loadFromMemory(nubivu::Graphic& graphic, const uint8_t* data, size_t size) {
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    try {
        graphic.loadStream(in);
    } catch (const nubivu::ENubivuError&) {
        return false;
    }
    return true;
}
