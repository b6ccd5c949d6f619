#include "recorder/components/audioplayer.h"

#include "platform/com/apartment.h"
#include "platform/pulse/server_connection.h"
#include "recorder/components/audio_array.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <deque>

namespace recorder {

namespace {

constexpr int kTimerMs = 20;
constexpr int kLowWaterMs = 1000;    // ask for more below this much queued ahead
constexpr int kStarvedMs = 5000;     // nothing handed over for this long ends the playback
constexpr int kConnectTimeoutMs = 3000;

std::int16_t levelOf(int peak)
{
    if (peak < 1) return -90;
    return static_cast<std::int16_t>(std::trunc(20.0 * std::log10(static_cast<double>(peak)) + 0.5) - 90);
}

} // namespace

struct Audioplayer::Impl : std::enable_shared_from_this<Audioplayer::Impl> {
    struct Block {
        std::vector<std::uint8_t> pcm;
        std::uint64_t start = 0; // stream byte offset of its first byte
    };

    Audioplayer* owner = nullptr;
    std::shared_ptr<com::Apartment> apartment;
    std::shared_ptr<pulse::ServerConnection> server = pulse::ServerConnection::shared();
    pa_stream* stream = nullptr;
    pa_time_event* timer = nullptr;
    std::string lastError;

    // Under the connection's lock:
    std::atomic<std::uint64_t> generation{0};
    int rate = 0, channels = 0;
    std::deque<Block> blocks;        // queued and not yet heard to the end
    std::uint64_t queuedBytes = 0;   // stream offset after the last queued byte
    std::uint64_t writtenBytes = 0;  // handed to the server
    std::uint64_t playedBytes = 0;
    bool endOfData = false;
    bool requestOutstanding = false;
    bool endPosted = false;
    bool lostPosted = false;
    std::chrono::steady_clock::time_point lastFeed;
    std::int64_t playedMsAfterStop = 0;

    int volume = 100;
    int balance = 0;

    ~Impl()
    {
        pulse::ServerConnection::Lock lock(*server);
        closeStreamLocked();
    }

    std::uint64_t bytesPerSecond() const { return static_cast<std::uint64_t>(rate) * channels * 2; }
    std::int64_t bytesToMs(std::uint64_t b) const
    {
        const auto bps = bytesPerSecond();
        return bps ? static_cast<std::int64_t>(b * 1000 / bps) : 0;
    }

    // Runs fn on the owner thread if the stream of `gen` is still the current one.
    template <class Fn>
    void deliver(std::uint64_t gen, Fn fn)
    {
        if (!apartment) return;
        std::weak_ptr<Impl> weak = weak_from_this();
        apartment->post([weak, gen, fn] {
            auto self = weak.lock();
            if (!self || !self->owner || self->generation.load() != gen) return;
            fn(*self->owner);
        });
    }

    // With the lock held.
    pa_context* readyContextLocked()
    {
        pa_context* context = server->readyContext(std::chrono::milliseconds(kConnectTimeoutMs));
        if (!context) lastError = "The sound server does not answer; playback is not possible.";
        return context;
    }

    template <class Pred>
    bool waitLocked(Pred done)
    {
        return server->wait(done, std::chrono::milliseconds(kConnectTimeoutMs));
    }

    pa_cvolume cvolume() const
    {
        pa_cvolume cv;
        pa_cvolume_set(&cv, static_cast<unsigned>(channels),
                       static_cast<pa_volume_t>(static_cast<std::uint64_t>(PA_VOLUME_NORM) * volume / 100));
        if (stream && channels >= 2) {
            if (const pa_channel_map* map = pa_stream_get_channel_map(stream))
                pa_cvolume_set_balance(&cv, map, static_cast<float>(balance) / 100.0f);
        }
        return cv;
    }

    void applyVolumeLocked()
    {
        if (!stream || pa_stream_get_state(stream) != PA_STREAM_READY) return;
        pa_cvolume cv = cvolume();
        if (pa_operation* op = pa_context_set_sink_input_volume(pa_stream_get_context(stream), pa_stream_get_index(stream),
                                                                &cv, nullptr, nullptr))
            pa_operation_unref(op);
    }

    void closeStreamLocked()
    {
        if (timer) {
            server->api()->time_free(timer);
            timer = nullptr;
        }
        if (stream) {
            updatePlayedLocked();
            playedMsAfterStop = bytesToMs(playedBytes);
            pa_stream_set_write_callback(stream, nullptr, nullptr);
            pa_stream_set_underflow_callback(stream, nullptr, nullptr);
            pa_stream_set_state_callback(stream, nullptr, nullptr);
            pa_stream_disconnect(stream);
            pa_stream_unref(stream);
            stream = nullptr;
        }
        blocks.clear();
    }

    void updatePlayedLocked()
    {
        if (!stream) return;
        pa_usec_t usec = 0;
        if (pa_stream_get_time(stream, &usec) < 0) return;
        const std::uint64_t frame = static_cast<std::uint64_t>(channels) * 2;
        std::uint64_t bytes = usec * static_cast<std::uint64_t>(rate) / 1000000 * frame;
        bytes = std::min(bytes, writtenBytes);
        playedBytes = std::max(playedBytes, bytes);
    }

    void fillLocked()
    {
        if (!stream || pa_stream_get_state(stream) != PA_STREAM_READY) return;
        std::size_t room = pa_stream_writable_size(stream);
        for (const Block& b : blocks) {
            if (room == 0) break;
            const std::uint64_t end = b.start + b.pcm.size();
            if (end <= writtenBytes) continue;
            const std::size_t offset = static_cast<std::size_t>(writtenBytes - b.start);
            const std::size_t n = std::min(room, b.pcm.size() - offset);
            if (pa_stream_write(stream, b.pcm.data() + offset, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
            writtenBytes += n;
            room -= n;
        }
        if (endOfData && writtenBytes == queuedBytes) {
            // Less than the pre-buffer may be left: start it anyway.
            if (pa_operation* op = pa_stream_trigger(stream, nullptr, nullptr)) pa_operation_unref(op);
        }
    }

    std::vector<std::int16_t> levelsLocked() const
    {
        std::vector<std::int16_t> levels(static_cast<std::size_t>(channels), -90);
        if (blocks.empty()) return levels;
        const Block& b = blocks.front();
        const std::size_t frame = static_cast<std::size_t>(channels) * 2;
        const std::size_t window = std::max<std::size_t>(1, static_cast<std::size_t>(rate) * kTimerMs / 1000) * frame;
        const std::size_t from = playedBytes > b.start ? static_cast<std::size_t>(playedBytes - b.start) : 0;
        const std::size_t to = std::min(b.pcm.size(), from + window);
        for (int c = 0; c < channels; ++c) {
            int peak = 0;
            for (std::size_t i = from + static_cast<std::size_t>(c) * 2; i + 1 < to; i += frame) {
                std::int16_t s;
                std::memcpy(&s, b.pcm.data() + i, 2);
                peak = std::max(peak, std::abs(static_cast<int>(s)));
            }
            levels[static_cast<std::size_t>(c)] = levelOf(peak);
        }
        return levels;
    }

    void tickLocked()
    {
        const std::uint64_t gen = generation.load();
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            // The server went away or dropped the stream: nothing more will play.
            if (!lostPosted) {
                lostPosted = true;
                deliver(gen, [](Audioplayer& p) {
                    if (p.OutputLost) p.OutputLost("the sound server went away");
                });
            }
            return;
        }
        updatePlayedLocked();
        fillLocked();
        while (!blocks.empty() && blocks.front().start + blocks.front().pcm.size() <= playedBytes) {
            blocks.pop_front();
            deliver(gen, [](Audioplayer& p) {
                if (p.EndArrayPlay) p.EndArrayPlay();
            });
        }
        const std::uint64_t ahead = queuedBytes - std::min(queuedBytes, playedBytes);
        if (!endOfData && !requestOutstanding && bytesToMs(ahead) < kLowWaterMs) {
            requestOutstanding = true;
            deliver(gen, [](Audioplayer& p) {
                if (p.RequestOnLoadArray) p.RequestOnLoadArray();
            });
        }
        const bool starved = std::chrono::steady_clock::now() - lastFeed > std::chrono::milliseconds(kStarvedMs);
        if (blocks.empty() && !endPosted && (endOfData || starved)) {
            endPosted = true;
            deliver(gen, [](Audioplayer& p) {
                if (p.EndPlay) p.EndPlay();
            });
        }
        if (!blocks.empty()) {
            const auto position = static_cast<std::int32_t>(bytesToMs(playedBytes));
            deliver(gen, [position, levels = levelsLocked()](Audioplayer& p) {
                if (p.Timer) p.Timer(position, levels);
            });
        }
    }

    static void onTimer(pa_mainloop_api* api, pa_time_event* e, const struct timeval*, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        self->tickLocked();
        (void)api;
        // The stream holds its context, and the timer goes before the stream. A
        // failed stream has let go of its context: the timer stays unarmed then.
        if (pa_context* context = pa_stream_get_context(self->stream))
            pa_context_rttime_restart(context, e, pa_rtclock_now() + kTimerMs * PA_USEC_PER_MSEC);
    }

    static void onWritable(pa_stream*, std::size_t, void* user) { static_cast<Impl*>(user)->fillLocked(); }
    // The server ran out of data: everything written so far has been heard.
    static void onUnderflow(pa_stream*, void* user)
    {
        auto* self = static_cast<Impl*>(user);
        self->playedBytes = std::max(self->playedBytes, self->writtenBytes);
    }
};

Audioplayer::Audioplayer() : d_(std::make_shared<Impl>())
{
    d_->owner = this;
    d_->apartment = com::Apartment::current();
}

Audioplayer::~Audioplayer()
{
    d_->owner = nullptr;
    d_->generation++;
}

bool Audioplayer::OpenOutput(std::int32_t sampleRate, std::int32_t channels, std::int32_t bits, std::int32_t)
{
    Stop();
    Impl& d = *d_;
    if (bits != 16 && bits != 0) {
        d.lastError = "Sound output takes 16-bit audio.";
        return false;
    }
    if (sampleRate < 1000 || sampleRate > 384000 || channels < 1 || channels > 8) {
        d.lastError = "Sound output cannot play " + std::to_string(sampleRate) + " Hz with " +
                      std::to_string(channels) + " channels.";
        return false;
    }
    pulse::ServerConnection::Lock lock(*d.server);
    pa_context* context = d.readyContextLocked();
    if (!context) return false;
    d.generation++;
    d.rate = sampleRate;
    d.channels = channels;
    d.queuedBytes = d.writtenBytes = d.playedBytes = 0;
    d.playedMsAfterStop = 0;
    d.endOfData = d.requestOutstanding = d.endPosted = d.lostPosted = false;
    d.lastFeed = std::chrono::steady_clock::now();

    pa_sample_spec sampleSpec{PA_SAMPLE_S16LE, static_cast<std::uint32_t>(sampleRate), static_cast<std::uint8_t>(channels)};
    pa_channel_map map;
    pa_channel_map_init_extend(&map, static_cast<unsigned>(channels), PA_CHANNEL_MAP_WAVEEX);
    d.stream = pa_stream_new(context, "Playback", &sampleSpec, &map);
    bool ok = d.stream != nullptr;
    if (ok) {
        const std::uint32_t frame = static_cast<std::uint32_t>(channels) * 2;
        const auto bytesFor = [&](int ms) { return static_cast<std::uint32_t>(sampleRate) * ms / 1000 * frame; };
        pa_buffer_attr attr;
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = bytesFor(250);
        attr.prebuf = bytesFor(40);
        attr.minreq = bytesFor(20);
        attr.fragsize = static_cast<std::uint32_t>(-1);
        pa_cvolume cv = d.cvolume();
        pa_stream_set_state_callback(
            d.stream, [](pa_stream*, void* user) { static_cast<Impl*>(user)->server->signal(); }, &d);
        pa_stream_set_write_callback(d.stream, &Impl::onWritable, &d);
        pa_stream_set_underflow_callback(d.stream, &Impl::onUnderflow, &d);
        const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                                          PA_STREAM_ADJUST_LATENCY);
        ok = pa_stream_connect_playback(d.stream, nullptr, &attr, flags, &cv, nullptr) >= 0;
        ok = ok && d.waitLocked([&] {
                 auto s = pa_stream_get_state(d.stream);
                 return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
             }) && pa_stream_get_state(d.stream) == PA_STREAM_READY;
    }
    if (ok) {
        d.applyVolumeLocked(); // the balance needs the stream's channel map
        d.timer = pa_context_rttime_new(context, pa_rtclock_now() + kTimerMs * PA_USEC_PER_MSEC, &Impl::onTimer, &d);
        ok = d.timer != nullptr;
    }
    if (!ok) {
        d.lastError = "The sound server refused a playback stream of " + std::to_string(sampleRate) + " Hz, " +
                      std::to_string(channels) + " channels.";
        d.closeStreamLocked();
        d.playedMsAfterStop = 0;
    }
    return ok;
}

void Audioplayer::Stop()
{
    Impl& d = *d_;
    pulse::ServerConnection::Lock lock(*d.server);
    d.generation++;
    d.closeStreamLocked();
}

bool Audioplayer::PlayArray(SAFEARRAY* array) { return PlayArray(bytesOf(array)); }

bool Audioplayer::PlayArray(std::span<const std::uint8_t> bytes)
{
    Impl& d = *d_;
    std::string why;
    const auto block = parseAudioArray(bytes, why);
    if (!block) {
        d.lastError = why;
        return false;
    }
    pulse::ServerConnection::Lock lock(*d.server);
    bool ok = d.stream != nullptr;
    if (!ok) {
        d.lastError = "No sound output is open.";
    } else if (block->pcm.empty()) {
        d.endOfData = true;
        d.requestOutstanding = false;
        d.fillLocked();
    } else if (block->sampleRate != d.rate || block->channels != d.channels) {
        d.lastError = "The block's format is not the sound output's.";
        ok = false;
    } else {
        d.blocks.push_back({std::vector<std::uint8_t>(block->pcm.begin(), block->pcm.end()), d.queuedBytes});
        d.queuedBytes += block->pcm.size();
        d.endOfData = d.requestOutstanding = d.endPosted = d.lostPosted = false;
        d.lastFeed = std::chrono::steady_clock::now();
        d.fillLocked();
    }
    return ok;
}

std::int64_t Audioplayer::AmountPlayed() const
{
    Impl& d = *d_;
    pulse::ServerConnection::Lock lock(*d.server);
    std::int64_t ms = d.playedMsAfterStop;
    if (d.stream) {
        d.updatePlayedLocked();
        ms = d.bytesToMs(d.playedBytes);
    }
    return ms;
}

std::int64_t Audioplayer::Position() const { return AmountPlayed(); }

int Audioplayer::Volume() const { return d_->volume; }
int Audioplayer::Balance() const { return d_->balance; }

bool Audioplayer::setVolume(int percent)
{
    if (percent < 0 || percent > 100) return false;
    d_->volume = percent;
    pulse::ServerConnection::Lock lock(*d_->server);
    d_->applyVolumeLocked();
    return true;
}

bool Audioplayer::setBalance(int balance)
{
    if (balance < -100 || balance > 100) return false;
    d_->balance = balance;
    pulse::ServerConnection::Lock lock(*d_->server);
    d_->applyVolumeLocked();
    return true;
}

bool Audioplayer::isOpen() const
{
    pulse::ServerConnection::Lock lock(*d_->server);
    return d_->stream != nullptr;
}

const std::string& Audioplayer::lastError() const { return d_->lastError; }

} // namespace recorder
