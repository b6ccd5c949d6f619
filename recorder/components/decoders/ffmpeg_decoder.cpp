#include "recorder/components/decoders/ffmpeg_decoder.h"

#include "recorder/components/channel_layout.h"
#include "recorder/components/decoders/vox_decoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstring>
#include <strings.h>

namespace recorder {

namespace {

std::string codecName(const AVCodecParameters* p)
{
    switch (p->codec_id) {
    case AV_CODEC_ID_MP3: return "MP3";
    case AV_CODEC_ID_MP2: return "MP2";
    case AV_CODEC_ID_AAC: return "AAC";
    case AV_CODEC_ID_AC3: return "AC3";
    case AV_CODEC_ID_VORBIS: return "Ogg Vorbis";
    case AV_CODEC_ID_OPUS: return "Opus";
    case AV_CODEC_ID_FLAC: return "FLAC";
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_F32LE: return "PCM";
    case AV_CODEC_ID_PCM_MULAW: return "G.711 \xC2\xB5-law";
    case AV_CODEC_ID_PCM_ALAW: return "G.711 A-law";
    case AV_CODEC_ID_ADPCM_IMA_WAV: return "IMA ADPCM";
    case AV_CODEC_ID_ADPCM_MS: return "MS ADPCM";
    case AV_CODEC_ID_GSM_MS:
    case AV_CODEC_ID_GSM: return "GSM 6.10";
    case AV_CODEC_ID_ADPCM_G726:
    case AV_CODEC_ID_ADPCM_G726LE: return "G.726 ADPCM";
    case AV_CODEC_ID_G729: return "G.729";
    default: break;
    }
    const AVCodecDescriptor* d = avcodec_descriptor_get(p->codec_id);
    return d ? d->long_name : "Unknown codec";
}

bool hasExtension(const std::string& path, const char* ext)
{
    const auto dot = path.rfind('.');
    return dot != std::string::npos && strcasecmp(path.c_str() + dot + 1, ext) == 0;
}

} // namespace

std::unique_ptr<Decoder> openDecoder(const std::string& path, int voxRate, std::string& why)
{
    if (hasExtension(path, "vox")) {
        auto vox = std::make_unique<VoxDecoder>();
        if (!vox->open(path, voxRate > 0 ? voxRate : 8000, why)) return nullptr;
        return vox;
    }
    auto ff = std::make_unique<FfmpegDecoder>();
    if (!ff->open(path, why)) return nullptr;
    return ff;
}

bool FfmpegDecoder::open(const std::string& path, std::string& why)
{
    if (!frame_ || !packet_) {
        why = "Out of memory.";
        return false;
    }
    av_log_set_level(AV_LOG_FATAL); // damaged frames are skipped, not reported on stderr
    AVFormatContext* raw = nullptr;
    int err = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (err < 0) {
        why = "Cannot open " + path + ": " + ff::errorText(err);
        return false;
    }
    input_.reset(raw);
    err = avformat_find_stream_info(input_.get(), nullptr);
    if (err < 0) {
        why = "Cannot read " + path + ": " + ff::errorText(err);
        return false;
    }
    const AVCodec* codec = nullptr;
    stream_ = av_find_best_stream(input_.get(), AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (stream_ < 0 || !codec) {
        why = path + " holds no audio this program can decode.";
        return false;
    }
    AVStream* st = input_->streams[stream_];
    codec_.reset(avcodec_alloc_context3(codec));
    if (!codec_ || avcodec_parameters_to_context(codec_.get(), st->codecpar) < 0) {
        why = "Out of memory.";
        return false;
    }
    err = avcodec_open2(codec_.get(), codec, nullptr);
    if (err < 0 || codec_->sample_rate <= 0 || codec_->ch_layout.nb_channels <= 0) {
        why = "Cannot decode " + path + (err < 0 ? ": " + ff::errorText(err) : std::string());
        return false;
    }
    for (unsigned i = 0; i < input_->nb_streams; ++i)
        if (static_cast<int>(i) != stream_) input_->streams[i]->discard = AVDISCARD_ALL;
    rate_ = codec_->sample_rate;
    channels_ = codec_->ch_layout.nb_channels;

    if (st->duration != AV_NOPTS_VALUE && st->duration > 0)
        totalFrames_ = av_rescale_q(st->duration, st->time_base, AVRational{1, rate_});
    else if (input_->duration != AV_NOPTS_VALUE && input_->duration > 0)
        totalFrames_ = av_rescale_q(input_->duration, AV_TIME_BASE_Q, AVRational{1, rate_});
    else
        totalFrames_ = countFrames();

    const std::int64_t bitRate = st->codecpar->bit_rate > 0 ? st->codecpar->bit_rate : input_->bit_rate;
    description_ = codecName(st->codecpar) + ", " + std::to_string(rate_) + " Hz, ";
    if (st->codecpar->codec_id == AV_CODEC_ID_PCM_S16LE || bitRate <= 0)
        description_ += std::to_string(std::max(16, st->codecpar->bits_per_coded_sample)) + " bit, ";
    else
        description_ += std::to_string((bitRate + 500) / 1000) + " kbit/s, ";
    description_ += channelsText(channels_);
    return true;
}

std::int64_t FfmpegDecoder::countFrames()
{
    std::int64_t frames = 0;
    while (decodeMore()) {
        frames += static_cast<std::int64_t>(pending_.size() / static_cast<std::size_t>(channels_));
        pending_.clear();
    }
    if (!seek(0)) return -1;
    return frames;
}

bool FfmpegDecoder::decodeMore()
{
    pending_.clear();
    pendingUsed_ = 0;
    while (!drained_) {
        int err = avcodec_receive_frame(codec_.get(), frame_.get());
        if (err == 0) {
            AVFrame* f = frame_.get();
            if (!swr_) {
                SwrContext* s = nullptr;
                if (swr_alloc_set_opts2(&s, &f->ch_layout, AV_SAMPLE_FMT_S16, rate_, &f->ch_layout,
                                        static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr) < 0 ||
                    swr_init(s) < 0) {
                    swr_free(&s);
                    drained_ = true;
                    return false;
                }
                swr_.reset(s);
            }
            const int outMax = swr_get_out_samples(swr_.get(), f->nb_samples);
            pending_.resize(static_cast<std::size_t>(std::max(outMax, 0)) * static_cast<std::size_t>(channels_));
            auto* out = reinterpret_cast<std::uint8_t*>(pending_.data());
            const int got = swr_convert(swr_.get(), &out, outMax, const_cast<const std::uint8_t**>(f->extended_data),
                                        f->nb_samples);
            std::int64_t start = decodedUpTo_;
            if (f->best_effort_timestamp != AV_NOPTS_VALUE && dropUntil_ >= 0) {
                const AVStream* st = input_->streams[stream_];
                const std::int64_t origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
                start = av_rescale_q(f->best_effort_timestamp - origin, st->time_base, AVRational{1, rate_});
            }
            av_frame_unref(f);
            pending_.resize(static_cast<std::size_t>(std::max(got, 0)) * static_cast<std::size_t>(channels_));
            if (dropUntil_ >= 0) {
                // The first frames after a seek tell where the decoder really is.
                const std::int64_t skip = std::clamp<std::int64_t>(dropUntil_ - start, 0, got);
                pendingUsed_ = static_cast<std::size_t>(skip) * static_cast<std::size_t>(channels_);
                decodedUpTo_ = start + got;
                if (start + got > dropUntil_) dropUntil_ = -1;
                if (pendingUsed_ >= pending_.size()) continue;
            } else {
                decodedUpTo_ += got;
            }
            if (!pending_.empty()) return true;
            continue;
        }
        if (err == AVERROR_EOF) {
            drained_ = true;
            return false;
        }
        if (err != AVERROR(EAGAIN)) {
            // A damaged frame: skip it and go on with the next packet.
        }
        if (sentEof_) {
            drained_ = true;
            return false;
        }
        err = av_read_frame(input_.get(), packet_.get());
        if (err < 0) {
            avcodec_send_packet(codec_.get(), nullptr);
            sentEof_ = true;
            continue;
        }
        if (packet_->stream_index == stream_) avcodec_send_packet(codec_.get(), packet_.get());
        av_packet_unref(packet_.get());
    }
    return false;
}

std::size_t FfmpegDecoder::read(std::int16_t* out, std::size_t frames)
{
    const auto ch = static_cast<std::size_t>(channels_);
    std::size_t done = 0;
    while (done < frames) {
        if (pendingUsed_ >= pending_.size() && !decodeMore()) break;
        const std::size_t take = std::min((pending_.size() - pendingUsed_) / ch, frames - done);
        std::memcpy(out + done * ch, pending_.data() + pendingUsed_, take * ch * sizeof(std::int16_t));
        pendingUsed_ += take * ch;
        done += take;
    }
    return done;
}

bool FfmpegDecoder::seek(std::int64_t frame)
{
    frame = std::max<std::int64_t>(frame, 0);
    if (totalFrames_ >= 0) frame = std::min(frame, totalFrames_);
    AVStream* st = input_->streams[stream_];
    const std::int64_t ts = av_rescale_q(frame, AVRational{1, rate_}, st->time_base);
    const std::int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    int err = avformat_seek_file(input_.get(), stream_, INT64_MIN, start + ts, start + ts, AVSEEK_FLAG_BACKWARD);
    if (err < 0 && frame == 0) err = avformat_seek_file(input_.get(), stream_, INT64_MIN, 0, 0, AVSEEK_FLAG_BYTE);
    if (err < 0) return false;
    avcodec_flush_buffers(codec_.get());
    if (swr_) swr_init(swr_.get());
    pending_.clear();
    pendingUsed_ = 0;
    drained_ = sentEof_ = false;
    dropUntil_ = frame;
    decodedUpTo_ = 0;
    return true;
}

} // namespace recorder
