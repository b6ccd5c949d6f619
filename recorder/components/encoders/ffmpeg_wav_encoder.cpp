#include "recorder/components/encoders/ffmpeg_wav_encoder.h"

#include <algorithm>

namespace recorder {

namespace {

ff::CodecSetup setupFor(const OutputFormat& f)
{
    ff::CodecSetup s;
    s.sampleRate = f.sampleRate;
    s.channels = f.channels;
    switch (f.codec) {
    case Codec::ImaAdpcm:
        s.encoder = "adpcm_ima_wav";
        // Windows' IMA ADPCM codec uses 256 bytes a channel at 11025 Hz, doubling with the rate.
        s.options.emplace_back("block_size", std::to_string(f.sampleRate <= 11025   ? 256 * f.channels
                                                            : f.sampleRate <= 22050 ? 512 * f.channels
                                                                                    : 1024 * f.channels));
        break;
    case Codec::Gsm:
        s.encoder = "libgsm_ms";
        break;
    case Codec::Mulaw:
        s.encoder = "pcm_mulaw";
        break;
    default: // G.721, G.723, G.726
        s.encoder = "g726";
        s.bitRate = static_cast<std::int64_t>(f.sampleRate) * f.bits;
        s.unofficial = f.sampleRate != 8000;
        s.lastFrameMultiple = 8;
        break;
    }
    return s;
}

std::uint16_t wavTag(Codec c)
{
    switch (c) {
    case Codec::ImaAdpcm: return 0x0011;
    case Codec::Gsm: return 0x0031;
    case Codec::Mulaw: return 0x0007;
    case Codec::G721: return 0x0040;
    case Codec::G723: return 0x0014;
    default: return 0x0045;
    }
}

std::vector<std::uint8_t> fmtChunk(const OutputFormat& f, const AVCodecContext* c)
{
    const int rate = f.sampleRate;
    const int ch = f.channels;
    switch (f.codec) {
    case Codec::ImaAdpcm:
    case Codec::Gsm: {
        const auto samplesPerBlock = static_cast<std::uint16_t>(c->frame_size);
        const std::uint8_t ext[2] = {static_cast<std::uint8_t>(samplesPerBlock), static_cast<std::uint8_t>(samplesPerBlock >> 8)};
        const auto align = static_cast<std::uint16_t>(c->block_align);
        const auto byteRate = static_cast<std::uint32_t>(static_cast<std::uint64_t>(align) * rate / samplesPerBlock);
        return codedFmtChunk(wavTag(f.codec), rate, ch, byteRate, align, f.codec == Codec::Gsm ? 0 : 4, ext);
    }
    case Codec::Mulaw:
        return codedFmtChunk(wavTag(f.codec), rate, ch, static_cast<std::uint32_t>(rate * ch),
                             static_cast<std::uint16_t>(ch), 8, {});
    default:
        // A block is eight samples, so 3- and 5-bit codes end on a byte boundary. Readers take
        // the code size from byte rate × 8 ÷ sample rate, so the byte rate is rounded up.
        return codedFmtChunk(wavTag(f.codec), rate, ch, static_cast<std::uint32_t>((rate * f.bits + 7) / 8),
                             static_cast<std::uint16_t>(f.bits), static_cast<std::uint16_t>(f.bits), {});
    }
}

} // namespace

bool FfmpegWavEncoder::check(const OutputFormat& format, std::string& why)
{
    ff::AudioEncoder probe;
    return probe.open(setupFor(format), why);
}

bool FfmpegWavEncoder::open(const std::string& path)
{
    std::string why;
    if (!codec_.open(setupFor(format_), why)) return fail(why);
    if (!wav_.create(path, fmtChunk(format_, codec_.context()))) return fail(wav_.error());
    return true;
}

bool FfmpegWavEncoder::appendPacket(const AVPacket& p)
{
    const std::uint64_t samples = p.duration > 0 ? static_cast<std::uint64_t>(p.duration)
                                                 : static_cast<std::uint64_t>(codec_.frameSize());
    if (!wav_.append({p.data, static_cast<std::size_t>(p.size)}, samples)) return fail(wav_.error());
    return true;
}

bool FfmpegWavEncoder::write(std::span<const std::int16_t> pcm)
{
    if (!error_.empty()) return false;
    std::string why;
    inputFrames_ += pcm.size() / static_cast<std::size_t>(format_.channels);
    if (!codec_.encode(pcm, [this](const AVPacket& p) { return appendPacket(p); }, why)) return fail(why);
    if (!wav_.commit()) return fail(wav_.error());
    return true;
}

bool FfmpegWavEncoder::finish()
{
    std::string why;
    bool ok = error_.empty();
    if (ok && !codec_.flush([this](const AVPacket& p) { return appendPacket(p); }, why)) ok = fail(why);
    if (!wav_.finish()) ok = fail(wav_.error());
    return ok;
}

} // namespace recorder
