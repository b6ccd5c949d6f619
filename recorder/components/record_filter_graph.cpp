#include "recorder/components/record_filter_graph.h"

#include "recorder/components/encoders/ffmpeg_handles.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/samplefmt.h>
}

#include <climits>
#include <cstring>

namespace recorder {

namespace {

struct GraphDeleter {
    void operator()(AVFilterGraph* g) const { avfilter_graph_free(&g); }
};
struct InOutDeleter {
    void operator()(AVFilterInOut* io) const { avfilter_inout_free(&io); }
};
using GraphPtr = std::unique_ptr<AVFilterGraph, GraphDeleter>;
using InOutPtr = std::unique_ptr<AVFilterInOut, InOutDeleter>;

// Owns the layout's allocation (only custom layouts have one).
struct Layout {
    AVChannelLayout value{};
    ~Layout() { av_channel_layout_uninit(&value); }
};

std::string failure(const std::string& step, int code) { return step + ": " + ff::errorText(code); }

} // namespace

struct RecordFilterGraph::Handles {
    GraphPtr graph;
    AVFilterContext* source = nullptr; // owned by graph
    AVFilterContext* sink = nullptr;   // owned by graph
    Layout layout;
    ff::Frame received;
};

std::unique_ptr<RecordFilterGraph> RecordFilterGraph::create(int sampleRate, int channels, const std::string& chain,
                                                             std::string& why)
{
    if (sampleRate <= 0 || channels <= 0 || channels > 8) {
        why = "no filters for " + std::to_string(sampleRate) + " Hz with " + std::to_string(channels) + " channels";
        return nullptr;
    }
    auto h = std::make_unique<Handles>();
    av_channel_layout_default(&h->layout.value, channels);
    char layoutName[64] = {};
    int ret = av_channel_layout_describe(&h->layout.value, layoutName, sizeof layoutName);
    if (ret < 0) {
        why = failure("channel layout", ret);
        return nullptr;
    }

    h->graph.reset(avfilter_graph_alloc());
    h->received.reset(av_frame_alloc());
    InOutPtr outputs(avfilter_inout_alloc());
    InOutPtr inputs(avfilter_inout_alloc());
    if (!h->graph || !h->received || !outputs || !inputs) {
        why = failure("allocation", AVERROR(ENOMEM));
        return nullptr;
    }
    h->graph->nb_threads = 1;

    const std::string sourceArgs = "sample_rate=" + std::to_string(sampleRate) + ":sample_fmt=s16:channel_layout=" +
                                   layoutName + ":time_base=1/" + std::to_string(sampleRate);
    ret = avfilter_graph_create_filter(&h->source, avfilter_get_by_name("abuffer"), "in", sourceArgs.c_str(), nullptr,
                                       h->graph.get());
    if (ret < 0) {
        why = failure("audio source", ret);
        return nullptr;
    }
    ret = avfilter_graph_create_filter(&h->sink, avfilter_get_by_name("abuffersink"), "out", nullptr, nullptr,
                                       h->graph.get());
    if (ret < 0) {
        why = failure("audio sink", ret);
        return nullptr;
    }

    // The chain's own text, then the way back to the source's format.
    const std::string text = (chain.empty() ? std::string("anull") : chain) +
                             ",aformat=sample_fmts=s16:sample_rates=" + std::to_string(sampleRate) +
                             ":channel_layouts=" + layoutName;
    outputs->name = av_strdup("in");
    outputs->filter_ctx = h->source;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = h->sink;
    if (!outputs->name || !inputs->name) {
        why = failure("allocation", AVERROR(ENOMEM));
        return nullptr;
    }
    AVFilterInOut* in = inputs.release();
    AVFilterInOut* out = outputs.release();
    ret = avfilter_graph_parse_ptr(h->graph.get(), text.c_str(), &in, &out, nullptr);
    // Whatever parsing left unlinked comes back in these; free it on every path.
    inputs.reset(in);
    outputs.reset(out);
    if (ret < 0) {
        why = failure("filter chain", ret);
        return nullptr;
    }
    ret = avfilter_graph_config(h->graph.get(), nullptr);
    if (ret < 0) {
        why = failure("filter graph", ret);
        return nullptr;
    }
    return std::unique_ptr<RecordFilterGraph>(new RecordFilterGraph(std::move(h), sampleRate, channels));
}

RecordFilterGraph::RecordFilterGraph(std::unique_ptr<Handles> handles, int sampleRate, int channels)
    : h_(std::move(handles)), sampleRate_(sampleRate), channels_(channels)
{
}

RecordFilterGraph::~RecordFilterGraph() = default;

bool RecordFilterGraph::process(std::span<const std::int16_t> in, std::vector<std::int16_t>& out, std::string& why)
{
    if (ended_) {
        why = "the filters have already ended";
        return false;
    }
    const std::size_t frames = in.size() / static_cast<std::size_t>(channels_);
    if (frames == 0) return true;
    if (frames > static_cast<std::size_t>(INT_MAX)) {
        ended_ = true;
        why = "audio block too long for the filters";
        return false;
    }

    ff::Frame frame(av_frame_alloc());
    int ret = frame ? 0 : AVERROR(ENOMEM);
    if (ret >= 0) {
        frame->format = AV_SAMPLE_FMT_S16;
        frame->sample_rate = sampleRate_;
        frame->nb_samples = static_cast<int>(frames);
        frame->pts = nextPts_;
        ret = av_channel_layout_copy(&frame->ch_layout, &h_->layout.value);
    }
    if (ret >= 0) ret = av_frame_get_buffer(frame.get(), 0);
    if (ret >= 0) {
        std::memcpy(frame->data[0], in.data(), frames * static_cast<std::size_t>(channels_) * sizeof(std::int16_t));
        ret = av_buffersrc_add_frame_flags(h_->source, frame.get(), 0);
    }
    if (ret < 0) {
        ended_ = true;
        why = failure("audio block", ret);
        return false;
    }
    nextPts_ += static_cast<std::int64_t>(frames);
    return drain(out, why);
}

bool RecordFilterGraph::flush(std::vector<std::int16_t>& out, std::string& why)
{
    if (ended_) {
        why = "the filters have already ended";
        return false;
    }
    ended_ = true;
    const int ret = av_buffersrc_add_frame_flags(h_->source, nullptr, 0);
    if (ret < 0) {
        why = failure("end of stream", ret);
        return false;
    }
    return drain(out, why);
}

bool RecordFilterGraph::drain(std::vector<std::int16_t>& out, std::string& why)
{
    AVFrame* f = h_->received.get();
    for (;;) {
        const int ret = av_buffersink_get_frame(h_->sink, f);
        if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return true;
        if (ret < 0) {
            ended_ = true;
            why = failure("filtered audio", ret);
            return false;
        }
        const bool shaped = f->format == AV_SAMPLE_FMT_S16 && f->ch_layout.nb_channels == channels_;
        if (shaped) {
            const auto* samples = reinterpret_cast<const std::int16_t*>(f->data[0]);
            out.insert(out.end(), samples, samples + static_cast<std::size_t>(f->nb_samples) * channels_);
        }
        av_frame_unref(f);
        if (!shaped) {
            ended_ = true;
            why = "the filters gave audio in another format";
            return false;
        }
    }
}

} // namespace recorder
