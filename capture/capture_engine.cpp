// AudioDXRecord3: starting and stopping capture, cutting the ring into blocks
// and handing them out.

#include "capture/audio_dx_record3.h"
#include "capture/error_table.h"
#include "capture/gain_stage.h"

#include <algorithm>
#include <cstring>

namespace dxrecord {

namespace {

constexpr std::uint32_t kRingBlocks = 10;

// a * b / c rounded half away from zero, as MulDiv; 0 for c == 0.
std::uint64_t mulDiv(std::uint64_t a, std::uint64_t b, std::uint64_t c)
{
    if (c == 0) return 0;
    return (a * b + c / 2) / c;
}

// The array out-parameters are in/out: whatever the caller left there is theirs to give up.
void replaceArray(SAFEARRAY** slot, com::SafeArray array)
{
    if (*slot) SafeArrayDestroy(*slot);
    *slot = array.detach();
}

com::SafeArray emptyArray() { return com::SafeArray(VT_UI1, 0); }

} // namespace

void AudioDXRecord3::finishWorkers()
{
    notifyCalls_ > 0 ? waiter_.retire() : waiter_.finish();
    timerCalls_ > 0 ? timer_.retire() : timer_.finish();
}


HRESULT AudioDXRecord3::Start(LONG SampleRate, LONG Channels, LONG SampleSize)
{
    if (started_) return raiseError(kBusy);
    // Workers of an earlier run may still be finishing a call.
    finishWorkers();

    format_ = capture::WaveFormat::extensiblePcm(static_cast<std::uint32_t>(SampleRate), static_cast<std::uint16_t>(Channels),
                                                 static_cast<std::uint16_t>(SampleSize));
    blockNumber_ = capturedFrames_ = receivedFrames_ = lostFrames_ = 0;
    consumed_ = lastTotal_ = 0;

    // Blocks shorter than 10 ms would leave no notification position in the ring.
    const std::uint64_t duration = std::uint64_t(std::max<std::int32_t>(arrayDuration_, 10));
    const std::uint64_t align = format_.blockAlign;
    std::uint64_t threshold = mulDiv(format_.avgBytesPerSec, duration, 1000);
    if (align) threshold = std::max(threshold - threshold % align, align); // whole frames, so pieces never split one
    const std::uint64_t ring = threshold * kRingBlocks;
    blocks_.clear();

    if (deviceNum_ < 0 || std::size_t(deviceNum_) >= devices_.size()) return raiseError(kInputDriver);
    const auto& entry = devices_[deviceNum_];
    device_ = system_->open(entry.id ? &*entry.id : nullptr);
    if (!device_) return raiseError(kInputDriver);

    if (align == 0 || ring > capture::kMaxBufferBytes) {
        releaseDevice();
        return raiseError(kOutputDriver);
    }
    buffer_ = device_->createBuffer(format_, static_cast<std::uint32_t>(ring));
    if (!buffer_) {
        releaseDevice();
        return raiseError(kOutputDriver);
    }
    threshold_ = static_cast<std::uint32_t>(threshold);
    ringSize_ = static_cast<std::uint32_t>(ring);
    // Audio this close behind the device's write position is not read (given
    // up as lost when an overrun is caught up): the device may be overwriting it.
    const std::uint64_t tenth = std::max<std::uint64_t>(format_.avgBytesPerSec / 10 / align * align, align);
    const std::uint64_t margin = std::max<std::uint64_t>(std::min<std::uint64_t>(threshold, tenth), 2 * std::uint64_t(buffer_->writeAhead()));
    clearMargin_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(margin, ring / 2 / align * align));

    std::uint8_t *base = nullptr, *wrap = nullptr;
    std::uint32_t baseBytes = 0, wrapBytes = 0;
    if (!buffer_->lock(0, 1, &base, &baseBytes, &wrap, &wrapBytes)) {
        releaseDevice();
        return raiseError(kOutputDriver);
    }
    buffer_->unlock(base, baseBytes, wrap, wrapBytes);
    ringBase_ = base;

    auto waiterStream = std::make_unique<com::MarshalledInterface>();
    auto timerStream = std::make_unique<com::MarshalledInterface>();
    notifyEvent_ = std::make_shared<capture::CaptureEvent>();
    stopEvent_ = std::make_shared<capture::CaptureEvent>();
    auto* self = static_cast<REduruZUZedova3*>(this);
    if (FAILED(waiterStream->marshal(self)) || FAILED(timerStream->marshal(self)) || !notifyEvent_->valid() ||
        !stopEvent_->valid()) {
        releaseDevice();
        return raiseError(kUnexpected);
    }

    const std::uint32_t count = static_cast<std::uint32_t>(std::max<std::uint64_t>(kRingBlocks * duration / 100, 1));
    std::uint32_t step = static_cast<std::uint32_t>(((ring / count) / align) * align);
    if (step == 0) step = static_cast<std::uint32_t>(align);
    std::vector<capture::NotificationPosition> positions;
    for (std::uint32_t i = 0; i < count && std::uint64_t(step) * (i + 1) <= ring; ++i)
        positions.push_back({step * (i + 1) - 1, notifyEvent_});
    if (!buffer_->setNotificationPositions(std::move(positions))) {
        releaseDevice();
        return raiseError(kUnexpected);
    }

    blockClock_ = tickCount();
    gate_.closeForStart();
    if (!buffer_->start()) {
        releaseDevice();
        return raiseError(kInputDriver);
    }
    waiter_.run([m = std::move(waiterStream), n = notifyEvent_, s = stopEvent_]() mutable {
        runCaptureWaiter(std::move(m), std::move(n), std::move(s));
    });
    timerRunning_ = std::make_shared<TimerSwitch>();
    const std::uint32_t interval = static_cast<std::uint32_t>(std::max<std::int32_t>(timerInterval_, 1));
    timer_.run([m = std::move(timerStream), interval, r = timerRunning_]() mutable { runTimer(std::move(m), interval, std::move(r)); });
    started_ = true;
    return S_OK;
}

void AudioDXRecord3::releaseDevice()
{
    if (buffer_) buffer_->stop();
    if (stopEvent_) stopEvent_->set();
    ringBase_ = nullptr;
    buffer_.reset();
    device_.reset();
}

HRESULT AudioDXRecord3::Stop()
{
    com::ComPtr<REduruZUZedova3> keep(this); // an event handler may release the container's reference
    if (started_) stopCapture();
    // A handler of the last block's event may have started a new run.
    if (!started_) finishWorkers();
    return S_OK;
}

void AudioDXRecord3::stopCapture()
{
    // The device stops first, so the last block holds everything it captured.
    buffer_->stop();
    capture::CapturePositions p;
    bool queued = false;
    if (buffer_->getCurrentPosition(p)) {
        updateCapturedFrames(p);
        queued = cutBlock(p, 1);
    }
    started_ = false;
    releaseDevice();
    if (timerRunning_) timerRunning_->stop();
    if (queued) fireEndArrayRecord();
}

void AudioDXRecord3::updateCapturedFrames(const capture::CapturePositions& p)
{
    if (format_.blockAlign) capturedFrames_ += (p.total - lastTotal_) / format_.blockAlign;
    lastTotal_ = p.total;
}

bool AudioDXRecord3::cutBlock(const capture::CapturePositions& p, std::uint64_t minimum)
{
    const std::uint32_t align = format_.blockAlign;
    // The ring keeps only its last ringSize_ bytes: older audio not yet taken was overwritten.
    if (p.total - consumed_ > std::uint64_t(ringSize_ - clearMargin_)) {
        const std::uint64_t resume = p.total - (ringSize_ - clearMargin_);
        lostFrames_ += (resume - consumed_) / align;
        consumed_ = resume;
    }
    const std::uint64_t available = p.total - consumed_;
    if (available == 0 || available < minimum) return false;
    if (!gate_.open()) {
        consumed_ += available;
        return false;
    }

    const auto header = headerBytes();
    RecordedBlock block;
    block.array = com::SafeArray(VT_UI1, static_cast<ULONG>(header.size() + available));
    if (!block.array.get()) return false; // no memory now: the audio stays in the ring for the next try
    std::uint8_t* out = block.array.data<std::uint8_t>();
    std::memcpy(out, header.data(), header.size());
    out += header.size();
    block.clock = blockClock_;

    const SampleLayout samples = layout();
    const GainFactors factors = gainFactors(gain_, balance_, format_.channels);
    std::uint64_t left = available;
    while (left > 0) {
        const auto offset = static_cast<std::uint32_t>(consumed_ % ringSize_);
        const auto want = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, ringSize_ - offset));
        std::uint8_t *piece = nullptr, *wrap = nullptr;
        std::uint32_t pieceBytes = 0, wrapBytes = 0;
        if (!buffer_->lock(offset, want, &piece, &pieceBytes, &wrap, &wrapBytes)) break;
        copyWithGain(piece, out + block.length, pieceBytes, samples, factors);
        const bool unlocked = buffer_->unlock(piece, pieceBytes, wrap, wrapBytes);
        block.length += pieceBytes;
        consumed_ += pieceBytes;
        left -= pieceBytes;
        if (!unlocked || pieceBytes == 0) break;
    }
    if (block.length == 0) return false;

    blockClock_ += static_cast<std::uint32_t>(mulDiv(block.length, 1000, format_.avgBytesPerSec));
    ++blockNumber_;
    blocks_.push_back(std::move(block));
    return true;
}

bool AudioDXRecord3::refreshPositions(capture::CapturePositions& p)
{
    if (!buffer_->getCurrentPosition(p)) return false;
    updateCapturedFrames(p);
    if (buffer_->capturing()) return true;
    // The device or the sound server went away: keep what came, then stop.
    stopCapture();
    return false;
}

HRESULT AudioDXRecord3::_Notify()
{
    CallScope scope(notifyCalls_);
    if (!started_) return S_OK;
    com::ComPtr<REduruZUZedova3> keep(this);
    capture::CapturePositions p;
    if (refreshPositions(p) && cutBlock(p, threshold_)) fireEndArrayRecord();
    return S_OK;
}

com::SafeArray AudioDXRecord3::takeBlock(LONG* clock)
{
    if (clock) *clock = 0;
    if (blocks_.empty() || blocks_.front().length == 0) return emptyArray();
    RecordedBlock& block = blocks_.front();
    const ULONG size = static_cast<ULONG>(headerBytes().size() + block.length);
    if (block.array.size() != size) {
        SAFEARRAYBOUND bound{size, 0};
        SafeArrayRedim(block.array.get(), &bound);
    }
    if (clock) *clock = static_cast<LONG>(block.clock);
    if (format_.blockAlign) receivedFrames_ += block.length / format_.blockAlign;
    com::SafeArray out = std::move(block.array);
    blocks_.pop_front();
    return out;
}

HRESULT AudioDXRecord3::ReceiveAudioArray(SAFEARRAY** Array)
{
    if (!Array) return E_POINTER;
    replaceArray(Array, takeBlock(nullptr));
    return S_OK;
}

HRESULT AudioDXRecord3::ReceiveAudioArray2(SAFEARRAY** Array, LONG* TickCountRecord)
{
    if (!Array) return E_POINTER;
    LONG clock = 0;
    replaceArray(Array, takeBlock(&clock));
    if (TickCountRecord) *TickCountRecord = clock;
    return S_OK;
}

HRESULT AudioDXRecord3::GetCurrentArray(LONG Samples, SAFEARRAY** Buffer)
{
    if (!Buffer) return E_POINTER;
    capture::CapturePositions p;
    if (!started_ || !buffer_->getCurrentPosition(p)) {
        replaceArray(Buffer, emptyArray());
        return S_OK;
    }
    // Only settled audio (see the header): what was captured, clear of the device's writing.
    const std::uint64_t frames = Samples > 0 ? std::uint64_t(Samples) : 0;
    const std::uint64_t settled = std::min<std::uint64_t>(p.total, ringSize_ - clearMargin_);
    const auto n = static_cast<std::uint32_t>(std::min<std::uint64_t>(frames * format_.blockAlign, settled));
    const auto header = headerBytes();
    com::SafeArray out(VT_UI1, static_cast<ULONG>(header.size() + n));
    if (!out.get()) return raiseError(kOutOfMemory);
    std::uint8_t* dst = out.data<std::uint8_t>();
    std::memcpy(dst, header.data(), header.size());
    dst += header.size();
    if (n > 0) {
        const std::uint32_t from = (p.capture % ringSize_ + ringSize_ - n) % ringSize_;
        std::uint8_t *piece = nullptr, *wrap = nullptr;
        std::uint32_t pieceBytes = 0, wrapBytes = 0;
        if (!buffer_->lock(from, n, &piece, &pieceBytes, &wrap, &wrapBytes)) {
            replaceArray(Buffer, emptyArray());
            return S_OK;
        }
        std::memcpy(dst, piece, pieceBytes);
        if (wrapBytes) std::memcpy(dst + pieceBytes, wrap, wrapBytes);
        buffer_->unlock(piece, pieceBytes, wrap, wrapBytes);
    }
    replaceArray(Buffer, std::move(out));
    return S_OK;
}

} // namespace dxrecord
