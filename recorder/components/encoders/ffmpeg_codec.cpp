#include "recorder/components/encoders/ffmpeg_codec.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>

namespace recorder::ff {

namespace {

// Writes `frames` interleaved 16-bit frames into an encoder frame of the codec's sample format.
bool convert(const std::int16_t* in, int frames, int channels, AVFrame* out)
{
    const auto fmt = static_cast<AVSampleFormat>(out->format);
    const bool planar = av_sample_fmt_is_planar(fmt);
    for (int c = 0; c < channels; ++c) {
        const std::int16_t* src = in + c;
        const int stride = planar ? 1 : channels;
        std::uint8_t* base = out->extended_data[planar ? c : 0];
        const int first = planar ? 0 : c;
        switch (av_get_packed_sample_fmt(fmt)) {
        case AV_SAMPLE_FMT_S16: {
            auto* dst = reinterpret_cast<std::int16_t*>(base) + first;
            for (int i = 0; i < frames; ++i) dst[i * stride] = src[i * channels];
            break;
        }
        case AV_SAMPLE_FMT_S32: {
            auto* dst = reinterpret_cast<std::int32_t*>(base) + first;
            for (int i = 0; i < frames; ++i) dst[i * stride] = static_cast<std::int32_t>(src[i * channels]) * 65536;
            break;
        }
        case AV_SAMPLE_FMT_FLT: {
            auto* dst = reinterpret_cast<float*>(base) + first;
            for (int i = 0; i < frames; ++i) dst[i * stride] = static_cast<float>(src[i * channels]) * (1.0f / 32768.0f);
            break;
        }
        default:
            return false;
        }
    }
    return true;
}

bool supported(AVSampleFormat fmt)
{
    const auto packed = av_get_packed_sample_fmt(fmt);
    return packed == AV_SAMPLE_FMT_S16 || packed == AV_SAMPLE_FMT_S32 || packed == AV_SAMPLE_FMT_FLT;
}

} // namespace

bool AudioEncoder::open(const CodecSetup& setup, std::string& why)
{
    const AVCodec* codec = avcodec_find_encoder_by_name(setup.encoder);
    if (!codec) {
        why = std::string("This system's FFmpeg has no ") + setup.encoder + " encoder.";
        return false;
    }
    ctx_.reset(avcodec_alloc_context3(codec));
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!ctx_ || !frame_ || !packet_) {
        why = "Out of memory.";
        return false;
    }
    AVCodecContext* c = ctx_.get();
    c->sample_rate = setup.sampleRate;
    if (setup.channelMask)
        av_channel_layout_from_mask(&c->ch_layout, setup.channelMask);
    else
        av_channel_layout_default(&c->ch_layout, setup.channels);
    c->time_base = AVRational{1, setup.sampleRate};
    c->bit_rate = setup.bitRate;
    c->profile = setup.profile;
    if (setup.bitsPerCodedSample) c->bits_per_coded_sample = setup.bitsPerCodedSample;
    if (setup.unofficial) c->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    if (setup.experimental) c->strict_std_compliance = FF_COMPLIANCE_EXPERIMENTAL;
    if (setup.globalHeader) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    c->sample_fmt = AV_SAMPLE_FMT_NONE;
    for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f)
        if (supported(*f)) {
            c->sample_fmt = *f;
            break;
        }
    if (c->sample_fmt == AV_SAMPLE_FMT_NONE) {
        why = std::string("The ") + setup.encoder + " encoder takes no sample format this program can give it.";
        return false;
    }
    AVDictionary* options = nullptr;
    for (const auto& [key, value] : setup.options) av_dict_set(&options, key.c_str(), value.c_str(), 0);
    av_log_set_level(AV_LOG_FATAL);
    int err = avcodec_open2(c, codec, &options);
    av_dict_free(&options);
    if (err < 0) {
        why = std::string("The ") + setup.encoder + " encoder refuses these settings (" + errorText(err) + ").";
        return false;
    }
    channels_ = c->ch_layout.nb_channels;
    const bool anySize = codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE;
    smallLastFrame_ = anySize || (codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
    frameSize_ = c->frame_size > 0 ? c->frame_size : 1024;
    lastFrameMultiple_ = std::max(1, setup.lastFrameMultiple);
    pending_.reserve(static_cast<std::size_t>(frameSize_ * channels_));
    pts_ = 0;
    return true;
}

bool AudioEncoder::receive(const Sink& sink, std::string& why)
{
    for (;;) {
        int err = avcodec_receive_packet(ctx_.get(), packet_.get());
        if (err == AVERROR(EAGAIN) || err == AVERROR_EOF) return true;
        if (err < 0) {
            why = "The encoder failed (" + errorText(err) + ").";
            return false;
        }
        const bool ok = sink(*packet_);
        av_packet_unref(packet_.get());
        if (!ok) return false;
    }
}

bool AudioEncoder::sendFrame(const std::int16_t* in, int frames, const Sink& sink, std::string& why)
{
    AVFrame* f = frame_.get();
    av_frame_unref(f);
    f->format = ctx_->sample_fmt;
    f->sample_rate = ctx_->sample_rate;
    f->nb_samples = frames;
    if (av_channel_layout_copy(&f->ch_layout, &ctx_->ch_layout) < 0 || av_frame_get_buffer(f, 0) < 0) {
        why = "Out of memory.";
        return false;
    }
    convert(in, frames, channels_, f);
    f->pts = pts_;
    pts_ += frames;
    int err = avcodec_send_frame(ctx_.get(), f);
    if (err < 0) {
        why = "The encoder failed (" + errorText(err) + ").";
        return false;
    }
    return receive(sink, why);
}

bool AudioEncoder::encode(std::span<const std::int16_t> pcm, const Sink& sink, std::string& why)
{
    const std::size_t whole = static_cast<std::size_t>(frameSize_) * static_cast<std::size_t>(channels_);
    std::size_t used = 0;
    if (!pending_.empty()) {
        const std::size_t take = std::min(whole - pending_.size(), pcm.size());
        pending_.insert(pending_.end(), pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(take));
        used = take;
        if (pending_.size() < whole) return true;
        if (!sendFrame(pending_.data(), frameSize_, sink, why)) return false;
        pending_.clear();
    }
    while (pcm.size() - used >= whole) {
        if (!sendFrame(pcm.data() + used, frameSize_, sink, why)) return false;
        used += whole;
    }
    pending_.insert(pending_.end(), pcm.begin() + static_cast<std::ptrdiff_t>(used), pcm.end());
    return true;
}

bool AudioEncoder::flush(const Sink& sink, std::string& why)
{
    if (!ctx_) return true;
    if (!pending_.empty()) {
        int frames = static_cast<int>(pending_.size() / static_cast<std::size_t>(channels_));
        frames = (frames + lastFrameMultiple_ - 1) / lastFrameMultiple_ * lastFrameMultiple_;
        pending_.resize(static_cast<std::size_t>((smallLastFrame_ ? frames : frameSize_) * channels_), 0);
        if (!sendFrame(pending_.data(), smallLastFrame_ ? frames : frameSize_, sink, why)) return false;
        pending_.clear();
    }
    int err = avcodec_send_frame(ctx_.get(), nullptr);
    if (err < 0 && err != AVERROR_EOF) {
        why = "The encoder failed (" + errorText(err) + ").";
        return false;
    }
    return receive(sink, why);
}

} // namespace recorder::ff
