#include "datalist/picturetime.h"

#include <QRegularExpression>

namespace nubivu {

namespace {
// Satellite and camera archives reach back to the 1970s; a "2999" is a serial number.
constexpr int FirstYear = 1970;
constexpr int LastYear = 2099;

const QRegularExpression& stampPattern() {
    // Compact (with "_" or "-" between date and time allowed), or ISO-like with
    // dashes in the date. The look-arounds keep a stamp out of longer numbers.
    static const QRegularExpression pattern(QStringLiteral(
        "(?<![0-9])(?:"
        "([0-9]{4})([0-9]{2})([0-9]{2})[_-]?([0-9]{2})([0-9]{2})([0-9]{2})?"
        "|"
        "([0-9]{4})-([0-9]{2})-([0-9]{2})[_T]([0-9]{2})[-:]([0-9]{2})(?:[-:]([0-9]{2}))?"
        ")(?![0-9])"));
    return pattern;
}

int number(const QRegularExpressionMatch& m, int group) {
    const QStringView text = m.capturedView(group);
    int value = 0;
    for (QChar c : text) value = value * 10 + (c.unicode() - u'0');
    return value;
}

QStringView namePart(QStringView path) {
    const qsizetype slash = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(slash + 1);
}
} // namespace

std::optional<QDateTime> wallTime(int year, int month, int day, int hour, int minute, int second) {
    if (year < FirstYear || year > LastYear) return std::nullopt;
    const QDate date(year, month, day);
    if (!date.isValid() || hour > 23 || minute > 59 || second > 59 || hour < 0 || minute < 0 ||
        second < 0)
        return std::nullopt;
    return QDateTime(date, QTime(hour, minute, second), Qt::UTC);
}

std::optional<QDateTime> timeInFileName(QStringView fileName) {
    const QStringView name = namePart(fileName);
    QRegularExpressionMatchIterator it = stampPattern().globalMatch(name);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        // Groups 1-6 for the compact form, 7-12 for the dashed one.
        const int first = m.capturedLength(1) > 0 ? 1 : 7;
        const int second = m.capturedLength(first + 5) > 0 ? number(m, first + 5) : 0;
        if (std::optional<QDateTime> time =
                wallTime(number(m, first), number(m, first + 1), number(m, first + 2),
                         number(m, first + 3), number(m, first + 4), second))
            return time;
    }
    return std::nullopt;
}

QString rowTimeText(const QDateTime& time) {
    return QStringLiteral("%1月%2日 %3")
        .arg(time.date().month())
        .arg(time.date().day())
        .arg(time.time().toString(QStringLiteral("hh:mm")));
}

} // namespace nubivu
