#pragma once
// The mixer layer on the sound server (PulseAudio or PipeWire's PulseAudio
// service). Device i is source i of pulse::sources(); a mixer is bound to
// its source by name. Runs on the process's one server connection.

#include "platform/mixer/mixer_layer.h"
#include "platform/pulse/server_connection.h"

#include <chrono>
#include <memory>

namespace mixer {

class PulseMixerLayer final : public MixerLayer, private pulse::ServerListener {
public:
    // timeout bounds every server round trip.
    explicit PulseMixerLayer(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));
    ~PulseMixerLayer() override;

    std::uint32_t deviceCount() override;
    std::optional<std::string> deviceName(std::uint32_t device) override;
    std::vector<DeviceEntry> devices() override;
    std::unique_ptr<Mixer> openMixer(std::uint32_t device) override;
    void setDevicesChanged(std::function<void()> changed) override;

private:
    void sourcesChanged() override;

    std::chrono::milliseconds timeout_;
    std::shared_ptr<pulse::ServerConnection> connection_;
    std::function<void()> changed_; // called on the connection's thread
};

} // namespace mixer
