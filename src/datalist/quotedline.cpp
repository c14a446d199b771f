#include "datalist/quotedline.h"

namespace nubivu {

int splitQuotedLine(QStringView line, QString* fields, int highestIndex) {
    if (line.isEmpty()) return 0;
    for (int i = 0; i <= highestIndex; ++i) fields[i].clear();
    return splitQuotedRuns(line.utf16(), line.size(), highestIndex,
                           [fields](int f, const char16_t* run, qsizetype length) {
                               fields[f].append(QStringView(run, length));
                           });
}

int splitQuotedLine(std::string_view line, std::string* fields, int highestIndex) {
    if (line.empty()) return 0;
    for (int i = 0; i <= highestIndex; ++i) fields[i].clear();
    return splitQuotedRuns(line.data(), qsizetype(line.size()), highestIndex,
                           [fields](int f, const char* run, qsizetype length) {
                               fields[f].append(run, size_t(length));
                           });
}

QString joinQuotedLine(const QString* fields, int highestIndex) {
    QString line;
    qsizetype size = 2;
    for (int i = 0; i <= highestIndex; ++i) size += fields[i].size() + 3;
    line.reserve(size);
    putQuotedLine(fields, highestIndex, [&line](QStringView piece) { line.append(piece); });
    return line;
}

} // namespace nubivu
