#pragma once
// The channel layout codes 1..9 of the AC3 and AAC settings ("Mono" …
// "Dolby"). Captured channels are taken in the order of the layout's
// speaker mask (front left, front right, centre, LFE, back left, back right),
// which is WAVEFORMATEXTENSIBLE's order too.

#include <cstdint>
#include <optional>
#include <string>

namespace recorder {

struct ChannelLayout {
    int code = 0;
    const char* name = "";   // "Stereo+center+low"
    int channels = 0;
    std::uint64_t mask = 0;  // FFmpeg's AV_CH_* bits
};

std::optional<ChannelLayout> channelLayout(int code);
// "mono", "stereo", or "5.1" style counts for the other layouts.
std::string channelsText(int channels);

} // namespace recorder
