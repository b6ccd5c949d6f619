#pragma once
// Recording project files (.rpf): one line per row, the six fields separated
// by a TAB, each line ended by CR LF; no header, no quoting.

#include "recorder/recordings/recording_row.h"

#include <string>
#include <system_error>
#include <vector>

namespace recorder {

std::string renderProject(const std::vector<RecordingRow>& rows);
// Rows up to the first line with fewer than six fields; extra fields are ignored.
std::vector<RecordingRow> parseProject(std::string_view text);

// Writes the file in one atomic step; the error is empty on success.
std::error_code saveProject(const std::string& path, const std::vector<RecordingRow>& rows);

} // namespace recorder
