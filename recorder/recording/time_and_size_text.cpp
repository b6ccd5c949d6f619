#include "recorder/recording/time_and_size_text.h"

#include <cmath>
#include <cstdio>

namespace recorder {

std::string FormatSeconds(std::int64_t seconds)
{
    const bool negative = seconds < 0;
    std::uint64_t s = negative ? std::uint64_t(-(seconds + 1)) + 1 : std::uint64_t(seconds);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%llu:%02llu:%02llu", negative ? "-" : "", (unsigned long long)(s / 3600),
                  (unsigned long long)(s / 60 % 60), (unsigned long long)(s % 60));
    return buf;
}

std::string sizeText(std::uint64_t bytes)
{
    // Rounded to hundredths, half away from zero, as the "0.##" pattern does.
    const auto hundredths = static_cast<std::uint64_t>(std::llround(double(bytes) / 1048576.0 * 100.0));
    std::string text = std::to_string(hundredths / 100) + ".";
    const unsigned frac = unsigned(hundredths % 100);
    if (frac % 10) {
        char two[3];
        std::snprintf(two, sizeof two, "%02u", frac);
        text += two;
    } else if (frac) {
        text += char('0' + frac / 10);
    }
    return text + "MB";
}

namespace {
std::string formatTime(std::time_t when, const char* pattern)
{
    std::tm local{};
    localtime_r(&when, &local);
    char buf[128];
    std::size_t n = std::strftime(buf, sizeof buf, pattern, &local);
    return std::string(buf, n);
}
} // namespace

std::string generalDateTime(std::time_t when) { return formatTime(when, "%x %X"); }

std::string dateTimeStamp(std::time_t when) { return formatTime(when, "%m%d%y%H%M%S"); }

} // namespace recorder
