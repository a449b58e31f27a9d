#pragma once

// What every benchmark program reads off its runs.

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

namespace bench {

// The middle value: one slow run of a shared machine does not move it.
template <typename T>
T median(std::vector<T> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Peak resident memory of this process so far (VmHWM), in KiB; -1 when unknown.
inline long peakResidentKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// Starts the peak resident memory over from what is resident now, so that
// peakResidentKib() then gives the peak of what follows; false when the
// kernel refuses.
inline bool resetPeakResident() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5" << std::flush;
    return bool(clearRefs);
}

}  // namespace bench
