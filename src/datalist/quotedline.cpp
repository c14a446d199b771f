#include "datalist/quotedline.h"

namespace nubivu {

int SplitQuotedLine(QStringView line, QString* fields, int highestIndex) {
    if (line.isEmpty()) return 0;
    for (int i = 0; i <= highestIndex; ++i) fields[i].clear();
    return SplitQuotedRuns(line.utf16(), line.size(), highestIndex,
                           [fields](int f, const char16_t* run, qsizetype length) {
                               fields[f].append(QStringView(run, length));
                           });
}

int SplitQuotedLine(std::string_view line, std::string* fields, int highestIndex) {
    if (line.empty()) return 0;
    for (int i = 0; i <= highestIndex; ++i) fields[i].clear();
    return SplitQuotedRuns(line.data(), qsizetype(line.size()), highestIndex,
                           [fields](int f, const char* run, qsizetype length) {
                               fields[f].append(run, size_t(length));
                           });
}

QString JoinQuotedLine(const QString* fields, int highestIndex) {
    QString line;
    qsizetype size = 2;
    for (int i = 0; i <= highestIndex; ++i) size += fields[i].size() + 3;
    line.reserve(size);
    PutQuotedLine(fields, highestIndex, [&line](QStringView piece) { line.append(piece); });
    return line;
}

} // namespace nubivu
