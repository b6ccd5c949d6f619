#pragma once
// Raw mixer volume units and the sound server's volume.
//
// Raw units run 0 … 65535; the server's run 0 … PA_VOLUME_NORM (65536) for
// 0 … 100 % and beyond for amplification. The mapping is linear with 65535
// raw = PA_VOLUME_NORM, rounded to the nearest unit both ways:
//   pulse = ⌊(raw · 65536 + 32767) / 65535⌋   (raw clamped to 0 … 65535)
//   raw   = min(65535, ⌊(pulse · 65535 + 32768) / 65536⌋)
// Every raw value survives the round trip raw → pulse → raw; a raw value v
// shows on the server as v below 32768 and as v + 1 from 32768 on (40000 is
// 40001). Server volumes above 100 % read as 65535.

#include <cstdint>

namespace mixer {

constexpr std::uint32_t kRawVolumeMax = 65535;
constexpr std::uint32_t kPulseVolumeNorm = 65536;

std::uint32_t toPulseVolume(std::int64_t raw);
std::uint32_t fromPulseVolume(std::uint32_t pulse);

} // namespace mixer
