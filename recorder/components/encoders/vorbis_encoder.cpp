#include "recorder/components/encoders/vorbis_encoder.h"

#include <vorbis/vorbisenc.h>

#include <random>

namespace recorder {

namespace {

// Sets up `info` for the format; vorbis_info_init must have run.
int setup(vorbis_info* info, const OutputFormat& f)
{
    const long rate = f.sampleRate;
    const int ch = f.channels;
    int err;
    switch (f.vorbisMode) {
    case VorbisMode::Quality:
        err = vorbis_encode_setup_vbr(info, ch, rate, static_cast<float>(f.quality) / 1000.0f);
        break;
    case VorbisMode::Cbr: {
        const long bps = f.bitrate * 1000L;
        err = vorbis_encode_setup_managed(info, ch, rate, bps, bps, bps);
        break;
    }
    default:
        err = vorbis_encode_setup_managed(info, ch, rate, f.maxBitrate * 1000L, f.bitrate * 1000L, f.minBitrate * 1000L);
        break;
    }
    if (err == 0) err = vorbis_encode_setup_init(info);
    return err;
}

} // namespace

bool VorbisEncoder::check(const OutputFormat& format, std::string& why)
{
    vorbis_info info;
    vorbis_info_init(&info);
    const int err = setup(&info, format);
    vorbis_info_clear(&info);
    if (err != 0) {
        why = "Ogg Vorbis cannot encode these bit rates at " + std::to_string(format.sampleRate) + " Hz.";
        return false;
    }
    return true;
}

VorbisEncoder::~VorbisEncoder()
{
    if (stage_ >= 4) ogg_stream_clear(&stream_);
    if (stage_ >= 3) vorbis_block_clear(&block_);
    if (stage_ >= 2) vorbis_dsp_clear(&dsp_);
    if (stage_ >= 1) {
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
}

bool VorbisEncoder::open(const std::string& path)
{
    vorbis_info_init(&info_);
    vorbis_comment_init(&comment_);
    stage_ = 1;
    if (setup(&info_, format_) != 0) return fail("Ogg Vorbis cannot encode with these settings.");
    vorbis_comment_add_tag(&comment_, "ENCODER", "Velmor Sound Recorder");
    if (vorbis_analysis_init(&dsp_, &info_) != 0) return fail("Ogg Vorbis cannot start.");
    stage_ = 2;
    vorbis_block_init(&dsp_, &block_);
    stage_ = 3;
    std::random_device rd;
    ogg_stream_init(&stream_, static_cast<int>(rd() & 0x7FFFFFFF));
    stage_ = 4;

    if (!file_.create(path)) return fail(file_.error());
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment_, &header, &comments, &codebooks);
    ogg_stream_packetin(&stream_, &header);
    ogg_stream_packetin(&stream_, &comments);
    ogg_stream_packetin(&stream_, &codebooks);
    // The headers end on a page of their own, as the Ogg Vorbis mapping requires.
    return writePages(true) && (file_.sync() || fail(file_.error()));
}

bool VorbisEncoder::writePages(bool flushAll)
{
    ogg_page page;
    for (;;) {
        const int got = flushAll ? ogg_stream_flush(&stream_, &page) : ogg_stream_pageout(&stream_, &page);
        if (got == 0) return true;
        if (!file_.write(page.header, static_cast<std::size_t>(page.header_len)) ||
            !file_.write(page.body, static_cast<std::size_t>(page.body_len)))
            return fail(file_.error());
    }
}

bool VorbisEncoder::drain()
{
    ogg_packet packet;
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
        vorbis_analysis(&block_, nullptr);
        vorbis_bitrate_addblock(&block_);
        while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) ogg_stream_packetin(&stream_, &packet);
    }
    return true;
}

bool VorbisEncoder::write(std::span<const std::int16_t> pcm)
{
    if (!error_.empty()) return false;
    const int ch = format_.channels;
    const int frames = static_cast<int>(pcm.size() / static_cast<std::size_t>(ch));
    if (frames > 0) {
        float** buffer = vorbis_analysis_buffer(&dsp_, frames);
        for (int c = 0; c < ch; ++c) {
            float* out = buffer[c];
            const std::int16_t* in = pcm.data() + c;
            for (int i = 0; i < frames; ++i) out[i] = static_cast<float>(in[i * ch]) * (1.0f / 32768.0f);
        }
        vorbis_analysis_wrote(&dsp_, frames);
    }
    drain();
    return writePages(true) && (file_.sync() || fail(file_.error()));
}

bool VorbisEncoder::finish()
{
    bool ok = error_.empty() && stage_ >= 4;
    if (ok) {
        vorbis_analysis_wrote(&dsp_, 0);
        drain();
        ok = writePages(true) && file_.sync();
        if (!ok) fail(file_.error());
    }
    if (!file_.close() && ok) ok = fail(file_.error());
    return ok;
}

} // namespace recorder
