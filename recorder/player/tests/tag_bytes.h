#pragma once
// Building ID3 bytes for the player's tests.

#include <cstdint>
#include <string>
#include <vector>

namespace playertest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The bytes of a string as they are (Latin-1 or UTF-8 source text).
inline Bytes raw(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes utf16(const std::u16string& s, bool bigEndian, bool mark)
{
    Bytes out;
    if (mark) out = bigEndian ? Bytes{0xFE, 0xFF} : Bytes{0xFF, 0xFE};
    for (char16_t c : s) {
        const auto hi = static_cast<std::uint8_t>(c >> 8), lo = static_cast<std::uint8_t>(c & 0xFF);
        out.push_back(bigEndian ? hi : lo);
        out.push_back(bigEndian ? lo : hi);
    }
    return out;
}

inline Bytes size32(std::uint32_t v, bool syncSafe)
{
    if (syncSafe)
        return {std::uint8_t((v >> 21) & 127), std::uint8_t((v >> 14) & 127), std::uint8_t((v >> 7) & 127),
                std::uint8_t(v & 127)};
    return {std::uint8_t(v >> 24), std::uint8_t(v >> 16), std::uint8_t(v >> 8), std::uint8_t(v)};
}

// A frame of a v2.3 (plain size) or v2.4 (sync-safe size) tag.
inline Bytes frame(const std::string& id, const Bytes& body, bool syncSafe = false)
{
    return raw(id) + size32(std::uint32_t(body.size()), syncSafe) + Bytes{0, 0} + body;
}

// A v2.2 frame: three-letter identifier, 24-bit size.
inline Bytes frame22(const std::string& id, const Bytes& body)
{
    const auto n = static_cast<std::uint32_t>(body.size());
    return raw(id) + Bytes{std::uint8_t(n >> 16), std::uint8_t(n >> 8), std::uint8_t(n)} + body;
}

inline Bytes tag(std::uint8_t version, const Bytes& frames, std::size_t padding = 16)
{
    Bytes area = frames;
    area.resize(area.size() + padding, 0);
    return Bytes{'I', 'D', '3', version, 0, 0} + size32(std::uint32_t(area.size()), true) + area;
}

// The 128-byte ID3v1.1 trailer.
inline Bytes id3v1(const std::string& title, const std::string& artist, const std::string& album,
                   const std::string& year, const std::string& comment, std::uint8_t track, std::uint8_t genre)
{
    auto field = [](const std::string& s, std::size_t width) {
        Bytes b = raw(s.substr(0, width));
        b.resize(width, 0);
        return b;
    };
    return raw("TAG") + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) +
           field(comment, 28) + Bytes{0, track, genre};
}

} // namespace playertest
