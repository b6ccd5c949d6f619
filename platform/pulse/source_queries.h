#pragma once
// Round trips about sources on the shared server connection, for the device
// lists and the mixer. Each connects when needed and gives up after its
// timeout; a connection found dead on the way is rebuilt once, as the server
// may have restarted. Any thread but the connection's own.

#include "platform/pulse/server_connection.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pulse {

struct Port {
    std::string name;        // "analog-input-mic"
    std::string description; // "Microphone"
    bool available = true;
};

struct SourceInfo {
    std::uint32_t index = 0;
    std::string name; // stable: the server's name of the source
    std::string description;
    bool monitor = false; // records what a sink plays ("Monitor of …")
    int channels = 0;
    std::uint32_t rate = 0;
    std::vector<std::uint32_t> volume; // raw per channel, PA_VOLUME_NORM = 65536 is 100 %
    bool muted = false;
    std::vector<Port> ports;
    std::string activePort;
};

// The sources as capture lists them: real inputs in the server's order, then monitors.
std::optional<std::vector<SourceInfo>> sources(ServerConnection& c, std::chrono::milliseconds timeout = kDefaultTimeout);
std::optional<SourceInfo> source(ServerConnection& c, const std::string& name,
                                 std::chrono::milliseconds timeout = kDefaultTimeout);
// One raw value per channel; a shorter list repeats its last value.
bool setSourceVolume(ServerConnection& c, const std::string& name, const std::vector<std::uint32_t>& perChannel,
                     std::chrono::milliseconds timeout = kDefaultTimeout);
bool setSourcePort(ServerConnection& c, const std::string& name, const std::string& port,
                   std::chrono::milliseconds timeout = kDefaultTimeout);
std::optional<std::string> defaultSourceName(ServerConnection& c, std::chrono::milliseconds timeout = kDefaultTimeout);

// Orders a server's source list for capture: inputs first, then monitors, each in server order.
std::vector<SourceInfo> captureOrder(std::vector<SourceInfo> serverOrder);

} // namespace pulse
