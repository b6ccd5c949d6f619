#pragma once
// The audio mixer and wave-in layer: capture devices, their recording mixers
// and a buffered record stream of a device.
//
// Contract
// - Devices are numbered 0 … deviceCount() − 1 in capture order: the sound
//   server's real inputs in the server's order, then its monitors. This is the
//   capture control's device list without its entry 0 (the default device), so
//   device i here is capture device i + 1.
// - A device's mixer has destinations; a recording device has exactly one of
//   component type component::kDstWaveIn. Its source lines are the inputs that
//   can feed the device (its ports: "Microphone", "Line In", …; a device
//   without ports has one line named after the device), indexed
//   0 … connections − 1.
// - The destination line carries a multiplexer control (control::kMultiplexer)
//   with one item per source line, listed in the opposite order: item k is
//   source line (connections − 1 − k). Its values are one 0/1 per item; 1 marks
//   the line that is recorded. Writing values with exactly one nonzero item
//   selects that line.
// - Each source line carries a volume control (control::kVolume) with one value
//   per channel in raw units 0 … 65535 (see volume_units.h).
// - Nothing is cached: every call asks the server, so changes made by other
//   programs show at the next call. A call that cannot be answered (no server,
//   a server that went away, a device that vanished) returns nullopt, false or
//   null within the layer's time-out; nothing throws.
// - Threads: a layer and the mixers it opens belong to the thread that created
//   the layer. A record stream calls its BufferDone from a thread of its own.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mixer {

// Component types of lines, numbered as the mixer service numbers them.
namespace component {
constexpr std::uint32_t kDstWaveIn = 7;
constexpr std::uint32_t kSrcUndefined = 0x1000;
constexpr std::uint32_t kSrcDigital = 0x1001;
constexpr std::uint32_t kSrcLine = 0x1002;
constexpr std::uint32_t kSrcMicrophone = 0x1003;
constexpr std::uint32_t kSrcSynthesizer = 0x1004;
constexpr std::uint32_t kSrcCompactDisc = 0x1005;
constexpr std::uint32_t kSrcTelephone = 0x1006;
constexpr std::uint32_t kSrcPcSpeaker = 0x1007;
constexpr std::uint32_t kSrcWaveOut = 0x1008;
constexpr std::uint32_t kSrcAuxiliary = 0x1009;
constexpr std::uint32_t kSrcAnalog = 0x100A;
} // namespace component

namespace control {
constexpr std::uint32_t kMultiplexer = 0x70010001;
constexpr std::uint32_t kVolume = 0x50030001;
} // namespace control

struct LineInfo {
    std::uint32_t destination = 0;
    std::uint32_t source = 0; // meaningful for source lines only
    std::uint32_t lineId = 0; // names the line in lineControl()
    std::uint32_t componentType = 0;
    std::uint32_t channels = 0;
    std::uint32_t connections = 0; // source lines of a destination; 0 for a source line
    std::string name;
};

struct ControlInfo {
    std::uint32_t controlId = 0;
    std::uint32_t type = 0;
    std::uint32_t lineId = 0;
    std::uint32_t items = 0; // list items of a multiplexer; 0 for a volume
};

// 16-bit little-endian PCM, interleaved.
struct WaveFormat {
    std::uint16_t channels = 2;
    std::uint32_t samplesPerSec = 44100;
    std::uint16_t bitsPerSample = 16;
    std::uint32_t blockAlign() const { return std::uint32_t(channels) * bitsPerSample / 8; }
    std::uint32_t avgBytesPerSec() const { return blockAlign() * samplesPerSec; }
};

// A buffer lent to a record stream. The stream writes data[0 … length) and
// bytesRecorded; user is the owner's own. The memory must stay valid until the
// stream has handed the buffer back or is destroyed.
struct WaveBuffer {
    std::byte* data = nullptr;
    std::uint32_t length = 0; // a multiple of the format's block align
    std::uint32_t bytesRecorded = 0;
    std::uintptr_t user = 0;
};

// An open record stream of one device, corked until start().
//
// Buffers are filled strictly in the order they were added; each is handed
// back through BufferDone exactly once per addBuffer: when full, when stop()
// ends capture while it is partly filled, when reset() returns it (full, partly
// filled or empty), or partly filled when the stream fails (server or device
// gone). Audio that arrives while no buffer is queued waits in the stream (up
// to the server's limit) and goes into the next buffer added, so a slow owner
// loses nothing. BufferDone runs on the stream's thread or, for buffers handed
// back by addBuffer/stop/reset, on the caller's thread before the call
// returns; it must be quick and must not call back into the stream.
class RecordStream {
public:
    using BufferDone = std::function<void(WaveBuffer&)>;
    virtual ~RecordStream() = default; // closes; no BufferDone after it returns

    virtual bool addBuffer(WaveBuffer& buffer) = 0;
    virtual bool start() = 0;
    // Stops capture. Audio received before the stop is kept for buffers still
    // to be added; the partly filled buffer is handed back.
    virtual bool stop() = 0;
    // Bytes captured but not yet placed in a buffer.
    virtual std::size_t pendingBytes() = 0;
    // Stops capture, hands back every queued buffer and drops pending audio.
    virtual bool reset() = 0;
    // The stream failed (server or device gone); no more audio will come.
    virtual bool failed() = 0;
};

// The open mixer of one device; closed when destroyed.
class Mixer {
public:
    virtual ~Mixer() = default;

    virtual std::optional<std::uint32_t> destinationCount() = 0;
    virtual std::optional<LineInfo> destinationLine(std::uint32_t destination) = 0;
    virtual std::optional<LineInfo> sourceLine(std::uint32_t destination, std::uint32_t source) = 0;
    // The first line of that component type: destinations first, then sources.
    virtual std::optional<LineInfo> lineByComponentType(std::uint32_t componentType) = 0;
    virtual std::optional<ControlInfo> lineControl(std::uint32_t lineId, std::uint32_t controlType) = 0;
    // A multiplexer's item values, or a volume's value for each of `channels` channels.
    virtual std::optional<std::vector<std::uint32_t>> controlValues(const ControlInfo& control, std::uint32_t channels) = 0;
    virtual bool setControlValues(const ControlInfo& control, const std::vector<std::uint32_t>& values) = 0;

    // A record stream of this mixer's device; null when it cannot be opened.
    // The stream does not depend on the mixer: it may outlive it.
    virtual std::unique_ptr<RecordStream> openRecord(const WaveFormat& format, RecordStream::BufferDone done) = 0;
};

struct DeviceEntry {
    std::string name;        // stable: the same device has the same name after a restart or a replug
    std::string description; // what deviceName() gives
};

class MixerLayer {
public:
    virtual ~MixerLayer() = default;

    // 0 when no server answers.
    virtual std::uint32_t deviceCount() = 0;
    virtual std::optional<std::string> deviceName(std::uint32_t device) = 0;
    // The whole device list from one answer. By default made of deviceCount()
    // and deviceName(), each description standing for its own name.
    virtual std::vector<DeviceEntry> devices()
    {
        std::vector<DeviceEntry> list;
        const std::uint32_t count = deviceCount();
        for (std::uint32_t i = 0; i < count; ++i) {
            auto name = deviceName(i);
            if (!name) break;
            list.push_back({*name, *name});
        }
        return list;
    }
    // The mixer stays bound to the device it was opened on, wherever later
    // changes to the device list move that device.
    virtual std::unique_ptr<Mixer> openMixer(std::uint32_t device) = 0;
    // From now on calls `changed` whenever a device appears or vanishes (or
    // the list may differ after the server came back), on a thread of the
    // layer's own: it must be quick and must not call into the layer. An empty
    // function stops the calls; when this returns, no earlier one is running.
    // A layer that cannot tell never calls.
    virtual void setDevicesChanged(std::function<void()> changed) { (void)changed; }
};

} // namespace mixer
