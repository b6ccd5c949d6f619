#pragma once
// A record stream of one sound server source, with its own connection and
// event thread (libpulse's threaded main loop). It fills the buffers it is
// lent as RecordStream's contract says. It does not move to another source
// when its own goes away: it fails, as a removed device does.

#include "platform/mixer/mixer_layer.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace mixer {

class PulseRecordStream final : public RecordStream {
public:
    // Null when no server answers in time, the source does not exist or the format is invalid.
    static std::unique_ptr<PulseRecordStream> open(const std::string& source, const WaveFormat& format, BufferDone done,
                                                   std::chrono::milliseconds timeout);
    ~PulseRecordStream() override;
    PulseRecordStream(const PulseRecordStream&) = delete;
    PulseRecordStream& operator=(const PulseRecordStream&) = delete;

    bool addBuffer(WaveBuffer& buffer) override;
    bool start() override;
    bool stop() override;
    std::size_t pendingBytes() override;
    bool reset() override;
    bool failed() override;

private:
    PulseRecordStream(WaveFormat format, BufferDone done, std::chrono::milliseconds timeout);
    bool connect(const std::string& source);
    // Main loop locked: waits until done() or the time-out.
    bool waitLocked(const std::function<bool()>& done);
    bool corkLocked(bool cork);
    void fillLocked();
    void failLocked();
    void handBackFrontLocked();

    static void onContextState(pa_context* c, void* self);
    static void onStreamState(pa_stream* s, void* self);
    static void onRead(pa_stream* s, std::size_t nbytes, void* self);

    WaveFormat format_;
    BufferDone done_;
    std::chrono::milliseconds timeout_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::deque<WaveBuffer*> queue_; // lent buffers, the one being filled first
    std::size_t fragmentOffset_ = 0; // bytes of the peeked fragment already copied
    bool failed_ = false;
};

} // namespace mixer
