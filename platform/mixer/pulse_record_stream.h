#pragma once
// A record stream of one sound server source on the process's one server
// connection; it fills the buffers it is lent, on the connection's thread, as
// RecordStream's contract says. It does not move to another source
// when its own goes away: it fails, as a removed device does.

#include "platform/mixer/mixer_layer.h"
#include "platform/pulse/server_connection.h"

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>

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
    bool corkLocked(bool cork);
    void fillLocked();
    void failLocked();
    void handBackFrontLocked();

    static void onStreamState(pa_stream* s, void* self);
    static void onRead(pa_stream* s, std::size_t nbytes, void* self);

    std::shared_ptr<pulse::ServerConnection> server_;
    WaveFormat format_;
    BufferDone done_;
    std::chrono::milliseconds timeout_;
    pa_stream* stream_ = nullptr; // under the connection's lock
    std::deque<WaveBuffer*> queue_; // lent buffers, the one being filled first
    std::size_t fragmentOffset_ = 0; // bytes of the peeked fragment already copied
    bool failed_ = false;
};

} // namespace mixer
