#include "recorder/components/encoders/ffmpeg_muxed_encoder.h"

#include "recorder/components/channel_layout.h"

namespace recorder {

namespace {

ff::CodecSetup setupFor(const OutputFormat& f)
{
    ff::CodecSetup s;
    s.sampleRate = f.sampleRate;
    s.channels = f.channels;
    if (auto layout = channelLayout(f.layout)) s.channelMask = layout->mask;
    s.bitRate = static_cast<std::int64_t>(f.bitrate) * 1000;
    if (f.codec == Codec::Ac3) {
        s.encoder = "ac3";
    } else {
        s.encoder = "aac";
        s.profile = f.aacObjectType == 1 ? FF_PROFILE_AAC_MAIN
                  : f.aacObjectType == 4 ? FF_PROFILE_AAC_LTP
                                         : FF_PROFILE_AAC_LOW;
        s.experimental = f.aacObjectType == 4;
        s.options.emplace_back("aac_coder", f.aacQuality < 100 ? "fast" : "twoloop");
    }
    return s;
}

int writeCallback(void* opaque, std::uint8_t* buf, int size)
{
    auto* file = static_cast<OutputFile*>(opaque);
    return file->write(buf, static_cast<std::size_t>(size)) ? size : AVERROR(EIO);
}

} // namespace

FfmpegMuxedEncoder::~FfmpegMuxedEncoder() = default;

bool FfmpegMuxedEncoder::check(const OutputFormat& format, int& bitrate, std::string& why)
{
    ff::AudioEncoder probe;
    if (!probe.open(setupFor(format), why)) return false;
    bitrate = static_cast<int>((probe.context()->bit_rate + 500) / 1000);
    return true;
}

bool FfmpegMuxedEncoder::open(const std::string& path)
{
    std::string why;
    if (!packet_) return fail("Out of memory.");
    if (!codec_.open(setupFor(format_), why)) return fail(why);
    if (!file_.create(path)) return fail(file_.error());

    const char* muxer = format_.codec == Codec::Ac3 ? "ac3" : "adts";
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, muxer, nullptr) < 0 || !raw) return fail("Out of memory.");
    mux_.reset(raw);
    constexpr int kIoBuffer = 64 * 1024;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBuffer));
    if (!buffer) return fail("Out of memory.");
    io_.reset(avio_alloc_context(buffer, kIoBuffer, 1, &file_, nullptr, writeCallback, nullptr));
    if (!io_) {
        av_free(buffer);
        return fail("Out of memory.");
    }
    mux_->pb = io_.get();
    mux_->flags |= AVFMT_FLAG_CUSTOM_IO;
    mux_->flush_packets = 0; // flushToDisk() ends each block on the disk
    stream_ = avformat_new_stream(mux_.get(), nullptr);
    if (!stream_) return fail("Out of memory.");
    int err = avcodec_parameters_from_context(stream_->codecpar, codec_.context());
    if (err < 0) return fail("Cannot set up " + path + " (" + ff::errorText(err) + ").");
    stream_->time_base = codec_.context()->time_base;
    err = avformat_write_header(mux_.get(), nullptr);
    if (err < 0) return fail(file_.failed() ? file_.error() : "Cannot start " + path + " (" + ff::errorText(err) + ").");
    headerWritten_ = true;
    if (!flushToDisk()) return false;
    return true;
}

bool FfmpegMuxedEncoder::writePacket(const AVPacket& p)
{
    if (av_packet_ref(packet_.get(), &p) < 0) return fail("Out of memory.");
    packet_->stream_index = stream_->index;
    av_packet_rescale_ts(packet_.get(), codec_.context()->time_base, stream_->time_base);
    const int err = av_write_frame(mux_.get(), packet_.get());
    av_packet_unref(packet_.get());
    if (err < 0 || file_.failed())
        return fail(file_.failed() ? file_.error() : "Cannot write " + file_.path() + " (" + ff::errorText(err) + ").");
    return true;
}

bool FfmpegMuxedEncoder::flushToDisk()
{
    avio_flush(io_.get());
    if (file_.failed() || io_->error < 0) return fail(file_.failed() ? file_.error() : "Cannot write " + file_.path());
    if (!file_.sync()) return fail(file_.error());
    return true;
}

bool FfmpegMuxedEncoder::write(std::span<const std::int16_t> pcm)
{
    if (!error_.empty()) return false;
    std::string why;
    if (!codec_.encode(pcm, [this](const AVPacket& p) { return writePacket(p); }, why))
        return error_.empty() ? fail(why) : false;
    return flushToDisk();
}

bool FfmpegMuxedEncoder::finish()
{
    bool ok = error_.empty() && headerWritten_;
    std::string why;
    if (ok && !codec_.flush([this](const AVPacket& p) { return writePacket(p); }, why))
        ok = error_.empty() ? fail(why) : false;
    if (ok && av_write_trailer(mux_.get()) < 0) ok = fail(file_.failed() ? file_.error() : "Cannot finish " + file_.path());
    if (ok) ok = flushToDisk();
    if (io_) avio_flush(io_.get());
    if (!file_.close() && ok) ok = fail(file_.error());
    return ok && error_.empty();
}

} // namespace recorder
