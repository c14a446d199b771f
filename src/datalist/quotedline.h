#pragma once
// One line of a data list file: quoted fields separated by commas.
#include <QString>
#include <QStringView>
#include <cstring>
#include <string>
#include <string_view>

namespace nubivu {

// Splits a line into fields[0 .. highestIndex] (the rest are ignored) and returns
// how many fields the line holds. A double quote at the start of a field opens
// it; inside, two double quotes are one literal quote and a single one closes
// it, and a comma is text. Outside quotes a double quote is dropped and a comma
// ends the field. An empty line gives 0 and leaves the fields as they were.
int splitQuotedLine(QStringView line, QString* fields, int highestIndex);
// The same on the bytes of a line, before decoding: the two delimiters are
// ASCII and never part of a multi-byte character in UTF-8 or CP932.
int splitQuotedLine(std::string_view line, std::string* fields, int highestIndex);

// What both splits do: hands each run of field text to append(field,
// begin, length), fields in order, runs of one field one after another. A
// field that is empty gets no call.
template <class Char, class Append>
int splitQuotedRuns(const Char* line, qsizetype n, int highestIndex, Append&& append) {
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
            if constexpr (sizeof(Char) == 1) {
                // Bytes: jump to the closing quote, as most of a line is quoted path text.
                const void* next = std::memchr(line + i, '"', size_t(n - i));
                if (!next) break;
                i = static_cast<const Char*>(next) - line;
            } else if (ch != quote) {
                continue;
            }
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

// Joins fields[0 .. highestIndex], each in double quotes, a double quote inside
// a value written twice, separated by commas.
QString joinQuotedLine(const QString* fields, int highestIndex);
// Hands the line's text to put(QStringView) piece by piece: what joinQuotedLine
// joins, for writers that encode as they go.
template <class Put> void putQuotedLine(const QString* fields, int highestIndex, Put&& put) {
    for (int i = 0; i <= highestIndex; ++i) {
        put(i == 0 ? QStringView(u"\"") : QStringView(u"\",\""));
        const QStringView value(fields[i]);
        // Each double quote goes out twice: it ends one piece and starts the next.
        qsizetype from = 0;
        for (qsizetype q = value.indexOf(u'"'); q >= 0; q = value.indexOf(u'"', q + 1)) {
            put(value.mid(from, q + 1 - from));
            from = q;
        }
        put(value.mid(from));
    }
    put(QStringView(u"\""));
}

} // namespace nubivu
