#pragma once
// One line of a data list file: quoted fields separated by commas.
#include <QString>
#include <QStringView>

namespace nubivu {

// Splits a line into fields[0 .. highestIndex] (the rest are ignored) and returns
// how many fields the line holds. A double quote at the start of a field opens
// it; inside, two double quotes are one literal quote and a single one closes
// it, and a comma is text. Outside quotes a double quote is dropped and a comma
// ends the field. An empty line gives 0 and leaves the fields as they were.
int SplitQuotedLine(QStringView line, QString* fields, int highestIndex);

// Joins fields[0 .. highestIndex], each in double quotes, a double quote inside
// a value written twice, separated by commas.
QString JoinQuotedLine(const QString* fields, int highestIndex);

} // namespace nubivu
