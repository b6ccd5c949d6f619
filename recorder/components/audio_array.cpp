#include "recorder/components/audio_array.h"

#include <cstring>

namespace recorder {

namespace {

constexpr std::uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                            0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t u32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
void put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}

} // namespace

std::optional<AudioArrayView> parseAudioArray(std::span<const std::uint8_t> bytes, std::string& why)
{
    AudioArrayView view;
    if (bytes.empty()) return view;
    if (bytes.size() < kAudioArrayHeaderSize) {
        why = "The audio block is too short for its format header.";
        return std::nullopt;
    }
    const std::uint8_t* h = bytes.data();
    const std::uint16_t tag = u16(h);
    const std::uint16_t channels = u16(h + 2);
    const std::uint32_t rate = u32(h + 4);
    const std::uint32_t byteRate = u32(h + 8);
    const std::uint16_t blockAlign = u16(h + 12);
    const std::uint16_t bits = u16(h + 14);
    if (tag == 0xFFFE) {
        if (u16(h + 16) != 22 || std::memcmp(h + 24, kPcmSubFormat, 16) != 0) {
            why = "The audio block is not PCM.";
            return std::nullopt;
        }
    } else if (tag != 1) {
        why = "The audio block is not PCM.";
        return std::nullopt;
    }
    if (bits != 16) {
        why = "The audio block has " + std::to_string(bits) + " bits per sample; 16 are needed.";
        return std::nullopt;
    }
    if (channels < 1 || channels > 8 || rate < 1000 || rate > 384000 || blockAlign != channels * 2u ||
        byteRate != rate * blockAlign) {
        why = "The audio block's format header is damaged.";
        return std::nullopt;
    }
    view.sampleRate = static_cast<std::int32_t>(rate);
    view.channels = channels;
    std::size_t pcm = bytes.size() - kAudioArrayHeaderSize;
    pcm -= pcm % blockAlign;
    view.pcm = bytes.subspan(kAudioArrayHeaderSize, pcm);
    return view;
}

std::span<const std::uint8_t> bytesOf(SAFEARRAY* array)
{
    if (!array || array->cDims != 1) return {};
    VARTYPE vt = 0;
    if (FAILED(SafeArrayGetVartype(array, &vt)) || (vt != VT_UI1 && vt != VT_I1)) return {};
    const ULONG n = com::elementCount(array);
    if (n == 0 || !array->pvData) return {};
    return {static_cast<const std::uint8_t*>(array->pvData), n};
}

void writeAudioArrayHeader(std::uint8_t* h, std::int32_t sampleRate, std::int32_t channels)
{
    const std::uint32_t align = static_cast<std::uint32_t>(channels) * 2;
    put16(h, 0xFFFE);
    put16(h + 2, static_cast<std::uint32_t>(channels));
    put32(h + 4, static_cast<std::uint32_t>(sampleRate));
    put32(h + 8, static_cast<std::uint32_t>(sampleRate) * align);
    put16(h + 12, align);
    put16(h + 14, 16);
    put16(h + 16, 22);
    put16(h + 18, 16);
    put32(h + 20, channels == 1 ? 4u : 3u);
    std::memcpy(h + 24, kPcmSubFormat, 16);
}

com::SafeArray makeAudioArray(std::int32_t sampleRate, std::int32_t channels, std::span<const std::uint8_t> pcm)
{
    com::SafeArray out(VT_UI1, static_cast<ULONG>(kAudioArrayHeaderSize + pcm.size()));
    auto* p = out.data<std::uint8_t>();
    if (!p) return out;
    writeAudioArrayHeader(p, sampleRate, channels);
    if (!pcm.empty()) std::memcpy(p + kAudioArrayHeaderSize, pcm.data(), pcm.size());
    return out;
}

} // namespace recorder
