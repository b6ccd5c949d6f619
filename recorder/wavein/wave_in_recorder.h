#pragma once
// Wave-in devices, their input lines and input volume, and a buffered capture
// of the selected device.
//
// Devices are the sound server's sources in capture order, so device i is the
// capture control's device i + 1 (its entry 0 is the default device). Nothing
// is cached: each member asks the mixer layer, so a port or volume changed by
// another program, or a device plugged in, shows at the next read. No member
// throws: failures answer false, 0 or empty text.
//
// Threads: an object belongs to the thread that created it (the GUI thread);
// call every member there. GotData is raised on the thread that called
// StartRecord through that thread's COM apartment: the thread must have called
// CoInitialize and pump its apartment (the GUI does so from its event loop), so
// each filled buffer arrives in order, after the owner's own event processing.

#include "platform/mixer/mixer_layer.h"
#include "recorder/wavein/hook_error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class WaveInCapture;

class WaveInRecorder {
public:
    // bytes: what the device recorded into this buffer; buffer: the whole
    // buffer, buffersize / 2 samples, of which bytes / 2 hold audio.
    using GotDataHandler = std::function<void(std::int32_t bytes, std::span<const std::int16_t> buffer)>;

    WaveInRecorder(); // on the sound server
    explicit WaveInRecorder(std::unique_ptr<mixer::MixerLayer> layer);
    ~WaveInRecorder(); // stops a running capture, closes the mixer
    WaveInRecorder(const WaveInRecorder&) = delete;
    WaveInRecorder& operator=(const WaveInRecorder&) = delete;

    bool IsRecording() const;
    // Ends a capture. Every buffer filled so far, and the last partly filled
    // one, is raised in GotData before it returns. True also when idle.
    bool StopRecord();
    // Starts a capture of the selected device: 16-bit PCM at samplerate and
    // channels, BufferCount buffers of buffersize bytes. False when no device
    // is selected, a capture is already running, or the device cannot record.
    bool StartRecord(std::int32_t samplerate, std::int32_t channels);
    std::int32_t BufferCount() const;
    void BufferCount(std::int32_t count); // read at StartRecord
    std::int32_t buffersize() const;
    void buffersize(std::int32_t bytes); // read at StartRecord

    std::int32_t DeviceCount();
    std::string DeviceName(std::int32_t index);
    // The device list from one answer of the server: each device's stable
    // name (the source's) and its description, in DeviceName's order.
    std::vector<mixer::DeviceEntry> Devices();
    // Called whenever a device appears or vanishes, on a thread of the sound
    // layer's own: hand the news to the owner's thread (a queued call), never
    // call back in from it. An empty handler stops the calls.
    void setDevicesChangedHandler(std::function<void()> handler);
    // Opens device index's mixer. Out of range: false, the previous device stays.
    bool SelectDevice(std::int32_t index);
    std::int32_t MixerLineCount();
    std::string MixerLineName(std::int32_t index);
    // Makes line index the recorded one; false for an index out of range.
    bool SelectMixerLine(std::int32_t index);
    std::int32_t SelectedDevice() const;
    std::int32_t SelectedMixerLine();
    // Component type (mixer::component); index −1 is the selected line.
    std::int32_t MixerLineType(std::int32_t index);
    // The recorded line's volume in raw units 0 … 65535.
    std::int32_t MixerLineVolume();
    void MixerLineVolume(std::int32_t value); // every channel; clamped to 0 … 65535

    void setGotDataHandler(GotDataHandler handler);
    // Where failures of the delivery hook go; syslog by default (the GUI adds
    // its warning box).
    void setHookErrorReporter(HookErrorReporter reporter);

private:
    struct Destination {
        std::uint32_t index = 0;
        mixer::LineInfo line;
    };
    std::optional<Destination> recordingDestination();
    std::optional<mixer::ControlInfo> multiplexer(const mixer::LineInfo& destination);
    std::optional<mixer::ControlInfo> selectedVolume(std::uint32_t& channels);
    void raiseGotData(std::int32_t bytes, std::span<const std::int16_t> buffer);

    std::unique_ptr<mixer::MixerLayer> layer_;
    std::unique_ptr<mixer::Mixer> mixer_;
    std::int32_t selectedDevice_ = -1;
    std::int32_t bufferCount_ = 5;
    std::int32_t bufferSize_ = 10240;
    GotDataHandler gotData_;
    HookErrorReporter reportHookError_;
    std::shared_ptr<WaveInCapture> capture_;
};
