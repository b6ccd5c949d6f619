#pragma once
// The audio arrays that cross between the capture control, AudioFile and
// Audioplayer: a 40-byte WAVEFORMATEXTENSIBLE header (little-endian), then
// interleaved 16-bit PCM frames.

#include "platform/com/safearray.h"
#include "platform/com/variant.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace recorder {

constexpr std::size_t kAudioArrayHeaderSize = 40;

struct AudioArrayView {
    std::int32_t sampleRate = 0;
    std::int32_t channels = 0;
    std::span<const std::uint8_t> pcm; // whole frames only
    std::size_t frames() const { return channels > 0 ? pcm.size() / (2u * static_cast<std::size_t>(channels)) : 0; }
};

// Checks the header: tag 0xFFFE (extensible, 22 extra bytes, PCM sub-format)
// or 1 (PCM), 16 bits, 1..8 channels, a block align and byte rate that agree.
// An empty span is a valid empty block. Trailing bytes of a partial frame are
// ignored. On failure `why` says what is wrong.
std::optional<AudioArrayView> parseAudioArray(std::span<const std::uint8_t> bytes, std::string& why);

// The bytes of a VT_UI1 array; empty for null, for other element types, or
// when the data cannot be accessed.
std::span<const std::uint8_t> bytesOf(SAFEARRAY* array);

// A new VT_UI1 array: the extensible header for (rate, channels, 16 bits) then pcm.
com::SafeArray makeAudioArray(std::int32_t sampleRate, std::int32_t channels, std::span<const std::uint8_t> pcm);
// The 40 header bytes alone, for building arrays in place.
void writeAudioArrayHeader(std::uint8_t* out, std::int32_t sampleRate, std::int32_t channels);

} // namespace recorder
