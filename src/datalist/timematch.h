#pragma once
// Which picture of a series is in force at each moment of the lead series.
// Folders of different cadences (hourly photos, 3-hourly maps, 10-minute
// rain maps) meet on the lead series' moments: each cell names the latest
// picture at or before the moment, unless it is older than one step of the
// lead series, in which case the cell stays empty rather than show a stale picture.
#include <QtGlobal>
#include <vector>

namespace nubivu {

// lead and series: times in seconds, each sorted ascending (equal times
// allowed). The step of lead moment i is the time to the next later lead
// moment; the last moments take the step before them; a lead of one moment
// has no step and takes only pictures of that very moment. Returns, per lead
// moment, the index into series of the picture in force, or -1.
std::vector<int> matchInForce(const std::vector<qint64>& lead, const std::vector<qint64>& series);

} // namespace nubivu
