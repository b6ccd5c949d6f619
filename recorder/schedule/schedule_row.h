#pragma once
// One planned recording: the five columns of the schedule list, as text.

#include <string>

namespace recorder {

struct ScheduleRow {
    std::string start;   // "Start time"
    std::string stop;    // "Stop time"
    std::string file;    // "File": left empty by the program, kept as read
    std::string status;  // "Status": one of the texts below, or what the file held
    std::string comment; // "Comment"

    bool operator==(const ScheduleRow&) const = default;
};

// Only a "Waiting" row can fire; every other status is final.
inline constexpr const char* kStatusWaiting = "Waiting";
inline constexpr const char* kStatusDone = "Done";
// Its whole window passed without a tick inside it (the program was not running, or busy).
inline constexpr const char* kStatusMissed = "Missed";
// Its start or stop text reads as no date and time.
inline constexpr const char* kStatusUnreadable = "Unreadable";
// The recording was due but did not start (no device, a refused format).
inline constexpr const char* kStatusFailed = "Failed";

} // namespace recorder
