#include "datalist/quotedline.h"

namespace nubivu {

int SplitQuotedLine(QStringView line, QString* fields, int highestIndex) {
    if (line.isEmpty()) return 0;
    for (int i = 0; i <= highestIndex; ++i) fields[i].clear();
    const QChar quote(u'"');
    const QChar comma(u',');
    int field = 0;
    bool atStart = true;
    bool quoted = false;
    const qsizetype n = line.size();
    // Runs of plain text are appended in one piece: most of a line is path text.
    qsizetype runStart = 0;
    auto flush = [&](qsizetype end) {
        if (end > runStart && field <= highestIndex)
            fields[field].append(line.mid(runStart, end - runStart));
    };
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ch = line[i];
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

QString JoinQuotedLine(const QString* fields, int highestIndex) {
    QString line;
    qsizetype size = 2;
    for (int i = 0; i <= highestIndex; ++i) size += fields[i].size() + 3;
    line.reserve(size);
    const QChar quote(u'"');
    for (int i = 0; i <= highestIndex; ++i) {
        line.append(i == 0 ? QStringView(u"\"") : QStringView(u"\",\""));
        const QString& value = fields[i];
        if (value.contains(quote)) {
            for (const QChar ch : value) {
                line.append(ch);
                if (ch == quote) line.append(quote);
            }
        } else {
            line.append(value);
        }
    }
    line.append(quote);
    return line;
}

} // namespace nubivu
