#include "recorder/components/encoders/lame_encoder.h"

#include <lame/lame.h>

#include <algorithm>
#include <climits>

namespace recorder {

namespace {

// Whether the MPEG version of this rate has bit rates around kbps (LAME takes the nearest one).
bool mpegHasBitrate(int rate, int kbps)
{
    if (rate == 32000 || rate == 44100 || rate == 48000) return kbps >= 32 && kbps <= 320;
    if (rate == 16000 || rate == 22050 || rate == 24000) return kbps >= 8 && kbps <= 160;
    if (rate == 8000 || rate == 11025 || rate == 12000) return kbps >= 8 && kbps <= 64;
    return false;
}

} // namespace

void LameFree::operator()(lame_global_struct* g) const { lame_close(g); }

LameHandle configureLame(const OutputFormat& f, std::string& why)
{
    LameHandle h(lame_init());
    if (!h) {
        why = "Out of memory.";
        return nullptr;
    }
    lame_t g = h.get();
    const MP3Lame& s = f.lame;
    lame_set_errorf(g, nullptr);
    lame_set_debugf(g, nullptr);
    lame_set_msgf(g, nullptr);
    lame_set_in_samplerate(g, f.sampleRate);
    lame_set_num_channels(g, f.channels);
    lame_set_write_id3tag_automatic(g, 0);
    // Keep the user's rate where MPEG audio has the bit rate at it; LAME resamples otherwise.
    if (s.VbrMethod() != -1 || mpegHasBitrate(f.sampleRate, f.bitrate)) lame_set_out_samplerate(g, f.sampleRate);

    if (f.channels == 1) {
        lame_set_mode(g, MONO);
    } else {
        switch (s.ChannelMode()) {
        case 1: lame_set_mode(g, STEREO); break;
        case 3:
            lame_set_mode(g, JOINT_STEREO);
            lame_set_force_ms(g, 1);
            break;
        case 4: lame_set_mode(g, DUAL_CHANNEL); break;
        default: lame_set_mode(g, JOINT_STEREO); break;
        }
    }
    lame_set_quality(g, 9 - s.EncoderQuality());

    switch (s.VbrMethod()) {
    case -1:
        lame_set_VBR(g, vbr_off);
        lame_set_brate(g, f.bitrate);
        break;
    case 4:
        lame_set_VBR(g, vbr_abr);
        lame_set_VBR_mean_bitrate_kbps(g, s.AbrBitrate());
        break;
    default:
        lame_set_VBR(g, s.VbrMethod() == 1 ? vbr_rh : vbr_mtrh);
        lame_set_VBR_q(g, s.VbrQuality());
        break;
    }
    if (s.VbrMethod() != -1) {
        lame_set_VBR_min_bitrate_kbps(g, f.bitrate);
        lame_set_VBR_max_bitrate_kbps(g, std::max(s.MaxVbrBitrate(), f.bitrate));
        lame_set_VBR_hard_min(g, s.EnforceMinBitrate() ? 1 : 0);
    }
    lame_set_bWriteVbrTag(g, s.WriteVbrHeader() ? 1 : 0);
    lame_set_disable_reservoir(g, s.BitReservoir() ? 0 : 1);
    lame_set_allow_diff_short(g, s.AllowDiffShortBlocks() ? 1 : 0);
    lame_set_no_short_blocks(g, s.ShortBlocks() ? 0 : 1);
    static const int emphasis[] = {0, 1, 3}; // none, 50/15 µs, CCITT J.17
    lame_set_emphasis(g, emphasis[s.Emphasis()]);
    lame_set_strict_ISO(g, s.StrictIso() ? 1 : 0);
    switch (s.AthMode()) {
    case 1: lame_set_ATHonly(g, 1); break;
    case 2: lame_set_noATH(g, 1); break;
    case 3: lame_set_ATHshort(g, 1); break;
    default: break;
    }
    // -1 means the user set no filter of his own; LAME then applies its usual one.
    if (s.LowpassFrequency() >= 0) {
        lame_set_lowpassfreq(g, s.LowpassFrequency());
        if (s.LowpassWidth() > 0) lame_set_lowpasswidth(g, s.LowpassWidth());
    }
    if (s.HighpassFrequency() > 0) {
        lame_set_highpassfreq(g, s.HighpassFrequency());
        if (s.HighpassWidth() > 0) lame_set_highpasswidth(g, s.HighpassWidth());
    }
    lame_set_error_protection(g, s.Crc() ? 1 : 0);

    if (lame_init_params(g) < 0) {
        why = "LAME cannot encode " + std::to_string(f.bitrate) + " kbit/s at " + std::to_string(f.sampleRate) +
              " Hz with these settings.";
        return nullptr;
    }
    return h;
}

bool LameEncoder::open(const std::string& path)
{
    std::string why;
    lame_ = configureLame(format_, why);
    if (!lame_) return fail(why);
    if (!file_.create(path)) return fail(file_.error());
    return true;
}

bool LameEncoder::write(std::span<const std::int16_t> pcm)
{
    if (!error_.empty()) return false;
    const std::size_t frames = pcm.size() / static_cast<std::size_t>(format_.channels);
    if (frames == 0) return true;
    if (frames > INT_MAX / 2) return fail("The audio block is too large.");
    out_.resize(frames + frames / 4 + 7200);
    int n;
    if (format_.channels == 2) {
        n = lame_encode_buffer_interleaved(lame_.get(), const_cast<short*>(pcm.data()), static_cast<int>(frames),
                                           out_.data(), static_cast<int>(out_.size()));
    } else {
        n = lame_encode_buffer(lame_.get(), pcm.data(), pcm.data(), static_cast<int>(frames), out_.data(),
                               static_cast<int>(out_.size()));
    }
    if (n < 0) return fail("LAME failed to encode (error " + std::to_string(n) + ").");
    if (!file_.write(out_.data(), static_cast<std::size_t>(n)) || !file_.sync()) return fail(file_.error());
    return true;
}

bool LameEncoder::finish()
{
    bool ok = error_.empty() && lame_;
    if (ok) {
        out_.resize(7200);
        const int n = lame_encode_flush(lame_.get(), out_.data(), static_cast<int>(out_.size()));
        if (n < 0) ok = fail("LAME failed to finish the file.");
        else if (!file_.write(out_.data(), static_cast<std::size_t>(n))) ok = fail(file_.error());
    }
    if (ok && format_.lame.WriteVbrHeader()) {
        // The first frame was reserved for the Xing/LAME tag; now its counts are known.
        unsigned char tag[2880];
        const std::size_t n = lame_get_lametag_frame(lame_.get(), tag, sizeof tag);
        if (n > 0 && n <= sizeof tag && !file_.writeAt(0, {tag, n})) ok = fail(file_.error());
    }
    if (ok && !file_.sync()) ok = fail(file_.error());
    if (!file_.close() && ok) ok = fail(file_.error());
    return ok;
}

} // namespace recorder
