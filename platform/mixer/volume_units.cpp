#include "platform/mixer/volume_units.h"

#include <algorithm>

namespace mixer {

std::uint32_t toPulseVolume(std::int64_t raw)
{
    const std::uint64_t v = static_cast<std::uint64_t>(std::clamp<std::int64_t>(raw, 0, kRawVolumeMax));
    return static_cast<std::uint32_t>((v * kPulseVolumeNorm + kRawVolumeMax / 2) / kRawVolumeMax);
}

std::uint32_t fromPulseVolume(std::uint32_t pulse)
{
    const std::uint64_t v = (std::uint64_t(pulse) * kRawVolumeMax + kPulseVolumeNorm / 2) / kPulseVolumeNorm;
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, kRawVolumeMax));
}

} // namespace mixer
