#include "recorder/wavein/tests/fake_mixer_layer.h"

#include <algorithm>

namespace fake {

using namespace mixer;

namespace {

// Line ids: destination d is d; source s of destination d is ((s + 1) << 16) | d.
std::uint32_t sourceLineId(std::uint32_t d, std::uint32_t s) { return ((s + 1) << 16) | d; }

class Mixer final : public mixer::Mixer {
public:
    Mixer(std::shared_ptr<State> state, std::uint32_t device) : state_(std::move(state)), device_(device) {}

    std::optional<std::uint32_t> destinationCount() override
    {
        if (state_->gone) return std::nullopt;
        return static_cast<std::uint32_t>(device().destinations.size());
    }

    std::optional<LineInfo> destinationLine(std::uint32_t d) override
    {
        if (state_->gone || d >= device().destinations.size()) return std::nullopt;
        const auto& dest = device().destinations[d];
        LineInfo line;
        line.destination = d;
        line.lineId = d;
        line.componentType = dest.componentType;
        line.channels = 2;
        line.connections = static_cast<std::uint32_t>(dest.sources.size());
        line.name = dest.name;
        return line;
    }

    std::optional<LineInfo> sourceLine(std::uint32_t d, std::uint32_t s) override
    {
        if (state_->gone || d >= device().destinations.size()) return std::nullopt;
        const auto& dest = device().destinations[d];
        if (s >= dest.sources.size()) return std::nullopt;
        LineInfo line;
        line.destination = d;
        line.source = s;
        line.lineId = sourceLineId(d, s);
        line.componentType = dest.sources[s].componentType;
        line.channels = dest.sources[s].channels;
        line.name = dest.sources[s].name;
        return line;
    }

    std::optional<LineInfo> lineByComponentType(std::uint32_t type) override
    {
        if (state_->gone) return std::nullopt;
        for (std::uint32_t d = 0; d < device().destinations.size(); ++d)
            if (device().destinations[d].componentType == type) return destinationLine(d);
        return std::nullopt;
    }

    std::optional<ControlInfo> lineControl(std::uint32_t lineId, std::uint32_t type) override
    {
        if (state_->gone) return std::nullopt;
        const std::uint32_t d = lineId & 0xFFFF, s = lineId >> 16;
        if (d >= device().destinations.size()) return std::nullopt;
        auto& dest = device().destinations[d];
        if (s == 0) {
            if (type != control::kMultiplexer || !dest.hasMultiplexer) return std::nullopt;
            auto items = dest.multiplexerItems ? dest.multiplexerItems : std::uint32_t(dest.sources.size());
            return ControlInfo{1, dest.multiplexerType, lineId, items};
        }
        if (s - 1 >= dest.sources.size() || type != control::kVolume || !dest.sources[s - 1].hasVolume)
            return std::nullopt;
        return ControlInfo{0x100 + s, control::kVolume, lineId, 0};
    }

    std::optional<std::vector<std::uint32_t>> controlValues(const ControlInfo& c, std::uint32_t channels) override
    {
        if (state_->gone) return std::nullopt;
        const std::uint32_t d = c.lineId & 0xFFFF, s = c.lineId >> 16;
        auto& dest = device().destinations[d];
        if (s == 0) return dest.multiplexer;
        auto values = dest.sources[s - 1].volume;
        values.resize(channels, values.empty() ? 0 : values.back());
        return values;
    }

    bool setControlValues(const ControlInfo& c, const std::vector<std::uint32_t>& values) override
    {
        if (state_->gone) return false;
        const std::uint32_t d = c.lineId & 0xFFFF, s = c.lineId >> 16;
        auto& dest = device().destinations[d];
        if (s == 0) {
            dest.multiplexer = values;
            ++dest.multiplexerWrites;
        } else {
            dest.sources[s - 1].volume = values;
        }
        return true;
    }

    std::unique_ptr<RecordStream> openRecord(const WaveFormat& format, RecordStream::BufferDone done) override
    {
        if (state_->gone || !state_->streamOpens) return nullptr;
        return std::make_unique<Stream>(*state_, format, std::move(done));
    }

private:
    Device& device() { return state_->devices[device_]; }
    std::shared_ptr<State> state_;
    std::uint32_t device_;
};

} // namespace

Device soundCard(std::string name)
{
    Device card;
    card.name = std::move(name);
    Destination speakers;
    speakers.name = "Volume Control";
    speakers.componentType = 4; // speakers
    speakers.sources = {{"Wave", component::kSrcWaveOut}};
    speakers.hasMultiplexer = false;
    Destination recording;
    recording.name = "Recording Control";
    recording.sources = {{"Microphone", component::kSrcMicrophone, 1, true, {30000}},
                         {"Line In", component::kSrcLine, 2, true, {20000, 20000}},
                         {"CD", component::kSrcCompactDisc, 2, true, {10000, 10000}}};
    recording.multiplexer = {0, 1, 0}; // CD, Line In, Microphone: Line In
    card.destinations = {speakers, recording};
    return card;
}

Stream::Stream(State& state, mixer::WaveFormat format, BufferDone done)
    : state_(state), format_(format), done_(std::move(done))
{
    state_.stream = this;
}

Stream::~Stream()
{
    if (state_.stream == this) state_.stream = nullptr;
    ++state_.streamsClosed;
}

bool Stream::addBuffer(mixer::WaveBuffer& buffer)
{
    if (failed_ || buffer.length == 0 || buffer.length % format_.blockAlign() != 0) return false;
    buffer.bytesRecorded = 0;
    queue_.push_back(&buffer);
    fill();
    return true;
}

bool Stream::start()
{
    started_ = !failed_;
    return started_;
}

bool Stream::stop()
{
    started_ = false;
    if (!queue_.empty() && queue_.front()->bytesRecorded > 0) handBackFront();
    return !failed_;
}

std::size_t Stream::pendingBytes() { return failed_ ? 0 : pending_.size(); }

bool Stream::reset()
{
    started_ = false;
    while (!queue_.empty()) handBackFront();
    pending_.clear();
    return true;
}

void Stream::capture(const std::vector<std::int16_t>& samples)
{
    const auto* bytes = reinterpret_cast<const std::byte*>(samples.data());
    pending_.insert(pending_.end(), bytes, bytes + samples.size() * 2);
    fill();
}

void Stream::fail()
{
    failed_ = true;
    pending_.clear();
    if (!queue_.empty() && queue_.front()->bytesRecorded > 0) handBackFront();
}

void Stream::fill()
{
    while (!queue_.empty() && !pending_.empty()) {
        auto& b = *queue_.front();
        const std::size_t take = std::min<std::size_t>(pending_.size(), b.length - b.bytesRecorded);
        std::copy_n(pending_.begin(), take, b.data + b.bytesRecorded);
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(take));
        b.bytesRecorded += static_cast<std::uint32_t>(take);
        if (b.bytesRecorded == b.length) handBackFront();
    }
}

void Stream::handBackFront()
{
    auto* b = queue_.front();
    queue_.pop_front();
    done_(*b);
}

std::uint32_t Layer::deviceCount() { return state_->gone ? 0 : static_cast<std::uint32_t>(state_->devices.size()); }

std::optional<std::string> Layer::deviceName(std::uint32_t device)
{
    if (state_->gone || device >= state_->devices.size()) return std::nullopt;
    return state_->devices[device].name;
}

std::unique_ptr<mixer::Mixer> Layer::openMixer(std::uint32_t device)
{
    if (state_->gone || device >= state_->devices.size() || !state_->devices[device].opens) return nullptr;
    return std::make_unique<Mixer>(state_, device);
}

} // namespace fake
