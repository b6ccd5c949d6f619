#pragma once
// The MP3 dialog's lists and rules that need no window.

#include <array>

namespace recorder::mp3options {

inline constexpr std::array<const char*, 5> kChannelModes = {"Stereo", "Joint Stereo", "Forced Joint Stereo",
                                                              "Dual Channels", "Mono"};
inline constexpr int kMonoPosition = 4;
inline constexpr std::array<const char*, 9> kFrequencies = {"48000", "44100", "32000", "24000", "22050",
                                                            "16000", "12000", "11025", "8000"};
inline constexpr std::array<const char*, 6> kCodingMethods = {"None", "Default", "Old", "New", "MTRH", "ABR"};
inline constexpr int kAbrPosition = 5;
inline constexpr std::array<const char*, 4> kAthModes = {"default", "only", "disabled", "only for short blocks"};
inline constexpr std::array<const char*, 3> kEmphases = {"default", "0/15 microseconds", "citt j.17"};

// Which groups of the VBR page a coding method enables.
struct CodingMethodControls {
    bool vbrQuality; // VBR quality label, box and up-down
    bool abr;        // ABR target label, box and up-down
    bool vbrLimits;  // maximum bit rate and the advanced VBR flags
};

inline CodingMethodControls codingMethodControls(int position)
{
    if (position <= 0) return {false, false, false};
    if (position == kAbrPosition) return {false, true, true};
    return {true, false, true};
}

inline constexpr const char* kCurrentBitrate = "Current bitrate: ";

} // namespace recorder::mp3options
