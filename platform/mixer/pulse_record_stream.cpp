#include "platform/mixer/pulse_record_stream.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cstring>

namespace mixer {

using pulse::ServerConnection;

namespace {

struct Completion {
    bool done = false;
    bool ok = false;
};

void onSuccess(pa_stream*, int success, void* user)
{
    auto* c = static_cast<Completion*>(user);
    c->ok = success != 0;
    c->done = true;
}

} // namespace

PulseRecordStream::PulseRecordStream(WaveFormat format, BufferDone done, std::chrono::milliseconds timeout)
    : server_(ServerConnection::shared()), format_(format), done_(std::move(done)), timeout_(timeout)
{
}

std::unique_ptr<PulseRecordStream> PulseRecordStream::open(const std::string& source, const WaveFormat& format,
                                                           BufferDone done, std::chrono::milliseconds timeout)
{
    if (format.bitsPerSample != 16 || !done) return nullptr;
    std::unique_ptr<PulseRecordStream> stream(new PulseRecordStream(format, std::move(done), timeout));
    if (!stream->connect(source)) return nullptr;
    return stream;
}

bool PulseRecordStream::connect(const std::string& source)
{
    pa_sample_spec sampleSpec{PA_SAMPLE_S16LE, format_.samplesPerSec, static_cast<std::uint8_t>(format_.channels)};
    if (format_.channels == 0 || format_.channels > PA_CHANNELS_MAX || !pa_sample_spec_valid(&sampleSpec)) return false;
    pa_channel_map map;
    if (!pa_channel_map_init_extend(&map, sampleSpec.channels, PA_CHANNEL_MAP_WAVEEX)) return false;

    ServerConnection::Lock lock(*server_);
    pa_context* context = server_->readyContext(timeout_);
    if (!context) return false;
    stream_ = pa_stream_new(context, "Wave-in capture", &sampleSpec, &map);
    if (!stream_) return false;
    pa_stream_set_state_callback(stream_, onStreamState, this);
    pa_stream_set_read_callback(stream_, onRead, this);

    // Small fragments (20 ms) so a buffer is handed back as soon as it is full,
    // not when the server's default two-second fragment arrives.
    pa_buffer_attr attr;
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = std::max<std::uint32_t>(format_.blockAlign(), format_.avgBytesPerSec() / 50 / format_.blockAlign() *
                                                                      format_.blockAlign());
    attr.tlength = attr.prebuf = attr.minreq = static_cast<std::uint32_t>(-1);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_START_CORKED | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(stream_, source.c_str(), &attr, flags) < 0) return false;
    if (!server_->wait(
            [this] {
                auto s = pa_stream_get_state(stream_);
                return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
            },
            timeout_))
        return false;
    return pa_stream_get_state(stream_) == PA_STREAM_READY;
}

PulseRecordStream::~PulseRecordStream()
{
    ServerConnection::Lock lock(*server_);
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_read_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
}

bool PulseRecordStream::corkLocked(bool cork)
{
    if (failed_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return false;
    Completion c;
    // On a time-out the operation is cancelled: its callback cannot reach c once this returns.
    return server_->finish(pa_stream_cork(stream_, cork ? 1 : 0, onSuccess, &c), timeout_) && c.done && c.ok;
}

void PulseRecordStream::handBackFrontLocked()
{
    WaveBuffer* buffer = queue_.front();
    queue_.pop_front();
    done_(*buffer);
}

void PulseRecordStream::fillLocked()
{
    if (failed_ || !stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return;
    while (!queue_.empty()) {
        const void* data = nullptr;
        std::size_t size = 0;
        if (pa_stream_peek(stream_, &data, &size) < 0) {
            failLocked();
            return;
        }
        if (size == 0) return;
        WaveBuffer& buffer = *queue_.front();
        const std::size_t take = std::min<std::size_t>(size - fragmentOffset_, buffer.length - buffer.bytesRecorded);
        std::byte* to = buffer.data + buffer.bytesRecorded;
        if (data)
            std::memcpy(to, static_cast<const std::byte*>(data) + fragmentOffset_, take);
        else
            std::memset(to, 0, take); // a hole: keep the timing with silence
        buffer.bytesRecorded += static_cast<std::uint32_t>(take);
        fragmentOffset_ += take;
        if (fragmentOffset_ == size) {
            pa_stream_drop(stream_);
            fragmentOffset_ = 0;
        }
        if (buffer.bytesRecorded == buffer.length) handBackFrontLocked();
    }
}

void PulseRecordStream::failLocked()
{
    if (failed_) return;
    failed_ = true;
    if (!queue_.empty() && queue_.front()->bytesRecorded > 0) handBackFrontLocked();
    server_->signal();
}

void PulseRecordStream::onStreamState(pa_stream* stream, void* self)
{
    auto* s = static_cast<PulseRecordStream*>(self);
    auto state = pa_stream_get_state(stream);
    if (state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) s->failLocked();
    s->server_->signal();
}

void PulseRecordStream::onRead(pa_stream*, std::size_t, void* self) { static_cast<PulseRecordStream*>(self)->fillLocked(); }

bool PulseRecordStream::addBuffer(WaveBuffer& buffer)
{
    if (!buffer.data || buffer.length == 0 || buffer.length % format_.blockAlign() != 0) return false;
    ServerConnection::Lock lock(*server_);
    if (failed_) return false;
    buffer.bytesRecorded = 0;
    queue_.push_back(&buffer);
    fillLocked(); // audio may be waiting for a buffer
    return true;
}

bool PulseRecordStream::start()
{
    ServerConnection::Lock lock(*server_);
    return corkLocked(false);
}

bool PulseRecordStream::stop()
{
    ServerConnection::Lock lock(*server_);
    bool ok = corkLocked(true);
    fillLocked(); // what arrived before the cork took effect
    if (!queue_.empty() && queue_.front()->bytesRecorded > 0) handBackFrontLocked();
    return ok;
}

std::size_t PulseRecordStream::pendingBytes()
{
    ServerConnection::Lock lock(*server_);
    if (failed_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return 0;
    std::size_t readable = pa_stream_readable_size(stream_);
    if (readable == static_cast<std::size_t>(-1)) return 0;
    return readable > fragmentOffset_ ? readable - fragmentOffset_ : 0;
}

bool PulseRecordStream::reset()
{
    ServerConnection::Lock lock(*server_);
    bool ok = failed_ || corkLocked(true);
    while (!queue_.empty()) handBackFrontLocked();
    if (!failed_ && pa_stream_get_state(stream_) == PA_STREAM_READY) {
        const void* data = nullptr;
        std::size_t size = 0;
        while (pa_stream_peek(stream_, &data, &size) == 0 && size > 0) pa_stream_drop(stream_);
    }
    fragmentOffset_ = 0;
    return ok;
}

bool PulseRecordStream::failed()
{
    ServerConnection::Lock lock(*server_);
    return failed_;
}

} // namespace mixer
