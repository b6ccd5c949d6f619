#pragma once
// Software gain and balance, applied to audio as it is copied out of the ring.

#include "capture/sample_layout.h"

#include <cstddef>
#include <cstdint>

namespace dxrecord {

struct GainFactors {
    double left = 1.0;  // channel 0, and the only channel of mono audio
    double right = 1.0; // channel 1
    double other = 1.0; // channels 2 and up: the gain without balance
    bool unity() const { return left == 1.0 && right == 1.0 && other == 1.0; }
    double forChannel(int c) const { return c == 0 ? left : c == 1 ? right : other; }
};

// Mono: gain alone. More channels: left gain * (1 - balance), right gain * (1 + balance).
GainFactors gainFactors(double gain, double balance, int channels);

// Copies whole frames from src to dst through the factors: each sample times
// its channel's factor, truncated toward zero and saturated at the limits of
// its type. Unity factors, and sample sizes other than 8, 16, 24 and 32 bits,
// copy the bytes unchanged.
void copyWithGain(const std::uint8_t* src, std::uint8_t* dst, std::size_t bytes, const SampleLayout& layout,
                  const GainFactors& factors);

} // namespace dxrecord
