#pragma once
// Measurements on interleaved signed 16-bit audio.

#include <cstdint>
#include <span>

namespace testsound {

// Amplitude (1.0 = full scale) of the component at `frequency` in one channel,
// by the Goertzel algorithm over the whole span.
double toneAmplitude(std::span<const std::int16_t> interleaved, int channels, int channel, double frequency, int rate);
// Largest magnitude in one channel.
int peak(std::span<const std::int16_t> interleaved, int channels, int channel);
// Root mean square in one channel, 1.0 = full scale.
double rms(std::span<const std::int16_t> interleaved, int channels, int channel);

} // namespace testsound
