#include "recorder/components/channel_layout.h"

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace recorder {

std::optional<ChannelLayout> channelLayout(int code)
{
    static const ChannelLayout layouts[] = {
        {1, "Mono", 1, AV_CH_LAYOUT_MONO},
        {2, "Stereo", 2, AV_CH_LAYOUT_STEREO},
        {3, "Stereo+low", 3, AV_CH_LAYOUT_2POINT1},
        {4, "Stereo+center", 3, AV_CH_LAYOUT_SURROUND},
        {5, "Stereo+center+low", 4, AV_CH_LAYOUT_3POINT1},
        {6, "Quadro", 4, AV_CH_LAYOUT_QUAD},
        {7, "Quadro+low", 5, AV_CH_LAYOUT_QUAD | AV_CH_LOW_FREQUENCY},
        {8, "Quadro+center", 5, AV_CH_LAYOUT_5POINT0_BACK},
        {9, "Dolby", 6, AV_CH_LAYOUT_5POINT1_BACK},
    };
    if (code < 1 || code > 9) return std::nullopt;
    return layouts[code - 1];
}

std::string channelsText(int channels)
{
    if (channels == 1) return "mono";
    if (channels == 2) return "stereo";
    return std::to_string(channels) + " channels";
}

} // namespace recorder
