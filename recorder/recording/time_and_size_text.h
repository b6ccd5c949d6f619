#pragma once
// Texts of the recordings list and the elapsed-time label.

#include <cstdint>
#include <ctime>
#include <string>

namespace recorder {

// Whole seconds as h:mm:ss, hours unpadded: 0 → "0:00:00", 3725 → "1:02:05".
std::string FormatSeconds(std::int64_t seconds);

// Size in MiB with up to two decimals and the point always kept, then "MB":
// 2 MiB → "2.MB", 1.5 MiB → "1.5MB", 0 → "0.MB".
std::string sizeText(std::uint64_t bytes);

// The local date and time in the user's general date-and-time format.
std::string generalDateTime(std::time_t when);

// The stamp appended to a base file name: month, day, two-digit year, hour (00–23), minute, second.
std::string dateTimeStamp(std::time_t when);

} // namespace recorder
