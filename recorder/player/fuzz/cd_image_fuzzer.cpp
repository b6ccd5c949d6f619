// libFuzzer target over CD images: the input is a cue sheet and, after the
// first NUL byte, its data file. Any image gives a refusal with a message, or
// tracks whose decoders read, seek and read again without a fault.

#include "recorder/player/cd_audio.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include <unistd.h>

namespace {

const std::string& folder()
{
    static const std::string path = [] {
        std::string p = (std::filesystem::temp_directory_path() / ("velmor-cd-fuzz-" + std::to_string(::getpid()))).string();
        std::filesystem::create_directories(p);
        return p;
    }();
    return path;
}

void write(const std::string& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto nul = input.find('\0');
    const std::string cue = folder() + "/disc.cue";
    write(cue, input.substr(0, nul));
    write(folder() + "/disc.bin", nul == std::string_view::npos ? std::string_view() : input.substr(nul + 1));

    std::string why;
    const auto tracks = recorder::cdTracks(cue, why);
    if (tracks.empty() && why.empty()) std::abort();
    std::int16_t pcm[2 * 588];
    for (std::size_t t = 0; t < tracks.size() && t < 4; ++t) {
        auto decoder = recorder::openCdDecoder(tracks[t].path, why);
        if (!decoder) {
            if (why.empty()) std::abort();
            continue;
        }
        if (decoder->sampleRate() != 44100 || decoder->channels() != 2) std::abort();
        if (decoder->read(pcm, 588) > 588) std::abort();
        const std::int64_t total = decoder->totalFrames();
        if (total > 0 && decoder->seek(total / 2) && decoder->read(pcm, 588) > 588) std::abort();
    }
    return 0;
}
