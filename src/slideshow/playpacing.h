#pragma once
// The pace of a play: how many rows a second it shows, and how long to wait
// before the next row. A row's slot starts when the row is on screen, so a
// row that took longer to load than its slot only delays the next one: no row
// is ever skipped to catch up.
#include <array>
#include <chrono>
#include <functional>
#include <optional>

namespace nubivu {

// A monotonic time; tests hand in a fake one.
using MonotonicClock = std::function<std::chrono::nanoseconds()>;
MonotonicClock steadyClock();

class PlaySpeed {
public:
    // The rates a user can pick, slowest first, in rows a second.
    static constexpr std::array<double, 7> Rates{0.5, 1, 2, 4, 8, 15, 30};

    // As fast as the pictures load: the default, as the program always played.
    PlaySpeed() = default;
    static PlaySpeed asFastAsLoaded() { return PlaySpeed(); }
    // Only a listed rate gives a speed; anything else (an edited settings
    // file, say) gives nothing.
    static std::optional<PlaySpeed> fromRowsPerSecond(double rowsPerSecond);

    bool paced() const { return index_ < int(Rates.size()); }
    // 0 when not paced.
    double rowsPerSecond() const { return paced() ? Rates[size_t(index_)] : 0.0; }
    // How long a row stays at least; zero when not paced.
    std::chrono::nanoseconds slot() const;

    // The next rate up or down the list; faster than 30 is as fast as the
    // pictures load, and each end of the list stays where it is.
    PlaySpeed faster() const;
    PlaySpeed slower() const;

    bool operator==(const PlaySpeed&) const = default;

private:
    explicit PlaySpeed(int index) : index_(index) {}
    int index_ = int(Rates.size());
};

class PlayPacer {
public:
    explicit PlayPacer(MonotonicClock clock = steadyClock());

    void setSpeed(PlaySpeed speed) { speed_ = speed; }
    PlaySpeed speed() const { return speed_; }

    // Call the moment a row is on screen (painted).
    void rowShown();
    // Forgets the last row, as when a play starts or stops.
    void reset();

    // How long to wait now before showing the next row: what is left of the
    // shown row's slot at the speed in force now, plus hold (the pause on the
    // last row before a loop or rock turns). Zero when nothing is left or no
    // row was shown yet. The time it names is what the next rowShown is
    // measured against.
    std::chrono::nanoseconds scheduleNext(std::chrono::nanoseconds hold = {});
    // How much later than scheduled the last row came on screen; zero for the
    // first row of a play and whenever it was on time.
    std::chrono::nanoseconds lastLateness() const { return lateness_; }

private:
    MonotonicClock clock_;
    PlaySpeed speed_;
    std::optional<std::chrono::nanoseconds> shownAt_;
    std::optional<std::chrono::nanoseconds> due_;
    std::chrono::nanoseconds lateness_{};
};

} // namespace nubivu
