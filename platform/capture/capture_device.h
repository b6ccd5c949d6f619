#pragma once
// Capture devices and looping capture buffers.
//
// The contract:
// - enumerate() lists the capture devices: entry 0 is the system's default
//   device and has no identifier; then one entry per device, in the order a
//   device list shows them, each with a description and a 16-byte identifier
//   that open() maps back to the device. No devices (or no sound system) give
//   an empty list.
// - open() gives a device (null when it is gone or the sound system does not
//   answer); createBuffer() gives a looping buffer of a fixed byte size in the
//   given format (null when the format, the size or the device refuses). A
//   buffer starts stopped; start() makes it capture round and round the ring
//   until stop().
// - Positions: the capture position is where the device writes next; bytes
//   before the read position are safe to read. Both move in whole frames, and
//   `total` counts every byte captured since start() (64 bits, so the caller
//   can tell how far the device has gone round the ring).
// - The device writes ahead of the capture position by at most writeAhead()
//   bytes (whole frames): the stretch [capture, capture + writeAhead()) of the
//   ring, where the oldest audio lies, may be in the middle of being
//   overwritten; nothing else is being written. A reader that keeps more than
//   writeAhead() bytes clear of the capture position reads settled audio for
//   as long as the device needs to capture the rest of that margin.
// - lock() hands out the stretch [offset, offset + bytes) of the ring as at
//   most two pieces (the second one wraps to the ring's start); the device
//   keeps writing at the capture position meanwhile. unlock() ends the access:
//   every read of the ring, in place or not, ends with one, so that the
//   device's later overwriting is ordered after it.
// - setNotificationPositions() (while stopped): each position's event is set
//   when the capture position passes the byte at that offset.
// - When the device or the sound system goes away, capturing() turns false,
//   every notification event is set once so that a waiting thread wakes up,
//   and what was captured stays readable.
// - A buffer is used from one thread, except that its events are set from the
//   device's own thread; the buffer keeps its device alive.

#include "platform/capture/capture_event.h"
#include "platform/capture/wave_format.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace capture {

using DeviceId = std::array<std::uint8_t, 16>;

struct CaptureDeviceInfo {
    std::string description;
    std::optional<DeviceId> id; // none for the default device
    std::string sourceName;     // the backend's stable name of the device; empty for the default device
};

struct CapturePositions {
    std::uint32_t capture = 0;
    std::uint32_t read = 0;
    std::uint64_t total = 0;
};

struct NotificationPosition {
    std::uint32_t offset = 0;
    std::shared_ptr<CaptureEvent> event;
};

class CaptureBuffer {
public:
    virtual ~CaptureBuffer() = default;
    virtual std::uint32_t size() const = 0;
    virtual std::uint32_t writeAhead() const = 0;
    virtual const WaveFormat& format() const = 0;
    virtual bool getCurrentPosition(CapturePositions& out) const = 0;
    virtual bool lock(std::uint32_t offset, std::uint32_t bytes, std::uint8_t** first, std::uint32_t* firstBytes,
                      std::uint8_t** second, std::uint32_t* secondBytes) = 0;
    virtual bool unlock(std::uint8_t* first, std::uint32_t firstBytes, std::uint8_t* second, std::uint32_t secondBytes) = 0;
    virtual bool setNotificationPositions(std::vector<NotificationPosition> positions) = 0;
    virtual bool start() = 0;
    virtual bool stop() = 0;
    virtual bool capturing() const = 0;
};

class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;
    virtual std::unique_ptr<CaptureBuffer> createBuffer(const WaveFormat& format, std::uint32_t bytes) = 0;
};

class CaptureSystem {
public:
    virtual ~CaptureSystem() = default;
    virtual std::vector<CaptureDeviceInfo> enumerate() = 0;
    // Null id: the default device.
    virtual std::unique_ptr<CaptureDevice> open(const DeviceId* id) = 0;
};

// Largest ring a buffer accepts, as DirectSound's limit.
inline constexpr std::uint32_t kMaxBufferBytes = 0x0FFFFFFF;

} // namespace capture
