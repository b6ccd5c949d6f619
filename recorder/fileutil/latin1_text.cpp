#include "recorder/fileutil/latin1_text.h"

#include "recorder/fileutil/utf8_code_points.h"
#include "recorder/fileutil/valid_utf8.h"

namespace recorder {

std::string utf8ToLatin1(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    // Bytes that start no valid sequence decode to kRawByteBase + byte, above 0xFF: "?" too.
    for (char32_t c : utf8::decode(utf8)) out.push_back(c <= 0xFF ? static_cast<char>(c) : '?');
    return out;
}

std::string latin1ToUtf8(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size() * 2);
    for (char ch : latin1) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string utf8OrLatin1(std::string_view text) { return isValidUtf8(text) ? std::string(text) : latin1ToUtf8(text); }

} // namespace recorder
