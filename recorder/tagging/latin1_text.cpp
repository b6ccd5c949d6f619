#include "recorder/tagging/latin1_text.h"

#include "platform/com/bstr.h"

namespace recorder {

std::string utf8ToLatin1(std::string_view utf8)
{
    std::u16string text = com::utf8ToUtf16(utf8);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c <= 0xFF) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        out.push_back('?');
        bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) ++i;
    }
    return out;
}

std::string latin1ToUtf8(std::string_view latin1)
{
    std::u16string text(latin1.begin(), latin1.end());
    for (std::size_t i = 0; i < latin1.size(); ++i) text[i] = static_cast<unsigned char>(latin1[i]);
    return com::utf16ToUtf8(text);
}

} // namespace recorder
