#pragma once
// schedule.dat: one line per row in list order, the five fields separated by
// a TAB, each line ended by CR LF; no header, no quoting.
//
// The text is UTF-8; a line that is not valid UTF-8 (a file of an older build,
// in a single-byte code page) is read as Latin-1. A line with fewer than five
// fields still gives a row, its missing fields empty; fields past the fifth
// are ignored; blank lines and lines longer than kMaxScheduleLine give none.
// A field never holds a TAB, CR, LF or NUL: each is read, and written, as a
// space, so whatever was read writes back and reads again the same.

#include "recorder/schedule/schedule_row.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace recorder {

// Five fields of a date, a status and a comment fit many times over.
inline constexpr std::size_t kMaxScheduleLine = 16 * 1024;
// A larger file is no plan of ours; it is refused rather than read into memory.
inline constexpr std::size_t kMaxScheduleFile = 4 * 1024 * 1024;

// The field as it can be stored: TAB, CR, LF and NUL become spaces.
std::string storableScheduleField(std::string_view field);

std::string renderSchedule(const std::vector<ScheduleRow>& rows);
std::vector<ScheduleRow> parseSchedule(std::string_view text);

struct ScheduleLoadResult {
    std::vector<ScheduleRow> rows;
    std::string error; // why the file could not be read; empty when it was (or was missing and created)
};

// Reads the file; a missing file is created empty (a failure to create it is
// not an error here: the next save reports it).
ScheduleLoadResult loadSchedule(const std::string& path);

// Replaces the file in one atomic step: the old file stays whole until the new one is complete.
std::error_code saveSchedule(const std::string& path, const std::vector<ScheduleRow>& rows);

// schedule.dat in the application folder, built at the moment of the call.
std::string scheduleFilePath();

} // namespace recorder
