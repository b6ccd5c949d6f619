#pragma once
// The 10-byte tag header at offset 0 and the 10-byte header of each frame.

#include "tags/byte_vector.h"
#include "tags/size_codec.h"

#include <array>
#include <optional>
#include <string>

namespace tagmora {

struct ID3v2Header {
    static constexpr std::size_t kSize = 10;
    static constexpr std::uint8_t kUnsynchronisation = 0x80;
    static constexpr std::uint8_t kExtendedHeader = 0x40;
    static constexpr std::uint8_t kFooter = 0x10; // v2.4

    std::uint8_t bytVersion = 3;
    std::uint8_t bytRevision = 0;
    std::uint8_t bytFlags = 0;
    SizeBytes bytSize{};

    // The header when the bytes begin with "ID3" and are at least 10 long.
    static std::optional<ID3v2Header> parse(ByteView fileStart);
    std::uint32_t tagSize() const { return ByteToLong(bytSize.data()); }
    ByteVector render() const;
};

struct FrameHeader {
    static constexpr std::size_t kSize = 10;
    // Flag bits of the second flag byte that change how the body is stored.
    static constexpr std::uint8_t kCompressed = 0x80;
    static constexpr std::uint8_t kEncrypted = 0x40;
    static constexpr std::uint8_t kGrouped = 0x20;

    std::string sFrameID;
    SizeBytes bytSize{};
    std::array<std::uint8_t, 2> bytFlags{};
};

// Raises 110 unless exactly 10 bytes are given.
FrameHeader ExtractFrameHeader(ByteView bytes);
ByteVector renderFrameHeader(const std::string& id, std::uint32_t bodySize, const std::array<std::uint8_t, 2>& flags);

} // namespace tagmora
