#include "recorder/wavein/wave_in_capture.h"

std::shared_ptr<WaveInCapture> WaveInCapture::start(mixer::Mixer& mixer, const mixer::WaveFormat& format,
                                                    std::uint32_t bufferCount, std::uint32_t bufferSize,
                                                    std::shared_ptr<com::Apartment> owner, Raise raise)
{
    // Whole frames only, so the stream never writes past a buffer's samples.
    const std::uint32_t length = bufferSize / format.blockAlign() * format.blockAlign();
    if (bufferCount == 0 || length == 0 || !owner) return nullptr;

    std::shared_ptr<WaveInCapture> capture(new WaveInCapture(std::move(owner), std::move(raise)));
    try {
        capture->entries_.resize(bufferCount);
        for (std::uint32_t i = 0; i < bufferCount; ++i) {
            Entry& e = capture->entries_[i];
            e.samples.assign(bufferSize / 2, 0);
            e.header.data = reinterpret_cast<std::byte*>(e.samples.data());
            e.header.length = length;
            e.header.user = i;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }

    std::weak_ptr<WaveInCapture> weak = capture;
    capture->stream_ = mixer.openRecord(format, [weak](mixer::WaveBuffer& header) {
        if (auto self = weak.lock()) self->onBufferDone(header);
    });
    if (!capture->stream_ || !capture->stream_->start()) return nullptr;
    for (auto& e : capture->entries_) {
        if (!capture->stream_->addBuffer(e.header)) {
            capture->stream_->reset();
            capture->stream_.reset();
            return nullptr;
        }
    }
    return capture;
}

WaveInCapture::~WaveInCapture()
{
    // The stream refers to the buffers: close it before they go.
    stream_.reset();
}

void WaveInCapture::onBufferDone(mixer::WaveBuffer& header)
{
    {
        std::lock_guard lock(mutex_);
        returned_.push_back({static_cast<std::size_t>(header.user), header.bytesRecorded});
    }
    // A closed apartment delivers nothing now; stop() raises the buffer instead.
    if (auto owner = owner_.lock()) {
        std::weak_ptr<WaveInCapture> weak = weak_from_this();
        owner->post([weak] {
            if (auto self = weak.lock()) self->deliverNext();
        });
    }
}

bool WaveInCapture::takeReturned(Returned& next)
{
    std::lock_guard lock(mutex_);
    if (returned_.empty()) return false;
    next = returned_.front();
    returned_.pop_front();
    return true;
}

void WaveInCapture::deliverNext()
{
    if (!delivering_) return;
    Returned next{};
    if (!takeReturned(next)) return;
    auto keepAlive = shared_from_this(); // the handler may stop the capture
    Entry& e = entries_[next.entry];
    raise_(static_cast<std::int32_t>(next.bytes), e.samples);
    if (delivering_ && stream_) stream_->addBuffer(e.header);
}

void WaveInCapture::stop()
{
    if (!stream_ || !delivering_) return;
    delivering_ = false;
    auto keepAlive = shared_from_this();
    stream_->stop();
    // Audio captured before the stop may still wait for room: keep lending
    // buffers until it has all been raised.
    Returned next{};
    while (takeReturned(next)) {
        Entry& e = entries_[next.entry];
        if (next.bytes > 0) raise_(static_cast<std::int32_t>(next.bytes), e.samples);
        if (stream_->pendingBytes() > 0) stream_->addBuffer(e.header);
    }
    stream_->reset();
    while (takeReturned(next))
        if (next.bytes > 0) raise_(static_cast<std::int32_t>(next.bytes), entries_[next.entry].samples);
    stream_.reset();
}
