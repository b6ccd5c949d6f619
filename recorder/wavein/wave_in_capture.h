#pragma once
// One buffered capture of WaveInRecorder: the buffer table, the record stream,
// and the hand-over of filled buffers to the owner's thread.
//
// The stream hands buffers back on its own thread; each is queued here in
// order and a delivery is posted to the owner's apartment, which raises it and
// lends the buffer to the stream again. stop() raises everything still
// undelivered, in order, before it returns.

#include "platform/com/apartment.h"
#include "platform/mixer/mixer_layer.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

class WaveInCapture : public std::enable_shared_from_this<WaveInCapture> {
public:
    using Raise = std::function<void(std::int32_t bytes, std::span<const std::int16_t> buffer)>;

    // Opens a record stream on mixer, lends it bufferCount buffers of
    // bufferSize bytes and starts it. Null when any step fails (undone).
    static std::shared_ptr<WaveInCapture> start(mixer::Mixer& mixer, const mixer::WaveFormat& format,
                                                std::uint32_t bufferCount, std::uint32_t bufferSize,
                                                std::shared_ptr<com::Apartment> owner, Raise raise);
    ~WaveInCapture();

    // Owner thread. Stops the stream, raises what is left and closes it.
    void stop();

private:
    struct Entry {
        std::vector<std::int16_t> samples;
        mixer::WaveBuffer header;
    };
    struct Returned {
        std::size_t entry;
        std::uint32_t bytes;
    };

    WaveInCapture(std::shared_ptr<com::Apartment> owner, Raise raise) : owner_(std::move(owner)), raise_(std::move(raise)) {}
    void onBufferDone(mixer::WaveBuffer& header); // stream thread, or inside a stream call
    void deliverNext();                           // owner thread, posted
    bool takeReturned(Returned& next);

    std::vector<Entry> entries_;
    std::unique_ptr<mixer::RecordStream> stream_;
    std::weak_ptr<com::Apartment> owner_;
    Raise raise_;
    std::mutex mutex_;
    std::deque<Returned> returned_; // under mutex_
    bool delivering_ = true;        // owner thread: posted deliveries act while true
};
