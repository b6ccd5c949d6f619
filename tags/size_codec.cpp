#include "tags/size_codec.h"

namespace tagmora {

SizeBytes LongToByte(std::uint32_t value)
{
    SizeBytes b{};
    for (int i = 0; i < 4; ++i) b[i] = static_cast<std::uint8_t>(Shift(value, 21 - 7 * i, 2) & 127);
    return b;
}

std::uint32_t ByteToLong(const std::uint8_t* bytes)
{
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v += static_cast<std::uint32_t>(Shift(bytes[i], 21 - 7 * i, 1));
    return v;
}

SizeBytes plainSizeBytes(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
            static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)};
}

std::uint32_t plainSize(const std::uint8_t* b)
{
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | b[3];
}

std::int64_t Shift(std::int64_t value, int n, int direction)
{
    if (n < 0 || n > 62) return 0;
    switch (direction) {
    case 1: return value * (std::int64_t{1} << n);
    case 2: return value / (std::int64_t{1} << n);
    default: return 0;
    }
}

} // namespace tagmora
