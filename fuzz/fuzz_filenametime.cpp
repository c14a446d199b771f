// The file-name time reader on arbitrary names (bytes taken as UTF-8, as a
// folder listing hands them over). A time it finds is a real wall-clock time
// and reads back the same from the plainest stamp.
#include "datalist/picturetime.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString name =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<QDateTime> time = timeInFileName(name);
    if (!time) return 0;
    if (!time->isValid() || time->timeSpec() != Qt::UTC || rowTimeText(*time).isEmpty())
        std::abort();
    const std::optional<QDateTime> again =
        timeInFileName(QString(time->toString(QStringLiteral("yyyyMMdd_HHmmss")) + u".jpg"));
    if (!again || *again != *time) std::abort();
    return 0;
}
