#pragma once
// The program-wide format values: the current value of every persisted format
// key, in the width the program keeps it. The format dialogs write them on OK;
// the main window reads settings.dat into them at load and at each recording
// start, and selects the recording format from them.

#include <cstdint>
#include <string>
#include <vector>

namespace recorder {

// The format list, in order; the text is also the output file's extension.
inline constexpr const char* kFormatNames[] = {"WAV", "MP3", "VOX", "G721", "G723", "G726", "G729", "OGG", "AC3", "AAC"};
inline constexpr int kFormatCount = 10;

enum FormatCode : int { WAV = 0, MP3, VOX, G721, G723, G726, G729, OGG, AC3, AAC };

struct FormatValues {
    std::int32_t MP3Frequency = 0;
    std::int16_t MP3Bitrate = 0;
    std::int16_t MP3Channels = 0;
    std::int32_t Freq = 0;
    std::int16_t Channel = 0;
    std::int32_t voxFreq = 0;
    std::int16_t VbrEnabled = 0;
    std::int16_t QualityEnabled = 0;
    std::int16_t oggBitrate = 0;
    std::int16_t MinBitrate = 0;
    std::int16_t MaxBitrate = 0;
    std::int16_t Quality = 0;
    std::int32_t g721Freq = 0;
    std::int32_t g723Freq = 0;
    std::int16_t g723bit = 0;
    std::int32_t gFreq = 0;
    std::int16_t gbit = 0;
    std::int32_t g729Freq = 0;
    std::int32_t AC3SampleRate = 0;
    std::int16_t AC3Channels = 0;
    std::int16_t AC3Bitrate = 0;
    std::int32_t AACSampleRate = 0;
    std::int16_t AACBitrate = 0;
    std::int16_t AACChannels = 0;
    std::int16_t AACQuality = 0;
    std::int16_t AACType = 0;
};

// The one set of values of this run (zero until read or confirmed).
FormatValues& formatValues();

// Reads every format key of settings.dat into values. A key that is missing
// or does not convert in its width (70000 in a 16-bit key) keeps the value.
// The format stored as outputformat in [set]; `fallback` when none is stored
// or the stored one names no format, which *problem then says.
int storedOutputFormat(const std::string& settingsPath, int fallback, std::string* problem = nullptr);

// Values that are no number keep what `values` holds; each is described in
// problems, when given, with what is used instead.
void readFormatValues(const std::string& settingsPath, FormatValues& values,
                      std::vector<std::string>* problems = nullptr);

// The Ogg Vorbis argument set: quality wins over VBR, VBR over constant bit rate.
struct OggArguments {
    std::int32_t sampleRate, channels, bitrate, minBitrate, maxBitrate, quality;
};
OggArguments oggArguments(const FormatValues& v);

} // namespace recorder
