#include "platform/mixer/pulse_mixer_layer.h"

#include "platform/mixer/pulse_ports.h"
#include "platform/mixer/pulse_record_stream.h"
#include "platform/mixer/volume_units.h"
#include "platform/pulse/source_queries.h"

namespace mixer {

namespace {

// Line and control identifiers: the destination line is 0, source line s is
// (s + 1) << 16; the multiplexer is control 1, the volume of line s 0x100 + s.
constexpr std::uint32_t kDestinationLineId = 0;
constexpr std::uint32_t kMultiplexerId = 1;
constexpr std::uint32_t kVolumeIdBase = 0x100;

constexpr std::uint32_t sourceLineId(std::uint32_t source) { return (source + 1) << 16; }

std::optional<std::uint32_t> sourceOfLineId(std::uint32_t lineId)
{
    if (lineId == kDestinationLineId || (lineId & 0xFFFF) != 0) return std::nullopt;
    return (lineId >> 16) - 1;
}

class PulseMixer final : public Mixer {
public:
    PulseMixer(std::shared_ptr<pulse::ServerConnection> connection, std::string source, std::chrono::milliseconds timeout)
        : connection_(std::move(connection)), source_(std::move(source)), timeout_(timeout)
    {
    }

    std::optional<std::uint32_t> destinationCount() override
    {
        if (!sourceInfo()) return std::nullopt;
        return 1;
    }

    std::optional<LineInfo> destinationLine(std::uint32_t destination) override
    {
        auto info = sourceInfo();
        if (!info || destination != 0) return std::nullopt;
        return destinationOf(*info);
    }

    std::optional<LineInfo> sourceLine(std::uint32_t destination, std::uint32_t source) override
    {
        auto info = sourceInfo();
        if (!info || destination != 0 || source >= pulseports::lineCount(*info)) return std::nullopt;
        return sourceOf(*info, source);
    }

    std::optional<LineInfo> lineByComponentType(std::uint32_t componentType) override
    {
        auto info = sourceInfo();
        if (!info) return std::nullopt;
        if (componentType == component::kDstWaveIn) return destinationOf(*info);
        for (std::uint32_t s = 0; s < pulseports::lineCount(*info); ++s)
            if (pulseports::lineComponentType(*info, s) == componentType) return sourceOf(*info, s);
        return std::nullopt;
    }

    std::optional<ControlInfo> lineControl(std::uint32_t lineId, std::uint32_t controlType) override
    {
        auto info = sourceInfo();
        if (!info) return std::nullopt;
        if (lineId == kDestinationLineId && controlType == control::kMultiplexer)
            return ControlInfo{kMultiplexerId, control::kMultiplexer, lineId, pulseports::lineCount(*info)};
        // Every line's volume is the source's: the server keeps it for the active port.
        auto source = sourceOfLineId(lineId);
        if (source && *source < pulseports::lineCount(*info) && controlType == control::kVolume)
            return ControlInfo{kVolumeIdBase + *source, control::kVolume, lineId, 0};
        return std::nullopt;
    }

    std::optional<std::vector<std::uint32_t>> controlValues(const ControlInfo& c, std::uint32_t channels) override
    {
        auto info = sourceInfo();
        if (!info) return std::nullopt;
        if (c.type == control::kMultiplexer) return pulseports::multiplexerValues(*info);
        if (c.type != control::kVolume || info->volume.empty()) return std::nullopt;
        if (channels == 0) channels = static_cast<std::uint32_t>(info->volume.size());
        std::vector<std::uint32_t> values(channels);
        for (std::uint32_t ch = 0; ch < channels; ++ch)
            values[ch] = fromPulseVolume(info->volume[std::min<std::size_t>(ch, info->volume.size() - 1)]);
        return values;
    }

    bool setControlValues(const ControlInfo& c, const std::vector<std::uint32_t>& values) override
    {
        if (values.empty()) return false;
        if (c.type == control::kVolume) {
            std::vector<std::uint32_t> pulse(values.size());
            for (std::size_t ch = 0; ch < values.size(); ++ch) pulse[ch] = toPulseVolume(values[ch]);
            return pulse::setSourceVolume(*connection_, source_, pulse, timeout_);
        }
        if (c.type != control::kMultiplexer) return false;
        auto info = sourceInfo();
        if (!info) return false;
        auto port = pulseports::portForMultiplexer(*info, values);
        if (!port) return false;
        if (port->empty() || *port == info->activePort) return true;
        return pulse::setSourcePort(*connection_, source_, *port, timeout_);
    }

    std::unique_ptr<RecordStream> openRecord(const WaveFormat& format, RecordStream::BufferDone done) override
    {
        return PulseRecordStream::open(source_, format, std::move(done), timeout_);
    }

private:
    std::optional<pulse::SourceInfo> sourceInfo() { return pulse::source(*connection_, source_, timeout_); }

    static LineInfo destinationOf(const pulse::SourceInfo& info)
    {
        LineInfo line;
        line.destination = 0;
        line.lineId = kDestinationLineId;
        line.componentType = component::kDstWaveIn;
        line.channels = static_cast<std::uint32_t>(std::max(info.channels, 0));
        line.connections = pulseports::lineCount(info);
        line.name = info.description;
        return line;
    }

    static LineInfo sourceOf(const pulse::SourceInfo& info, std::uint32_t source)
    {
        LineInfo line;
        line.destination = 0;
        line.source = source;
        line.lineId = sourceLineId(source);
        line.componentType = pulseports::lineComponentType(info, source);
        line.channels = static_cast<std::uint32_t>(std::max(info.channels, 0));
        line.name = pulseports::lineName(info, source);
        return line;
    }

    std::shared_ptr<pulse::ServerConnection> connection_;
    std::string source_;
    std::chrono::milliseconds timeout_;
};

} // namespace

PulseMixerLayer::PulseMixerLayer(std::chrono::milliseconds timeout)
    : timeout_(timeout), connection_(pulse::ServerConnection::shared())
{
}

PulseMixerLayer::~PulseMixerLayer() { setDevicesChanged(nullptr); }

std::uint32_t PulseMixerLayer::deviceCount()
{
    auto sources = pulse::sources(*connection_, timeout_);
    return sources ? static_cast<std::uint32_t>(sources->size()) : 0;
}

std::optional<std::string> PulseMixerLayer::deviceName(std::uint32_t device)
{
    auto sources = pulse::sources(*connection_, timeout_);
    if (!sources || device >= sources->size()) return std::nullopt;
    return (*sources)[device].description;
}

std::vector<DeviceEntry> PulseMixerLayer::devices()
{
    std::vector<DeviceEntry> list;
    if (auto sources = pulse::sources(*connection_, timeout_))
        for (const auto& s : *sources) list.push_back({s.name, s.description});
    return list;
}

std::unique_ptr<Mixer> PulseMixerLayer::openMixer(std::uint32_t device)
{
    auto sources = pulse::sources(*connection_, timeout_);
    if (!sources || device >= sources->size()) return nullptr;
    return std::make_unique<PulseMixer>(connection_, (*sources)[device].name, timeout_);
}

void PulseMixerLayer::setDevicesChanged(std::function<void()> changed)
{
    // Unregistered first: the listener's callback must not run while it is replaced.
    connection_->removeListener(this);
    changed_ = std::move(changed);
    if (changed_) connection_->addListener(this);
}

void PulseMixerLayer::sourcesChanged()
{
    if (changed_) changed_();
}

} // namespace mixer
