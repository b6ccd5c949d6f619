// RecordingFile over the file component.

#include "recorder/recording/recording_file.h"

#include "recorder/components/audio_file.h"
#include "recorder/components/audio_format_settings.h"
#include "recorder/recording/output_format_selection.h"

namespace recorder {

namespace {

class EncodedRecordingFile final : public RecordingFile {
public:
    bool selectFormat(const FormatSelection& selection) override
    {
        file_.SetMode(1);
        if (selection.mp3) file_.UseMp3Settings(selection.mp3);
        applyAacValues(selection.values, aac_);
        applyFormatValues(file_, selection.values, aac_);
        return selectOutputFormat(file_, selection.values, aac_, selection.code);
    }
    FormatInfo format() const override { return file_.CurrentFormat(); }
    bool open(const std::string& path) override { return file_.OpenWrite(path, 1000); }
    bool write(std::span<const std::uint8_t> block) override { return file_.WriteArray(block); }
    bool close() override { return file_.Close(); }
    std::string lastError() const override { return file_.lastError(); }

private:
    AudioFile file_;
    AudioFormatSettings aac_;
};

} // namespace

std::unique_ptr<RecordingFile> makeEncodedRecordingFile() { return std::make_unique<EncodedRecordingFile>(); }

} // namespace recorder
