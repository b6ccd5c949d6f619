// AudioDXRecord3: the timer tick (levels and the Accu gate) and event firing.

#include "capture/audio_dx_record3.h"
#include "capture/level_meter.h"

#include <algorithm>

namespace dxrecord {

using namespace TavorAudioDXRecord3Lib;

HRESULT AudioDXRecord3::_OnTimer()
{
    CallScope scope(timerCalls_);
    if (!started_ || !timerEnabled_) return S_OK;
    com::ComPtr<REduruZUZedova3> keep(this);
    capture::CapturePositions p;
    if (!refreshPositions(p)) return S_OK;

    const std::uint32_t window = levelWindowBytes(format_.avgBytesPerSec, levelWindow_, ringSize_, format_.blockAlign);
    // Read in place, bracketed as every ring access is (capture_device.h).
    std::uint8_t *piece = nullptr, *wrap = nullptr;
    std::uint32_t pieceBytes = 0, wrapBytes = 0;
    const std::uint32_t from = (p.capture % ringSize_ + ringSize_ - std::min(window, ringSize_)) % ringSize_;
    const bool locked = buffer_->lock(from, std::min(window, ringSize_), &piece, &pieceBytes, &wrap, &wrapBytes);
    const auto peaks = channelPeaks(ringBase_, ringSize_, p.capture, window, layout());
    if (locked) buffer_->unlock(piece, pieceBytes, wrap, wrapBytes);
    const int wordSize = levelWordSize(levelWordSize_);
    std::vector<int> levels;
    levels.reserve(peaks.size());
    for (auto peak : peaks) levels.push_back(rawLevel(peak, format_.bitsPerSample, wordSize));

    switch (gate_.step(levels)) {
    case AccuGate::kOpened: fireAccuChange(kAccuOpened); break;
    case AccuGate::kClosed: fireAccuChange(kAccuClosed); break;
    case AccuGate::kNone: break;
    }
    // A handler of AccuChange may have stopped the control.
    if (!started_) return S_OK;

    const int offset = levelOffset(wordSize);
    for (int& level : levels) level -= offset;
    fireTimer(levels);
    return S_OK;
}

void AudioDXRecord3::fireEndArrayRecord()
{
    com::Variant block = counterVariant(blockNumber_);
    events_.fire(DISPID_EndArrayRecord, {block});
}

void AudioDXRecord3::fireTimer(const std::vector<int>& levels)
{
    com::Variant samples = counterVariant(capturedFrames_);
    com::SafeArray array(VT_I2, static_cast<ULONG>(levels.size()));
    com::Variant levelArray;
    if (array.get()) {
        auto* out = array.data<SHORT>();
        for (std::size_t i = 0; i < levels.size(); ++i) out[i] = static_cast<SHORT>(levels[i]);
        levelArray = com::Variant::array(array.detach(), VT_I2);
    } else {
        levelArray = com::Variant::error(E_OUTOFMEMORY);
    }
    events_.fire(DISPID_Timer, {samples, levelArray});
}

void AudioDXRecord3::fireAccuChange(LONG state) { events_.fire(DISPID_AccuChange, {com::Variant::i4(state)}); }

} // namespace dxrecord
