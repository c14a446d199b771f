#pragma once
// One line of a data list file: quoted fields separated by commas.
#include <QString>
#include <QStringView>
#include <string>
#include <string_view>

namespace nubivu {

// Splits a line into fields[0 .. highestIndex] (the rest are ignored) and returns
// how many fields the line holds. A double quote at the start of a field opens
// it; inside, two double quotes are one literal quote and a single one closes
// it, and a comma is text. Outside quotes a double quote is dropped and a comma
// ends the field. An empty line gives 0 and leaves the fields as they were.
int SplitQuotedLine(QStringView line, QString* fields, int highestIndex);
// The same on the bytes of a line, before decoding: the two delimiters are
// ASCII and never part of a multi-byte character in UTF-8 or CP932.
int SplitQuotedLine(std::string_view line, std::string* fields, int highestIndex);

// Joins fields[0 .. highestIndex], each in double quotes, a double quote inside
// a value written twice, separated by commas.
QString JoinQuotedLine(const QString* fields, int highestIndex);
// Hands the line's text to put(QStringView) piece by piece: what JoinQuotedLine
// joins, for writers that encode as they go.
template <class Put> void PutQuotedLine(const QString* fields, int highestIndex, Put&& put) {
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
