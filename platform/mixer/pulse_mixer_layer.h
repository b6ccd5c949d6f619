#pragma once
// The mixer layer on the sound server (PulseAudio or PipeWire's PulseAudio
// service). Device i is source i of pulse::PulseConnection::sources(); a mixer
// is bound to its source by name.

#include "platform/mixer/mixer_layer.h"

#include <chrono>
#include <memory>

namespace pulse {
class PulseConnection;
}

namespace mixer {

class PulseMixerLayer final : public MixerLayer {
public:
    // timeout bounds every server round trip.
    explicit PulseMixerLayer(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));
    ~PulseMixerLayer() override;

    std::uint32_t deviceCount() override;
    std::optional<std::string> deviceName(std::uint32_t device) override;
    std::unique_ptr<Mixer> openMixer(std::uint32_t device) override;

private:
    std::chrono::milliseconds timeout_;
    std::shared_ptr<pulse::PulseConnection> connection_;
};

} // namespace mixer
