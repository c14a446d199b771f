#pragma once
// What every bench takes from its samples: the median, and the time a call takes.
#include <QElapsedTimer>
#include <algorithm>
#include <vector>

namespace benchstats {

// The middle value; for an even count, the mean of the two middle ones.
inline double median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Milliseconds f takes.
template <class F> double timed(F&& f) {
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) / 1e6;
}

} // namespace benchstats
