#pragma once
// Sound output on the PulseAudio server (the process's one connection), with events.
//
// OpenOutput creates a playback stream; PlayArray queues blocks (arrays as
// AudioFile::ReadArray returns them: a 40-byte WAVEFORMATEXTENSIBLE header,
// then 16-bit frames), which play back to back without gaps; Stop ends the
// stream and drops what is queued.
//
// Events are std::function callbacks, set before or after OpenOutput. They
// are always delivered on the thread that created the player, through that
// thread's COM apartment (com::Apartment::current() at construction; the
// GUI pumps it from its event loop, a test with pumpUntil). A player created
// on a thread without an apartment delivers no events. Events of a stream
// that has since been stopped or reopened are dropped, so an answer never
// reaches the wrong playback.
//
//   EndArrayPlay        a queued block has finished playing: hand over the next.
//   RequestOnLoadArray  less than about a second is queued ahead: hand over more.
//   EndPlay             everything queued has played and no more came (an empty
//                       array was handed over, or nothing for five seconds).
//   OutputLost(why)     the server went away or dropped the stream: nothing
//                       more plays; Stop or OpenOutput again.
//   Timer(value, levels) every 20 ms while playing: value is the position in ms;
//                       levels are peak decibels per channel of what sounds now,
//                       0 at full scale down to -90 for silence (like the
//                       capture control's).
//
// Volume is 0..100 (percent, default 100), balance -100 (left) .. 100
// (right), 0 centre; both are kept across streams and applied by the server.
//
// Not thread-safe: call every member from the creating thread.

#include "platform/com/safearray.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace recorder {

class Audioplayer {
public:
    Audioplayer();
    ~Audioplayer();
    Audioplayer(const Audioplayer&) = delete;
    Audioplayer& operator=(const Audioplayer&) = delete;

    // Opens a stream of 16-bit PCM (closing any open one). The amount played
    // starts again from 0. False, with lastError(), when the server is absent
    // or refuses the stream.
    bool OpenOutput(std::int32_t sampleRate, std::int32_t channels, std::int32_t bits = 16, std::int32_t reserved = 0);
    // Stops at once, dropping what is queued. The amount played stays readable until the next OpenOutput.
    void Stop();
    // Queues one block. An empty array means the caller has no more.
    // False when no stream is open or the block's format is not the stream's.
    bool PlayArray(SAFEARRAY* array);
    bool PlayArray(std::span<const std::uint8_t> bytes);

    // Milliseconds of audio heard since OpenOutput.
    std::int64_t AmountPlayed() const;
    // The same, as the position of the stream in milliseconds.
    std::int64_t Position() const;

    int Volume() const;
    bool setVolume(int percent);
    int Balance() const;
    bool setBalance(int balance);

    bool isOpen() const;
    const std::string& lastError() const;

    std::function<void()> EndArrayPlay;
    std::function<void()> RequestOnLoadArray;
    std::function<void()> EndPlay;
    std::function<void(const std::string& why)> OutputLost;
    std::function<void(std::int32_t value, const std::vector<std::int16_t>& levels)> Timer;

    struct Impl;

private:
    std::shared_ptr<Impl> d_;
};

} // namespace recorder
