#include "platform/capture/pulse_capture.h"

#include "platform/pulse/source_queries.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <mutex>

namespace capture {

namespace {

constexpr std::chrono::milliseconds kTimeout{3000};

using pulse::ServerConnection;

bool sampleFormatFor(const WaveFormat& f, pa_sample_format_t& out)
{
    if (f.formatTag == kWaveFormatExtensible) {
        if (f.subFormat != kSubtypePcm || f.extensionSize < 22) return false;
        if (f.validBitsPerSample != 0 && f.validBitsPerSample != f.bitsPerSample) return false;
    } else if (f.formatTag != kWaveFormatPcm) {
        return false;
    }
    switch (f.bitsPerSample) {
    case 8: out = PA_SAMPLE_U8; return true;
    case 16: out = PA_SAMPLE_S16LE; return true;
    case 24: out = PA_SAMPLE_S24LE; return true;
    case 32: out = PA_SAMPLE_S32LE; return true;
    default: return false;
    }
}

class PulseCaptureBuffer final : public CaptureBuffer {
public:
    PulseCaptureBuffer(std::shared_ptr<ServerConnection> server, const WaveFormat& format, std::uint32_t bytes)
        : server_(std::move(server)), format_(format), ring_(bytes, format.bitsPerSample == 8 ? 0x80 : 0x00)
    {
        const auto fragment = static_cast<std::uint64_t>(format.avgBytesPerSec) * kFragmentMilliseconds / 1000;
        piece_ = static_cast<std::uint32_t>(std::max<std::uint64_t>(fragment - fragment % format.blockAlign, format.blockAlign));
    }

    ~PulseCaptureBuffer() override
    {
        ServerConnection::Lock lock(*server_);
        closing_ = true;
        if (stream_) {
            pa_stream_set_state_callback(stream_, nullptr, nullptr);
            pa_stream_set_read_callback(stream_, nullptr, nullptr);
            pa_stream_disconnect(stream_);
            pa_stream_unref(stream_);
        }
    }
    PulseCaptureBuffer(const PulseCaptureBuffer&) = delete;
    PulseCaptureBuffer& operator=(const PulseCaptureBuffer&) = delete;

    bool connect(const std::string& sourceName, const pa_sample_spec& sampleSpec)
    {
        pa_channel_map map;
        if (!pa_channel_map_init_extend(&map, sampleSpec.channels, PA_CHANNEL_MAP_WAVEEX)) return false;
        ServerConnection::Lock lock(*server_);
        pa_context* context = server_->readyContext(kTimeout);
        if (!context) return false;
        stream_ = pa_stream_new(context, "Recording", &sampleSpec, &map);
        if (!stream_) return false;
        pa_stream_set_state_callback(stream_, &PulseCaptureBuffer::onState, this);
        pa_stream_set_read_callback(stream_, &PulseCaptureBuffer::onRead, this);

        pa_buffer_attr attr;
        attr.maxlength = static_cast<std::uint32_t>(-1);
        attr.tlength = static_cast<std::uint32_t>(-1);
        attr.prebuf = static_cast<std::uint32_t>(-1);
        attr.minreq = static_cast<std::uint32_t>(-1);
        attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(kFragmentMilliseconds * PA_USEC_PER_MSEC, &sampleSpec));
        auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
        if (!sourceName.empty()) flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_DONT_MOVE);
        if (pa_stream_connect_record(stream_, sourceName.empty() ? nullptr : sourceName.c_str(), &attr, flags) < 0)
            return false;
        server_->wait(
            [this] {
                auto s = pa_stream_get_state(stream_);
                return s == PA_STREAM_READY || !PA_STREAM_IS_GOOD(s);
            },
            kTimeout);
        return pa_stream_get_state(stream_) == PA_STREAM_READY;
    }

    std::uint32_t size() const override { return static_cast<std::uint32_t>(ring_.size()); }
    std::uint32_t writeAhead() const override { return piece_; }
    const WaveFormat& format() const override { return format_; }

    bool getCurrentPosition(CapturePositions& out) const override
    {
        std::uint64_t total = published_.load(std::memory_order_acquire);
        out.total = total;
        out.capture = out.read = static_cast<std::uint32_t>(total % ring_.size());
        return true;
    }

    bool lock(std::uint32_t offset, std::uint32_t bytes, std::uint8_t** first, std::uint32_t* firstBytes,
              std::uint8_t** second, std::uint32_t* secondBytes) override
    {
        const std::uint32_t n = size();
        if (offset >= n || bytes > n || !first || !firstBytes) return false;
        const std::uint32_t head = std::min(bytes, n - offset);
        *first = ring_.data() + offset;
        *firstBytes = head;
        if (second) *second = bytes > head ? ring_.data() : nullptr;
        if (secondBytes) *secondBytes = bytes - head;
        if (bytes > head && (!second || !secondBytes)) return false;
        return true;
    }

    bool unlock(std::uint8_t* first, std::uint32_t firstBytes, std::uint8_t* second, std::uint32_t secondBytes) override
    {
        auto inside = [this](std::uint8_t* p, std::uint32_t bytes) {
            return !p || (p >= ring_.data() && std::size_t(p - ring_.data()) + bytes <= ring_.size());
        };
        readsEnded_.fetch_add(1, std::memory_order_release);
        return inside(first, firstBytes) && inside(second, secondBytes);
    }

    bool setNotificationPositions(std::vector<NotificationPosition> positions) override
    {
        if (started_) return false;
        for (const auto& p : positions)
            if (p.offset >= size() || !p.event) return false;
        std::sort(positions.begin(), positions.end(), [](const auto& a, const auto& b) { return a.offset < b.offset; });
        std::lock_guard lock(notifyMutex_);
        positions_ = std::move(positions);
        return true;
    }

    bool start() override
    {
        ServerConnection::Lock lock(*server_);
        if (lost_ || !stream_) return false;
        started_ = true;
        if (!server_->finish(pa_stream_cork(stream_, 0, nullptr, nullptr), kTimeout)) {
            started_ = false;
            return false;
        }
        return !lost_;
    }

    bool stop() override
    {
        ServerConnection::Lock lock(*server_);
        started_ = false;
        if (!stream_ || lost_) return true;
        // Not waited for: the stream is corked or torn down soon either way.
        if (pa_operation* op = pa_stream_cork(stream_, 1, nullptr, nullptr)) pa_operation_unref(op);
        return true;
    }

    bool capturing() const override { return started_ && !lost_; }

private:
    static void onState(pa_stream* s, void* user)
    {
        auto* self = static_cast<PulseCaptureBuffer*>(user);
        auto state = pa_stream_get_state(s);
        if ((state == PA_STREAM_FAILED || state == PA_STREAM_TERMINATED) && !self->closing_ && !self->lost_) {
            self->lost_ = true;
            self->signalAll();
        }
        self->server_->signal();
    }

    static void onRead(pa_stream*, std::size_t, void* user) { static_cast<PulseCaptureBuffer*>(user)->pull(); }

    // Event thread: moves everything the stream holds into the ring.
    void pull()
    {
        const void* data = nullptr;
        std::size_t bytes = 0;
        while (pa_stream_peek(stream_, &data, &bytes) == 0 && bytes > 0) {
            if (started_) store(static_cast<const std::uint8_t*>(data), bytes);
            pa_stream_drop(stream_);
        }
    }

    // A null data pointer is a hole in the stream: it is filled with silence.
    // Published piece by piece, so the capture position is never more than
    // one piece behind what is being written (the contract's write-ahead).
    void store(const std::uint8_t* data, std::size_t bytes)
    {
        const std::size_t n = ring_.size();
        // Every access a reader has ended comes before the device overwrites what it read.
        readsEnded_.load(std::memory_order_acquire);
        while (bytes > 0) {
            const std::size_t at = written_ % n;
            const std::size_t piece = std::min({bytes, n - at, std::size_t(piece_)});
            if (data)
                std::memcpy(ring_.data() + at, data, piece);
            else
                std::memset(ring_.data() + at, format_.bitsPerSample == 8 ? 0x80 : 0x00, piece);
            if (data) data += piece;
            bytes -= piece;
            written_ += piece;
            publish();
        }
    }

    void publish()
    {
        const std::uint64_t before = published_.load(std::memory_order_relaxed);
        const std::uint64_t after = written_ - written_ % format_.blockAlign;
        if (after == before) return;
        published_.store(after, std::memory_order_release);
        signalCrossed(before, after);
    }

    // Sets the event of every position whose byte lies in [from, to) of the endless stream.
    void signalCrossed(std::uint64_t from, std::uint64_t to)
    {
        std::lock_guard lock(notifyMutex_);
        if (positions_.empty()) return;
        const std::uint64_t n = ring_.size();
        const CaptureEvent* last = nullptr;
        auto hit = [&](const NotificationPosition& p) {
            if (p.event.get() != last) p.event->set();
            last = p.event.get();
        };
        if (to - from >= n) {
            for (const auto& p : positions_) hit(p);
            return;
        }
        const auto a = static_cast<std::uint32_t>(from % n), b = static_cast<std::uint32_t>(to % n);
        for (const auto& p : positions_)
            if (a < b ? (p.offset >= a && p.offset < b) : (p.offset >= a || p.offset < b)) hit(p);
    }

    void signalAll()
    {
        std::lock_guard lock(notifyMutex_);
        for (const auto& p : positions_) p.event->set();
    }

    std::shared_ptr<ServerConnection> server_;
    WaveFormat format_;
    std::uint32_t piece_ = 0; // most bytes stored before the capture position moves
    std::vector<std::uint8_t> ring_;
    pa_stream* stream_ = nullptr;
    std::uint64_t written_ = 0; // event thread only
    std::atomic<std::uint64_t> published_{0};
    std::atomic<std::uint64_t> readsEnded_{0}; // unlock() calls
    mutable std::mutex notifyMutex_;
    std::vector<NotificationPosition> positions_;
    std::atomic<bool> started_{false}, lost_{false};
    bool closing_ = false; // under the loop lock
};

class PulseCaptureDevice final : public CaptureDevice {
public:
    PulseCaptureDevice(std::shared_ptr<ServerConnection> server, std::string sourceName)
        : server_(std::move(server)), sourceName_(std::move(sourceName))
    {
    }

    std::unique_ptr<CaptureBuffer> createBuffer(const WaveFormat& format, std::uint32_t bytes) override
    {
        pa_sample_spec sampleSpec;
        if (!sampleFormatFor(format, sampleSpec.format)) return nullptr;
        if (format.channels < 1 || format.channels > PA_CHANNELS_MAX) return nullptr;
        if (format.samplesPerSec < 1 || format.samplesPerSec > PA_RATE_MAX) return nullptr;
        if (format.blockAlign != format.channels * format.bitsPerSample / 8) return nullptr;
        if (bytes < format.blockAlign || bytes > kMaxBufferBytes || bytes % format.blockAlign != 0) return nullptr;
        sampleSpec.rate = format.samplesPerSec;
        sampleSpec.channels = static_cast<std::uint8_t>(format.channels);
        if (!pa_sample_spec_valid(&sampleSpec)) return nullptr;
        auto buffer = std::make_unique<PulseCaptureBuffer>(server_, format, bytes);
        if (!buffer->connect(sourceName_, sampleSpec)) return nullptr;
        return buffer;
    }

private:
    std::shared_ptr<ServerConnection> server_;
    std::string sourceName_;
};

class PulseCaptureSystem final : public CaptureSystem {
public:
    PulseCaptureSystem() : server_(ServerConnection::shared()) {}

    std::vector<CaptureDeviceInfo> enumerate() override
    {
        auto sources = pulse::sources(*server_, kTimeout);
        std::vector<CaptureDeviceInfo> devices;
        if (!sources || sources->empty()) return devices;
        devices.push_back({kDefaultDeviceDescription, std::nullopt, {}});
        for (const auto& s : *sources) devices.push_back({s.description, sourceDeviceId(s.name), s.name});
        return devices;
    }

    std::unique_ptr<CaptureDevice> open(const DeviceId* id) override
    {
        std::string name;
        if (id) {
            auto sources = pulse::sources(*server_, kTimeout);
            if (!sources) return nullptr;
            auto it = std::find_if(sources->begin(), sources->end(), [&](const auto& s) { return sourceDeviceId(s.name) == *id; });
            if (it == sources->end()) return nullptr;
            name = it->name;
        } else if (!server_->ensureConnected(kTimeout)) {
            return nullptr;
        }
        return std::make_unique<PulseCaptureDevice>(server_, std::move(name));
    }

private:
    std::shared_ptr<ServerConnection> server_;
};

} // namespace

DeviceId sourceDeviceId(const std::string& sourceName)
{
    // 128-bit FNV-1a over the name.
    using u128 = unsigned __int128;
    const u128 prime = (u128(0x0000000001000000ULL) << 64) | 0x000000000000013BULL;
    u128 hash = (u128(0x6C62272E07BB0142ULL) << 64) | 0x62B821756295C58DULL;
    for (unsigned char c : sourceName) {
        hash ^= c;
        hash *= prime;
    }
    DeviceId id{};
    for (int i = 0; i < 16; ++i) id[i] = static_cast<std::uint8_t>(hash >> (8 * (15 - i)));
    return id;
}

std::shared_ptr<CaptureSystem> makePulseCaptureSystem() { return std::make_shared<PulseCaptureSystem>(); }

} // namespace capture
