#pragma once
// The time a picture was taken, as its file name states it. Cameras, satellite
// services and map archives stamp their files with the moment in many ways;
// these are the forms that say it without doubt:
//   YYYYMMDDhhmm[ss]  YYYYMMDD_hhmm[ss]  YYYYMMDD-hhmm[ss]
//   YYYY-MM-DD_hh-mm[-ss]  YYYY-MM-DDThh:mm[:ss]
// anywhere in the name, but not inside a longer run of digits. Times are wall
// clock times without a zone, kept as UTC so that no daylight saving shifts them.
#include <QDateTime>
#include <QStringView>
#include <optional>

namespace nubivu {

// The first stamp in the name (folders are not looked at) that is a real date
// and time; none where there is none.
std::optional<QDateTime> timeInFileName(QStringView fileName);

// A calendar date and time of day from its parts, when they make one.
std::optional<QDateTime> wallTime(int year, int month, int day, int hour, int minute, int second);

// How the show names a row's moment: "5月10日 09:00".
QString rowTimeText(const QDateTime& time);

} // namespace nubivu
