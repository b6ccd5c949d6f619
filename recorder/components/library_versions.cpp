#include "recorder/components/library_versions.h"

extern "C" {
#include <lame/lame.h>
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <pulse/version.h>
#include <sndfile.h>
#include <vorbis/codec.h>
}

namespace recorder {

namespace {

std::string dotted(unsigned version)
{
    return std::to_string(AV_VERSION_MAJOR(version)) + "." + std::to_string(AV_VERSION_MINOR(version)) + "." +
           std::to_string(AV_VERSION_MICRO(version));
}

} // namespace

std::vector<std::pair<std::string, std::string>> componentLibraryVersions()
{
    std::string sndfile = sf_version_string();
    if (auto dash = sndfile.find('-'); dash != std::string::npos) sndfile = sndfile.substr(dash + 1);
    std::string vorbis = vorbis_version_string();
    if (auto space = vorbis.rfind(' '); space != std::string::npos) vorbis = vorbis.substr(space + 1);
    return {
        {"FFmpeg", av_version_info()},
        {"libavcodec", dotted(avcodec_version())},
        {"libavformat", dotted(avformat_version())},
        {"libswresample", dotted(swresample_version())},
        {"LAME", get_lame_version()},
        {"libvorbis", vorbis},
        {"libsndfile", sndfile},
        {"bcg729", VELMOR_BCG729_VERSION},
        {"libpulse", pa_get_library_version()},
    };
}

} // namespace recorder
