#include "recorder/wavein/wave_in_recorder.h"

#include "recorder/fileutil/cut_at_nul.h"

#include "platform/mixer/pulse_mixer_layer.h"
#include "platform/mixer/volume_units.h"
#include "recorder/wavein/wave_in_capture.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t kMultiplexerMask = 0x70010001;
// A larger request is refused rather than allowed to exhaust memory.
constexpr std::int64_t kMaxBufferBytes = std::int64_t(1) << 30;

std::int32_t toLong(std::uint32_t v) { return static_cast<std::int32_t>(std::min<std::uint32_t>(v, INT32_MAX)); }

} // namespace

WaveInRecorder::WaveInRecorder() : WaveInRecorder(std::make_unique<mixer::PulseMixerLayer>()) {}

WaveInRecorder::WaveInRecorder(std::unique_ptr<mixer::MixerLayer> layer)
    : layer_(std::move(layer)), reportHookError_(hookerror::logToSystem)
{
}

WaveInRecorder::~WaveInRecorder()
{
    layer_->setDevicesChanged(nullptr);
    StopRecord();
    mixer_.reset();
}

// ---- capture ----

bool WaveInRecorder::IsRecording() const { return capture_ != nullptr; }

bool WaveInRecorder::StopRecord()
{
    // Cleared first: a GotData handler raised while stopping sees an idle object.
    if (auto capture = std::move(capture_)) capture->stop();
    return true;
}

bool WaveInRecorder::StartRecord(std::int32_t samplerate, std::int32_t channels)
{
    if (capture_ || !mixer_) return false;
    if (samplerate <= 0 || channels <= 0 || channels > std::numeric_limits<std::uint16_t>::max() / 2) return false;
    if (bufferCount_ <= 0 || bufferSize_ <= 0 || std::int64_t(bufferCount_) * bufferSize_ > kMaxBufferBytes) return false;

    auto owner = com::Apartment::current();
    if (!owner || owner->closed()) {
        if (reportHookError_) reportHookError_({"WaveInRecorder", hookerror::kSubclass, hookerror::kInvalidWindowHandle});
        return false;
    }

    mixer::WaveFormat format;
    format.channels = static_cast<std::uint16_t>(channels);
    format.samplesPerSec = static_cast<std::uint32_t>(samplerate);
    format.bitsPerSample = 16;
    capture_ = WaveInCapture::start(*mixer_, format, static_cast<std::uint32_t>(bufferCount_),
                                    static_cast<std::uint32_t>(bufferSize_), std::move(owner),
                                    [this](std::int32_t bytes, std::span<const std::int16_t> buffer) {
                                        raiseGotData(bytes, buffer);
                                    });
    return capture_ != nullptr;
}

std::int32_t WaveInRecorder::BufferCount() const { return bufferCount_; }
void WaveInRecorder::BufferCount(std::int32_t count) { bufferCount_ = count; }
std::int32_t WaveInRecorder::buffersize() const { return bufferSize_; }
void WaveInRecorder::buffersize(std::int32_t bytes) { bufferSize_ = bytes; }

void WaveInRecorder::setGotDataHandler(GotDataHandler handler) { gotData_ = std::move(handler); }

void WaveInRecorder::setHookErrorReporter(HookErrorReporter reporter) { reportHookError_ = std::move(reporter); }

void WaveInRecorder::raiseGotData(std::int32_t bytes, std::span<const std::int16_t> buffer)
{
    // A copy: the handler may replace itself.
    if (auto handler = gotData_) handler(bytes, buffer);
}

// ---- devices ----

std::int32_t WaveInRecorder::DeviceCount() { return toLong(layer_->deviceCount()); }

std::string WaveInRecorder::DeviceName(std::int32_t index)
{
    if (index < 0) return {};
    return recorder::CutAtNul(layer_->deviceName(static_cast<std::uint32_t>(index)).value_or(std::string()));
}

std::vector<mixer::DeviceEntry> WaveInRecorder::Devices()
{
    auto list = layer_->devices();
    for (auto& d : list) d.description = recorder::CutAtNul(d.description);
    return list;
}

void WaveInRecorder::setDevicesChangedHandler(std::function<void()> handler) { layer_->setDevicesChanged(std::move(handler)); }

bool WaveInRecorder::SelectDevice(std::int32_t index)
{
    if (index < 0 || index >= DeviceCount()) return false;
    selectedDevice_ = -1;
    mixer_.reset();
    mixer_ = layer_->openMixer(static_cast<std::uint32_t>(index));
    if (!mixer_) return false;
    selectedDevice_ = index;
    return true;
}

std::int32_t WaveInRecorder::SelectedDevice() const { return selectedDevice_; }

// ---- mixer lines ----

std::optional<WaveInRecorder::Destination> WaveInRecorder::recordingDestination()
{
    if (!mixer_) return std::nullopt;
    auto count = mixer_->destinationCount();
    if (!count) return std::nullopt;
    for (std::uint32_t d = 0; d < *count; ++d) {
        auto line = mixer_->destinationLine(d);
        if (line && line->componentType == mixer::component::kDstWaveIn) return Destination{d, *line};
    }
    return std::nullopt;
}

std::optional<mixer::ControlInfo> WaveInRecorder::multiplexer(const mixer::LineInfo& destination)
{
    auto c = mixer_->lineControl(destination.lineId, mixer::control::kMultiplexer);
    if (!c || (c->type & kMultiplexerMask) != kMultiplexerMask) return std::nullopt;
    return c;
}

std::int32_t WaveInRecorder::MixerLineCount()
{
    auto dest = recordingDestination();
    return dest ? toLong(dest->line.connections) : 0;
}

std::string WaveInRecorder::MixerLineName(std::int32_t index)
{
    if (index < 0) return {};
    auto dest = recordingDestination();
    if (!dest) return {};
    auto line = mixer_->sourceLine(dest->index, static_cast<std::uint32_t>(index));
    return line ? recorder::CutAtNul(line->name) : std::string();
}

std::int32_t WaveInRecorder::MixerLineType(std::int32_t index)
{
    if (index == -1) index = SelectedMixerLine();
    if (index < 0) return 0;
    auto dest = recordingDestination();
    if (!dest) return 0;
    auto line = mixer_->sourceLine(dest->index, static_cast<std::uint32_t>(index));
    return line ? toLong(line->componentType) : 0;
}

bool WaveInRecorder::SelectMixerLine(std::int32_t index)
{
    if (!mixer_) return false;
    const std::int32_t count = MixerLineCount();
    if (index < 0 || index >= count) return false;
    const auto item = static_cast<std::uint32_t>(count - 1 - index);

    auto found = mixer_->lineByComponentType(mixer::component::kDstWaveIn);
    if (!found) return false;
    auto dest = mixer_->destinationLine(found->destination);
    if (!dest) return false;
    auto mux = multiplexer(*dest);
    if (!mux) return false;
    if (mux->items <= item) return true; // a multiplexer that does not list the line: nothing to switch
    auto values = mixer_->controlValues(*mux, 1);
    if (!values) return false;
    values->resize(mux->items);
    for (std::uint32_t k = 0; k < values->size(); ++k) (*values)[k] = k == item ? 1 : 0;
    return mixer_->setControlValues(*mux, *values);
}

std::int32_t WaveInRecorder::SelectedMixerLine()
{
    const std::int32_t count = MixerLineCount();
    std::int32_t j = 0;
    if (auto dest = recordingDestination()) {
        if (auto mux = multiplexer(dest->line)) {
            if (auto values = mixer_->controlValues(*mux, 1)) {
                for (std::size_t k = values->size(); k-- > 0;)
                    if ((*values)[k] != 0) {
                        j = static_cast<std::int32_t>(std::min<std::size_t>(k, INT32_MAX));
                        break;
                    }
            }
        }
    }
    return count - 1 - j;
}

std::optional<mixer::ControlInfo> WaveInRecorder::selectedVolume(std::uint32_t& channels)
{
    auto dest = recordingDestination();
    if (!dest) return std::nullopt;
    const std::int32_t selected = SelectedMixerLine();
    if (selected < 0) return std::nullopt;
    auto line = mixer_->sourceLine(dest->index, static_cast<std::uint32_t>(selected));
    if (!line) return std::nullopt;
    channels = std::max<std::uint32_t>(line->channels, 1);
    return mixer_->lineControl(line->lineId, mixer::control::kVolume);
}

std::int32_t WaveInRecorder::MixerLineVolume()
{
    std::uint32_t channels = 0;
    auto volume = selectedVolume(channels);
    if (!volume) return 0;
    auto values = mixer_->controlValues(*volume, channels);
    if (!values || values->empty()) return 0;
    return toLong(values->front());
}

void WaveInRecorder::MixerLineVolume(std::int32_t value)
{
    std::uint32_t channels = 0;
    auto volume = selectedVolume(channels);
    if (!volume) return;
    const auto raw = static_cast<std::uint32_t>(std::clamp<std::int32_t>(value, 0, std::int32_t(mixer::kRawVolumeMax)));
    mixer_->setControlValues(*volume, std::vector<std::uint32_t>(channels, raw));
}
