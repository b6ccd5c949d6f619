#pragma once
// A mixer layer in memory, shaped like a sound card's recording mixer, for
// what the test machine lacks: several input lines with a multiplexer, and a
// record stream the test fills by hand.

#include "platform/mixer/mixer_layer.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace fake {

struct Line {
    std::string name;
    std::uint32_t componentType = mixer::component::kSrcUndefined;
    std::uint32_t channels = 2;
    bool hasVolume = true;
    std::vector<std::uint32_t> volume = std::vector<std::uint32_t>(2, 0);
};

struct Destination {
    std::string name;
    std::uint32_t componentType = mixer::component::kDstWaveIn;
    std::vector<Line> sources;
    bool hasMultiplexer = true;
    std::uint32_t multiplexerType = mixer::control::kMultiplexer;
    std::uint32_t multiplexerItems = 0; // 0: one item per source
    std::vector<std::uint32_t> multiplexer; // item k is source (count − 1 − k)
    int multiplexerWrites = 0;
};

struct Device {
    std::string name;
    std::vector<Destination> destinations;
    bool opens = true;
};

class Stream;

struct State {
    std::vector<Device> devices;
    bool gone = false; // as a vanished server: every call fails
    bool streamOpens = true;
    Stream* stream = nullptr; // the open record stream, if any
    int streamsClosed = 0;
};

// Microphone, Line In and CD as sources 0, 1, 2 of a stereo wave-in
// destination, Line In selected; the destination comes after a playback one.
Device soundCard(std::string name = "Fake Sound Card");

class Stream final : public mixer::RecordStream {
public:
    Stream(State& state, mixer::WaveFormat format, BufferDone done);
    ~Stream() override;

    bool addBuffer(mixer::WaveBuffer& buffer) override;
    bool start() override;
    bool stop() override;
    std::size_t pendingBytes() override;
    bool reset() override;
    bool failed() override { return failed_; }

    // Audio arrives: fills lent buffers in order, keeps the rest pending.
    void capture(const std::vector<std::int16_t>& samples);
    // The device goes away: the partly filled buffer comes back.
    void fail();
    std::size_t lent() const { return queue_.size(); }
    bool started() const { return started_; }
    mixer::WaveFormat format() const { return format_; }

private:
    void fill();
    void handBackFront();
    State& state_;
    mixer::WaveFormat format_;
    BufferDone done_;
    std::deque<mixer::WaveBuffer*> queue_;
    std::deque<std::byte> pending_;
    bool started_ = false, failed_ = false;
};

class Layer final : public mixer::MixerLayer {
public:
    explicit Layer(std::shared_ptr<State> state) : state_(std::move(state)) {}
    std::uint32_t deviceCount() override;
    std::optional<std::string> deviceName(std::uint32_t device) override;
    std::unique_ptr<mixer::Mixer> openMixer(std::uint32_t device) override;

private:
    std::shared_ptr<State> state_;
};

} // namespace fake
