#pragma once
// The 4-byte size fields of ID3v2.3. The tag size is sync-safe: seven bits a
// byte, most significant first. Frame sizes are plain 32-bit big-endian
// numbers; older files of ours wrote them sync-safe, which the reader
// recognises (see tag_reader.h).

#include <array>
#include <cstdint>

namespace tagmora {

using SizeBytes = std::array<std::uint8_t, 4>;

// Sync-safe encoding; values of 2^28 and above lose their high bits.
SizeBytes LongToByte(std::uint32_t value);
// Sync-safe decoding that takes each byte whole, bit 7 included, so that
// 00 00 00 80 reads as 128; the largest result is 538984575.
std::uint32_t ByteToLong(const std::uint8_t* bytes);

SizeBytes plainSizeBytes(std::uint32_t value);
std::uint32_t plainSize(const std::uint8_t* bytes);

// value * 2^n for direction 1, value / 2^n for direction 2, else 0.
std::int64_t Shift(std::int64_t value, int n, int direction);

} // namespace tagmora
