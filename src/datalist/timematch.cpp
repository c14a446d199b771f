#include "datalist/timematch.h"

namespace nubivu {

namespace {
std::vector<qint64> leadSteps(const std::vector<qint64>& lead) {
    const size_t n = lead.size();
    std::vector<qint64> steps(n, 0);
    // Forward to the next later moment, walking back so that equal moments share it.
    qint64 next = -1;
    bool haveNext = false;
    for (size_t i = n; i-- > 0;) {
        if (i + 1 < n && lead[i + 1] > lead[i]) {
            next = lead[i + 1];
            haveNext = true;
        }
        steps[i] = haveNext ? next - lead[i] : -1;
    }
    // The last moments: the step that led to them.
    qint64 before = 0;
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && lead[i] > lead[i - 1]) before = lead[i] - lead[i - 1];
        if (steps[i] < 0) steps[i] = before;
    }
    return steps;
}
} // namespace

std::vector<int> matchInForce(const std::vector<qint64>& lead, const std::vector<qint64>& series) {
    const std::vector<qint64> steps = leadSteps(lead);
    std::vector<int> inForce(lead.size(), -1);
    // Both sorted: one walk over the series.
    size_t next = 0;
    for (size_t i = 0; i < lead.size(); ++i) {
        while (next < series.size() && series[next] <= lead[i]) ++next;
        if (next == 0) continue;
        const size_t latest = next - 1;
        if (lead[i] - series[latest] <= steps[i]) inForce[i] = static_cast<int>(latest);
    }
    return inForce;
}

} // namespace nubivu
