#pragma once
// A libavfilter graph that runs a filter chain over interleaved signed 16-bit
// audio: abuffer (s16) -> chain -> aformat (s16, same rate and layout) ->
// abuffersink.
//
// Contract:
// - create() parses the chain text as `ffmpeg -af` does and configures the
//   graph for the given rate and channel count; an empty chain passes audio
//   through unchanged. On failure it returns null and `why` holds the step
//   and FFmpeg's reason ("filter chain: Invalid argument"); nothing is left
//   allocated.
// - process() takes whole frames and appends to `out` every frame the graph
//   gives back for them (zero-latency chains give all of them at once). The
//   timestamps are counted by the graph, so blocks of any length may follow
//   each other.
// - flush() ends the stream and appends what the graph still held. After it,
//   or after any failure, the graph takes no more audio (process and flush
//   return false).
// - Runs on one thread: the work per block is small, and the recording path
//   should not wake other cores for it.
// Not thread-safe; one graph per recording.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace recorder {

class RecordFilterGraph {
public:
    static std::unique_ptr<RecordFilterGraph> create(int sampleRate, int channels, const std::string& chain,
                                                     std::string& why);
    ~RecordFilterGraph();
    RecordFilterGraph(const RecordFilterGraph&) = delete;
    RecordFilterGraph& operator=(const RecordFilterGraph&) = delete;

    // `in` holds interleaved frames (a trailing partial frame is ignored).
    bool process(std::span<const std::int16_t> in, std::vector<std::int16_t>& out, std::string& why);
    bool flush(std::vector<std::int16_t>& out, std::string& why);

    int sampleRate() const { return sampleRate_; }
    int channels() const { return channels_; }

    struct Handles;

private:
    RecordFilterGraph(std::unique_ptr<Handles> handles, int sampleRate, int channels);
    bool drain(std::vector<std::int16_t>& out, std::string& why);

    std::unique_ptr<Handles> h_;
    int sampleRate_;
    int channels_;
    std::int64_t nextPts_ = 0;
    bool ended_ = false;
};

} // namespace recorder
