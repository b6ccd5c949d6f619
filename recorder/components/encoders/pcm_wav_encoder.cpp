#include "recorder/components/encoders/pcm_wav_encoder.h"

namespace recorder {

bool PcmWavEncoder::open(const std::string& path)
{
    if (!wav_.create(path, pcmFmtChunk(format_.sampleRate, format_.channels))) return fail(wav_.error());
    return true;
}

bool PcmWavEncoder::write(std::span<const std::int16_t> pcm)
{
    std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(pcm.data()), pcm.size_bytes());
    if (!wav_.append(bytes, pcm.size() / static_cast<std::size_t>(format_.channels)) || !wav_.commit())
        return fail(wav_.error());
    return true;
}

bool PcmWavEncoder::finish()
{
    if (!wav_.finish()) return fail(wav_.error());
    return error_.empty();
}

} // namespace recorder
