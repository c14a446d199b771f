// What another copy of the program writes to the single-instance socket.
#include "app/instancemessage.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray line =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto message = nubivu::InstanceMessage::decode(line)) {
        // A decoded message survives encoding again unchanged.
        const QByteArray again = message->encode();
        const auto back = nubivu::InstanceMessage::decode(again.chopped(1));
        if (!back || back->kind != message->kind || back->path != message->path) __builtin_trap();
    }
    return 0;
}
