#pragma once
// Helpers for the components' tests: capture-shaped blocks of known signals,
// a scratch folder, and the outside tools (ffprobe, ffmpeg, sox) that check
// the files we write.

#include "recorder/components/audio_file.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testaudio {

// A fresh folder under /tmp, removed with everything in it on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// The capture control's array layout: 40-byte extensible header, then frames.
std::vector<std::uint8_t> captureArray(int rate, int channels, const std::vector<std::int16_t>& interleaved);

// Two tones, f0 in even channels and f1 in odd ones (mono carries both).
std::vector<std::int16_t> twoTones(int rate, int channels, double seconds, double f0, double f1,
                                   std::uint64_t firstFrame = 0);

// Writes `seconds` of twoTones through WriteArray in blocks of blockMs; false on the first failure.
bool recordTones(recorder::AudioFile& file, double seconds, double f0, double f1, int blockMs = 1000);

// Runs a shell command; its standard output, and the exit status in *status.
std::string run(const std::string& command, int* status = nullptr);
std::string quote(const std::string& s);

// ffprobe's view of the first audio stream: codec_name, sample_rate, channels, duration, format_name…
std::map<std::string, std::string> probe(const std::string& path, const std::string& inputOptions = "");
// The file decoded by ffmpeg to 16-bit at `rate` Hz and `channels` channels.
std::vector<std::int16_t> decodeWithFfmpeg(const std::string& path, int rate, int channels,
                                           const std::string& inputOptions = "");
// Everything our own reader gives, and its rate and channel count.
std::vector<std::int16_t> decodeWithReader(const std::string& path, int& rate, int& channels, int voxRate = 0);

// Amplitude of a tone in one channel over the middle of the signal (skipping codec start-up).
double toneLevel(const std::vector<std::int16_t>& pcm, int channels, int channel, double frequency, int rate);
// The same over the stretch from `from` to `to` seconds (cut at the end), in channel 0.
double toneLevelBetween(const std::vector<std::int16_t>& pcm, int channels, double frequency, int rate, double from,
                        double to);

} // namespace testaudio
