#pragma once
// Peak levels of the newest audio in the capture ring, in decibels.

#include "capture/sample_layout.h"

#include <cstdint>
#include <vector>

namespace dxrecord {

// Bytes of the level window: bytesPerSec * windowMs / 1000 rounded, in whole
// frames, at most a tenth of the ring; 0 for a window below one frame.
std::uint32_t levelWindowBytes(std::uint32_t bytesPerSec, std::int32_t windowMs, std::uint32_t ringSize, int blockAlign);

// Largest magnitude per channel over the `bytes` bytes that end at `end` in
// the ring, wrapping round its start. Sample sizes other than 8, 16, 24 and
// 32 bits give 0.
std::vector<std::int64_t> channelPeaks(const std::uint8_t* ring, std::uint32_t ringSize, std::uint32_t end,
                                       std::uint32_t bytes, const SampleLayout& layout);

// The effective level word size: 1 … 4 bytes.
int levelWordSize(std::int32_t requested);

// Level before the full-scale offset: 0 for silence, up to levelOffset().
int rawLevel(std::int64_t peak, int bitsPerSample, int wordSize);

// trunc(20 * log10(2^(8 * wordSize - 1))): 42, 90, 138 for sizes 1, 2, 3.
int levelOffset(int wordSize);

} // namespace dxrecord
