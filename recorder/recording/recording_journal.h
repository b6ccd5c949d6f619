#pragma once
// The journal of the recording going on: a small file in the application
// folder naming its file, format and start, written when a recording starts
// and removed when its file is closed. A journal found at the next start
// means that recording never ended (a crash, a power loss): its file is
// checked, repaired where it is a WAV whose header lags behind its data, and
// listed again.

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace recorder {

struct JournalEntry {
    std::string path;      // the recording's file
    std::string extension; // its format's name in the format list, e.g. "WAV"
    std::time_t started = 0;
    int sampleRate = 0;
    int channels = 0;
};

// Replaces the journal atomically; false when it could not be written.
bool writeJournal(const std::string& journal, const JournalEntry& entry);
void removeJournal(const std::string& journal);
// The entry; nothing when there is no journal or it names no file.
std::optional<JournalEntry> readJournal(const std::string& journal);

struct WavRepair {
    bool repaired = false;   // the header's sizes were rewritten
    double seconds = 0;      // audio the file holds
    std::string error;       // why the file could not be read or repaired
};

// Sets the sizes of a RIFF or RF64 WAV header to the data the file holds
// (whole frames), as a recording cut off by a crash leaves it.
WavRepair repairWavHeader(const std::string& path);

} // namespace recorder
