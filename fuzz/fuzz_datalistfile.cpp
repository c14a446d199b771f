// The data list reader on arbitrary bytes: decoding (UTF-8 or CP932), line
// and field splitting, then the writer on what was read. Whatever the reader
// makes of a file must write out and read back to the same rows.
#include "datalist/datalistfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

using namespace nubivu;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::vector<SlotPaths> rows = readDataListLines(bytes);
    // Nothing read can hold a value the writer refuses (a line break): every
    // list that opens can be saved again, bytes that start no character included.
    QByteArray written;
    try {
        written = encodeDataList(
            static_cast<int>(rows.size()), [&](int r) { return rows[size_t(r)]; }, std::nullopt,
            defaultTitles());
    } catch (const EDataListValue&) {
        std::abort();
    }
    const std::vector<SlotPaths> again = readDataListLines(written);
    // An all-empty line cannot come from a row, but a blank row writes a full line: same count.
    if (again.size() != rows.size()) std::abort();
    for (size_t i = 0; i < rows.size(); ++i)
        if (again[i] != rows[i]) std::abort();
    return 0;
}
