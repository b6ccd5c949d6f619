#include "recorder/fileutil/valid_utf8.h"

namespace recorder {

bool isValidUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        // The lead byte fixes the length and the range its second byte may take:
        // the narrower ranges are what keep out overlong forms, surrogates and
        // values past U+10FFFF.
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return false;
        }
        if (s.size() - i < length) return false;
        const auto second = static_cast<unsigned char>(s[i + 1]);
        if (second < low || second > high) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

} // namespace recorder
