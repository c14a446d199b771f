#include "datalist/quotedline.h"

namespace nubivu {

namespace {

// Hands each run of field text to append(field, begin, length).
template <class Char, class Append>
int splitQuoted(const Char* line, qsizetype n, int highestIndex, Append&& append) {
    const Char quote('"');
    const Char comma(',');
    int field = 0;
    bool atStart = true;
    bool quoted = false;
    // Runs of plain text are appended in one piece: most of a line is path text.
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end > runStart && field <= highestIndex) append(field, line + runStart, end - runStart);
    };
    for (qsizetype i = 0; i < n; ++i) {
        const Char ch = line[i];
        if (quoted) {
            if (ch != quote) continue;
            flush(i);
            if (i + 1 < n && line[i + 1] == quote) {
                runStart = i + 1; // the second quote starts the next run: one literal quote
                ++i;
            } else {
                quoted = false;
                runStart = i + 1;
            }
            continue;
        }
        if (ch == comma) {
            flush(i);
            ++field;
            atStart = true;
            runStart = i + 1;
            continue;
        }
        if (ch == quote) {
            flush(i);
            quoted = atStart;
            runStart = i + 1;
        }
        atStart = false;
    }
    flush(n);
    return field + 1;
}

} // namespace

int SplitQuotedLine(QStringView line, QString* fields, int highestIndex) {
    if (line.isEmpty()) return 0;
    for (int i = 0; i <= highestIndex; ++i) fields[i].clear();
    return splitQuoted(line.utf16(), line.size(), highestIndex,
                       [fields](int f, const char16_t* run, qsizetype length) {
                           fields[f].append(QStringView(run, length));
                       });
}

int SplitQuotedLine(std::string_view line, std::string* fields, int highestIndex) {
    if (line.empty()) return 0;
    for (int i = 0; i <= highestIndex; ++i) fields[i].clear();
    return splitQuoted(line.data(), qsizetype(line.size()), highestIndex,
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
