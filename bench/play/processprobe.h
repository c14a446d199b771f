#pragma once
// What the bench reads of and does to its own process: memory in use and
// the cores its threads may run on.
#include <vector>

namespace playbench {

// Resident memory now (/proc/self/statm) and at its peak (VmHWM), in MB.
double residentMegabytes();
double peakResidentMegabytes();

// The cores the process was allowed at start; use(n) confines every thread
// of the process, present and future (they inherit it), to the first n.
class Cores {
public:
    Cores();
    int available() const { return int(allowed_.size()); }
    void use(int count) const;

private:
    std::vector<int> allowed_;
};

} // namespace playbench
