#pragma once
// Owning handles for FFmpeg objects, one deleter each.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
}

#include <memory>
#include <string>

namespace recorder::ff {

struct CodecContextFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
};
// An input opened by avformat_open_input.
struct InputClose {
    void operator()(AVFormatContext* f) const { avformat_close_input(&f); }
};
// An output made by avformat_alloc_output_context2 (its I/O is owned elsewhere).
struct OutputFree {
    void operator()(AVFormatContext* f) const { avformat_free_context(f); }
};
struct IoContextFree {
    void operator()(AVIOContext* io) const
    {
        if (io) av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
struct DictionaryFree {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;
using Frame = std::unique_ptr<AVFrame, FrameFree>;
using Packet = std::unique_ptr<AVPacket, PacketFree>;
using Resampler = std::unique_ptr<SwrContext, SwrFree>;
using Input = std::unique_ptr<AVFormatContext, InputClose>;
using Output = std::unique_ptr<AVFormatContext, OutputFree>;
using IoContext = std::unique_ptr<AVIOContext, IoContextFree>;

inline std::string errorText(int err)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(err, buf, sizeof buf);
    return buf;
}

} // namespace recorder::ff
