#pragma once
// Which row a play shows next, and what it does at the end of the list: stop
// there (as the program always did), loop to the first row, or rock back to
// the first row and forward again, with an optional hold on the last row before turning.
#include <array>
#include <chrono>
#include <optional>

namespace nubivu {

enum class EndOfList { Stop, Loop, Rock };
enum class PlayDirection { Forward, Backward };

struct PlayStep {
    int row = 0;
    PlayDirection direction = PlayDirection::Forward;
    // The play turns away from the last row here: the hold applies before it.
    bool leavesLastRow = false;
    bool operator==(const PlayStep&) const = default;
};

// The row after row (0 ... rowCount-1) in that direction, or nothing when the
// play ends there. A list of fewer than two rows has nothing to play.
std::optional<PlayStep> nextPlayStep(int rowCount, int row, PlayDirection direction,
                                     EndOfList mode);

class PlayOrder {
public:
    // The holds a user can pick; the first is the default.
    static constexpr std::array<std::chrono::milliseconds, 4> Holds{
        std::chrono::milliseconds(0), std::chrono::milliseconds(500),
        std::chrono::milliseconds(1000), std::chrono::milliseconds(2000)};

    void setMode(EndOfList mode) { mode_ = mode; }
    EndOfList mode() const { return mode_; }
    void setHold(std::chrono::milliseconds hold) { hold_ = hold; }
    std::chrono::milliseconds hold() const { return hold_; }
    PlayDirection direction() const { return direction_; }
    // A play starts forward.
    void restart() { direction_ = PlayDirection::Forward; }

    // What Advance would do, without doing it: for reading the next row ahead.
    std::optional<PlayStep> peek(int rowCount, int row) const {
        return nextPlayStep(rowCount, row, direction_, mode_);
    }
    // The next step, taking on its direction.
    std::optional<PlayStep> advance(int rowCount, int row);
    // The pause before showing step: the hold when it leaves the last row.
    std::chrono::milliseconds pauseBefore(const PlayStep& step) const {
        return step.leavesLastRow ? hold_ : std::chrono::milliseconds(0);
    }

private:
    EndOfList mode_ = EndOfList::Stop;
    std::chrono::milliseconds hold_{0};
    PlayDirection direction_ = PlayDirection::Forward;
};

} // namespace nubivu
