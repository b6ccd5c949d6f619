#pragma once
// The capture layer on a PulseAudio server (PipeWire's pulse server too).
//
// Devices are the server's sources in capture order (inputs, then monitors,
// as pulse::sources() lists them); entry 0 is the server's default source. A
// device's identifier is derived from its source name, so it finds the same
// source again at open() as long as the source exists. A buffer is a record
// stream with fragments of about 15 ms (the server's default for record
// streams is about 2 s), copied into the ring on the connection's thread and
// published a fragment at a time (its write-ahead). Everything runs on the
// process's one server connection (pulse::ServerConnection).
// A buffer on a named source fails when its source goes away instead of
// following the stream to another source; one on the default device follows
// the server's default.

#include "platform/capture/capture_device.h"

#include <memory>
#include <string>

namespace capture {

inline constexpr const char* kDefaultDeviceDescription = "Default capture device";
// Fragment of the record stream: notifications and levels see new audio this often.
inline constexpr unsigned kFragmentMilliseconds = 15;

std::shared_ptr<CaptureSystem> makePulseCaptureSystem();

// The identifier of the source with this name (stable across runs).
DeviceId sourceDeviceId(const std::string& sourceName);

} // namespace capture
