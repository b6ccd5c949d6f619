#pragma once
// Recording project files (.rpf): one line per row, the six fields separated
// by a TAB, each line ended by CR LF; no header, no quoting, no escaping.
//
// The text is UTF-8. Files written by older builds in Latin-1 still open: a
// line that is not valid UTF-8 is read as Latin-1.
//
// Reading stops at the first line that is not a row: fewer than six fields
// (an empty line included), a NUL byte, or longer than kMaxProjectLine. The
// rows before it are kept. Fields beyond the sixth are ignored. A CR is only
// taken as part of a line end.

#include "recorder/recordings/recording_row.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace recorder {

// Longer lines are no rows of ours: six fields of at most a path's length each.
inline constexpr std::size_t kMaxProjectLine = 64 * 1024;

// True when the row reads back as written: no TAB, line break or NUL in any
// field, and a line no longer than kMaxProjectLine.
bool isStorable(const RecordingRow& row);

// The file's text for the rows, in order; rows that are not storable are skipped.
std::string renderProject(const std::vector<RecordingRow>& rows);

// One line (without its line end) as a row; nullopt when it is not one.
std::optional<RecordingRow> parseProjectLine(std::string_view line);
// Rows up to the first line that is not one.
std::vector<RecordingRow> parseProject(std::string_view text);

struct ProjectSaveResult {
    std::error_code error;             // the file could not be written (nothing was)
    std::vector<std::size_t> refused;  // indexes of rows left out because they are not storable
};

// Writes the storable rows in one atomic step: the old file stays whole until
// the new one is complete.
ProjectSaveResult saveProject(const std::string& path, const std::vector<RecordingRow>& rows);

struct ProjectLoadResult {
    enum class Outcome {
        Complete,   // every line was a row (an empty file has none)
        Stopped,    // rows were read, then a line that is not a row ended the reading
        NotAProject,// the first line is not a row
        Unreadable, // missing, a folder, or cannot be read (error says why)
    };
    Outcome outcome = Outcome::Complete;
    std::vector<RecordingRow> rows;
    std::size_t stoppedAtLine = 0; // 1-based line that ended the reading (Stopped, NotAProject)
    std::string error;             // Unreadable: why, in words
};

// Reads a project file without holding more than one line of it in memory.
ProjectLoadResult loadProject(const std::string& path);

} // namespace recorder
