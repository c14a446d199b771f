#pragma once
// Order statistics of the bench's samples.
#include "../benchstats.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace playbench {

using benchstats::median;

// The smallest sample with at least a share q (0 ... 1) of the samples at or
// below it (nearest rank): q = 0.99 gives the 99th percentile.
inline double percentile(std::vector<double> v, double q) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const size_t rank = size_t(std::ceil(q * double(v.size())));
    return v[std::clamp<size_t>(rank, 1, v.size()) - 1];
}

} // namespace playbench
