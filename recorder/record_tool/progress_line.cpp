#include "recorder/record_tool/progress_line.h"

#include "recorder/recording/time_and_size_text.h"

#include <algorithm>
#include <cstdio>

namespace recorder {

std::string progressLine(double seconds, std::uint64_t bytes, int level)
{
    // 20 steps over -60 … 0 dB: below -60 is silence to the eye.
    constexpr int kSteps = 20;
    const int clamped = std::clamp(level, -60, 0);
    const int lit = (clamped + 60) * kSteps / 60;
    std::string meter(static_cast<std::size_t>(lit), '#');
    meter.resize(kSteps, '-');
    char line[128];
    std::snprintf(line, sizeof line, "%s  %9.2f MB  [%s] %4d dB", FormatSeconds(static_cast<std::int64_t>(seconds)).c_str(),
                  static_cast<double>(bytes) / (1024.0 * 1024.0), meter.c_str(), clamped);
    return line;
}

} // namespace recorder
