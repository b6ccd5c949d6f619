#pragma once
// A synchronous connection to the sound server for enumeration and control.
//
// Every round trip has a time-out, so an absent, stuck or vanished server
// gives a failure instead of a hang; a server that went away is noticed on the
// next call, which reconnects once. Autospawn is off: a missing server is
// reported, never started behind the user's back.
//
// Not thread-safe: one connection belongs to one thread.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct pa_mainloop;
struct pa_context;
struct pa_operation;

namespace pulse {

struct Port {
    std::string name;        // "analog-input-mic"
    std::string description; // "Microphone"
    bool available = true;
};

struct SourceInfo {
    std::uint32_t index = 0;
    std::string name;
    std::string description;
    bool monitor = false; // records what a sink plays ("Monitor of …")
    int channels = 0;
    std::uint32_t rate = 0;
    std::vector<std::uint32_t> volume; // raw per channel, PA_VOLUME_NORM = 65536 is 100 %
    bool muted = false;
    std::vector<Port> ports;
    std::string activePort;
};

class PulseConnection {
public:
    explicit PulseConnection(std::string clientName, std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Connects when not connected; false when no server answers in time.
    bool ensureConnected();
    bool connected() const;

    // The sources as capture lists them: real inputs in the server's order, then monitors.
    std::optional<std::vector<SourceInfo>> sources();
    std::optional<SourceInfo> source(const std::string& name);
    // One raw value per channel; a shorter list repeats its last value.
    bool setSourceVolume(const std::string& name, const std::vector<std::uint32_t>& perChannel);
    bool setSourcePort(const std::string& name, const std::string& port);
    std::optional<std::string> defaultSourceName();

private:
    void disconnect();
    // Runs the main loop until done() or the time-out; false on time-out or a dead connection.
    bool iterateUntil(const std::function<bool()>& done);
    // Waits for a request's callback to set *done; unrefs the operation.
    bool finish(pa_operation* op, const bool& done);

    std::string clientName_;
    std::chrono::milliseconds timeout_;
    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
};

// Orders a server's source list for capture: inputs first, then monitors, each in server order.
std::vector<SourceInfo> captureOrder(std::vector<SourceInfo> serverOrder);

} // namespace pulse
