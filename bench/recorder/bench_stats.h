#pragma once
// Summaries of repeated measurements for the program's benchmarks.

#include <algorithm>
#include <vector>

namespace bench {

// The middle value (the mean of the two middle ones for an even count); -1 when empty.
inline double median(std::vector<double> v)
{
    if (v.empty()) return -1;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

} // namespace bench
