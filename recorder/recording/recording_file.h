#pragma once
// The file a recording writes, as the session sees it. The session selects
// the format and opens the file on its owner thread, then hands it to its
// writer thread, which alone writes and closes it: one thread at a time.

#include "recorder/components/format_info.h"
#include "recorder/recording/format_values.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace recorder {

class MP3Lame;

struct FormatSelection {
    FormatValues values;
    int code = FormatCode::MP3;
    std::shared_ptr<const MP3Lame> mp3; // null: LAME's defaults
};

class RecordingFile {
public:
    virtual ~RecordingFile() = default;
    // False, with lastError(), when the format cannot be recorded.
    virtual bool selectFormat(const FormatSelection& selection) = 0;
    // The selected format: the rate and channels to capture at, its description.
    virtual FormatInfo format() const = 0;
    // Creates the file; false with lastError().
    virtual bool open(const std::string& path) = 0;
    // Appends one capture array (header, then 16-bit frames); false with lastError().
    virtual bool write(std::span<const std::uint8_t> block) = 0;
    // Finishes the file; false when its last data could not be written.
    virtual bool close() = 0;
    virtual std::string lastError() const = 0;
};

// The real file: the file component, encoding into the selected format.
std::unique_ptr<RecordingFile> makeEncodedRecordingFile();

} // namespace recorder
