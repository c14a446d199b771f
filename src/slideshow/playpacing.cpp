#include "slideshow/playpacing.h"

#include <algorithm>
#include <cmath>

namespace nubivu {

MonotonicClock steadyClock() {
    return [] {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    };
}

std::optional<PlaySpeed> PlaySpeed::fromRowsPerSecond(double rowsPerSecond) {
    if (rowsPerSecond == 0.0) return asFastAsLoaded();
    for (size_t i = 0; i < Rates.size(); ++i)
        if (std::abs(Rates[i] - rowsPerSecond) < 1e-9) return PlaySpeed(int(i));
    return std::nullopt;
}

std::chrono::nanoseconds PlaySpeed::slot() const {
    if (!paced()) return {};
    return std::chrono::nanoseconds(std::llround(1e9 / rowsPerSecond()));
}

PlaySpeed PlaySpeed::faster() const { return PlaySpeed(std::min(index_ + 1, int(Rates.size()))); }

PlaySpeed PlaySpeed::slower() const { return PlaySpeed(std::max(index_ - 1, 0)); }

PlayPacer::PlayPacer(MonotonicClock clock) : clock_(std::move(clock)) {}

void PlayPacer::rowShown() {
    const std::chrono::nanoseconds now = clock_();
    lateness_ =
        due_ ? std::max(now - *due_, std::chrono::nanoseconds{}) : std::chrono::nanoseconds{};
    due_.reset();
    shownAt_ = now;
}

void PlayPacer::reset() {
    shownAt_.reset();
    due_.reset();
    lateness_ = {};
}

std::chrono::nanoseconds PlayPacer::scheduleNext(std::chrono::nanoseconds hold) {
    if (!shownAt_) return {};
    // The speed in force now counts, so a change while playing acts on the row on show.
    due_ = *shownAt_ + speed_.slot() + hold;
    return std::max(*due_ - clock_(), std::chrono::nanoseconds{});
}

} // namespace nubivu
