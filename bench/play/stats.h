#pragma once
// Order statistics of the bench's samples.
#include <algorithm>
#include <cmath>
#include <vector>

namespace playbench {

// The value below which a share q (0 ... 1) of the samples lie (nearest rank);
// q = 0.5 is the median, averaged between the two middle values of an even count.
inline double Quantile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    if (q == 0.5) return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    const size_t rank = size_t(std::ceil(q * double(n)));
    return v[std::clamp<size_t>(rank, 1, n) - 1];
}

inline double Median(const std::vector<double>& v) { return Quantile(v, 0.5); }

} // namespace playbench
