#include "capture/level_meter.h"

#include <algorithm>
#include <cmath>

namespace dxrecord {

std::uint32_t levelWindowBytes(std::uint32_t bytesPerSec, std::int32_t windowMs, std::uint32_t ringSize, int blockAlign)
{
    if (windowMs <= 0 || blockAlign <= 0) return 0;
    std::uint64_t n = (std::uint64_t(bytesPerSec) * std::uint64_t(windowMs) + 500) / 1000;
    n -= n % std::uint64_t(blockAlign);
    std::uint64_t cap = ringSize / 10;
    cap -= cap % std::uint64_t(blockAlign);
    return static_cast<std::uint32_t>(std::min(n, cap));
}

namespace {

template <int Bits>
void scan(const std::uint8_t* p, std::uint32_t frames, const SampleLayout& layout, std::vector<std::int64_t>& peaks)
{
    constexpr int step = Bits / 8;
    for (std::uint32_t f = 0; f < frames; ++f, p += layout.blockAlign) {
        const std::uint8_t* s = p;
        for (int c = 0; c < layout.channels; ++c, s += step) {
            std::int64_t v = readSample(s, Bits);
            if (v < 0) v = -v;
            if (v > peaks[c]) peaks[c] = v;
        }
    }
}

void scanStretch(const std::uint8_t* p, std::uint32_t bytes, const SampleLayout& layout, std::vector<std::int64_t>& peaks)
{
    const std::uint32_t frames = bytes / std::uint32_t(layout.blockAlign);
    switch (layout.bitsPerSample) {
    case 8: scan<8>(p, frames, layout, peaks); break;
    case 16: scan<16>(p, frames, layout, peaks); break;
    case 24: scan<24>(p, frames, layout, peaks); break;
    case 32: scan<32>(p, frames, layout, peaks); break;
    default: break;
    }
}

} // namespace

std::vector<std::int64_t> channelPeaks(const std::uint8_t* ring, std::uint32_t ringSize, std::uint32_t end,
                                       std::uint32_t bytes, const SampleLayout& layout)
{
    std::vector<std::int64_t> peaks(std::max(layout.channels, 0), 0);
    if (!ring || ringSize == 0 || layout.blockAlign <= 0 || layout.channels <= 0) return peaks;
    // Frames must fit the block align; a malformed layout reads nothing.
    if (layout.channels * layout.bytesPerSample() > layout.blockAlign) return peaks;
    bytes = std::min(bytes, ringSize);
    end %= ringSize;
    if (bytes <= end) {
        scanStretch(ring + (end - bytes), bytes, layout, peaks);
    } else {
        const std::uint32_t tail = bytes - end; // the part before the ring's start, taken from its end
        scanStretch(ring + (ringSize - tail), tail, layout, peaks);
        scanStretch(ring, end, layout, peaks);
    }
    return peaks;
}

int levelWordSize(std::int32_t requested) { return std::clamp<std::int32_t>(requested, 1, 4); }

int rawLevel(std::int64_t peak, int bitsPerSample, int wordSize)
{
    const int d = 8 * wordSize - bitsPerSample;
    std::int64_t scaled = d > 0 ? (d >= 40 ? 0 : peak << d) : (-d >= 63 ? 0 : peak >> -d);
    if (scaled < 1) return 0;
    return static_cast<int>(std::trunc(20.0 * std::log10(double(scaled)) + 0.5));
}

int levelOffset(int wordSize) { return static_cast<int>(std::trunc(20.0 * (8 * wordSize - 1) * std::log10(2.0))); }

} // namespace dxrecord
