#pragma once
// One row of the recordings list: six text fields, in column order.

#include <array>
#include <string>

namespace recorder {

struct RecordingRow {
    std::string number;     // "NO."
    std::string path;       // "File Name"
    std::string size;       // "Size"
    std::string duration;   // "Duration"
    std::string recordTime; // "Record Time"
    std::string format;     // "Audio Format"
};

inline constexpr std::array<const char*, 6> kListColumns = {"NO.", "File Name", "Size", "Duration", "Record Time",
                                                           "Audio Format"};

} // namespace recorder
