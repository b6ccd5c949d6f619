#pragma once
// The bit rates a bitrate slider offers, one per position.

#include <array>
#include <optional>

namespace recorder {

inline constexpr std::array<int, 15> kBitrateTable = {8, 16, 24, 32, 48, 56, 64, 96, 112, 128, 160, 192, 224, 256, 320};

// The slider position of a bit rate in kbit/s; nullopt when the table lacks it.
inline std::optional<int> bitratePosition(int kbps)
{
    for (std::size_t i = 0; i < kBitrateTable.size(); ++i)
        if (kBitrateTable[i] == kbps) return static_cast<int>(i);
    return std::nullopt;
}

// The bit rate of a position, clamped into the table.
inline int bitrateAt(int position)
{
    if (position < 0) position = 0;
    if (position >= static_cast<int>(kBitrateTable.size())) position = static_cast<int>(kBitrateTable.size()) - 1;
    return kBitrateTable[static_cast<std::size_t>(position)];
}

} // namespace recorder
