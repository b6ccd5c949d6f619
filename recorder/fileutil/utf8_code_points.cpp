#include "recorder/fileutil/utf8_code_points.h"

namespace recorder::utf8 {

namespace {

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// The length of the valid sequence at text[i], or 0.
std::size_t sequenceLength(std::string_view text, std::size_t i)
{
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const std::size_t left = text.size() - i;
    const unsigned char b = at(0);
    if (b < 0x80) return 1;
    // The second byte's range excludes overlong forms, surrogates and values above U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    std::size_t length = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (left < length || at(1) < low || at(1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (!isContinuation(at(k))) return 0;
    return length;
}

} // namespace

std::u32string decode(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::size_t length = sequenceLength(text, i);
        if (length == 0) {
            out.push_back(kRawByteBase + b);
            ++i;
            continue;
        }
        char32_t cp = length == 1 ? b : b & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out.push_back(cp);
        i += length;
    }
    return out;
}

std::string encode(std::u32string_view codePoints)
{
    std::string out;
    out.reserve(codePoints.size());
    const auto put = [&](char32_t byte) { out.push_back(static_cast<char>(byte)); };
    for (const char32_t cp : codePoints) {
        if (cp >= kRawByteBase + 0x80 && cp <= kRawByteBase + 0xFF) {
            put(cp - kRawByteBase);
        } else if (cp < 0x80) {
            put(cp);
        } else if (cp < 0x800) {
            put(0xC0 | (cp >> 6));
            put(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            put(0xE0 | (cp >> 12));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        } else {
            put(0xF0 | (cp >> 18));
            put(0x80 | ((cp >> 12) & 0x3F));
            put(0x80 | ((cp >> 6) & 0x3F));
            put(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

} // namespace recorder::utf8
