#pragma once
// A play at a set speed, long enough to see whether rows keep their slots
// and whether memory stays flat while rows are decoded ahead.
#include <vector>

namespace playbench {

class LessonPlayer;

struct PacedPlayResult {
    double slotMs = 0;
    // How late each played row came on screen against its slot.
    std::vector<double> latenessMs;
    // Resident memory now and at its peak, when the row of each sample
    // point was on screen.
    std::vector<double> residentMb;
    std::vector<double> peakMb;
};

// Plays rowsPerSecond from row 1 for playedRows rows, going on at row 1
// after the last row. Memory is sampled when the played row count reaches
// each of samplePoints.
PacedPlayResult playPaced(LessonPlayer& player, double rowsPerSecond, int playedRows,
                          const std::vector<int>& samplePoints);

} // namespace playbench
