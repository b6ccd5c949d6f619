#include "tags/text_codec.h"

#include "platform/com/bstr.h"

namespace tagmora {

namespace {

bool isHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool isLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

std::u16string decodeUtf16(ByteView bytes, bool bigEndian, bool honourMarks)
{
    std::u16string out;
    out.reserve(bytes.size() / 2);
    bool atStart = true;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint8_t a = bytes.at(i), b = bytes.at(i + 1);
        if (honourMarks && atStart) {
            atStart = false;
            if (a == 0xFF && b == 0xFE) {
                bigEndian = false;
                continue;
            }
            if (a == 0xFE && b == 0xFF) {
                bigEndian = true;
                continue;
            }
        }
        char16_t unit = bigEndian ? char16_t((a << 8) | b) : char16_t((b << 8) | a);
        out.push_back(unit);
        if (unit == 0) atStart = true;
    }
    return out;
}

} // namespace

std::size_t unitSize(std::uint8_t encoding) { return encoding == kUtf16 || encoding == kUtf16BE ? 2 : 1; }

std::u16string latin1ToUtf16(ByteView bytes) { return std::u16string(bytes.begin(), bytes.end()); }

std::u16string decodeText(ByteView bytes, std::uint8_t encoding)
{
    switch (encoding) {
    case kUtf16: return decodeUtf16(bytes, false, true);
    case kUtf16BE: return decodeUtf16(bytes, true, false);
    case kUtf8: {
        // Decode string by string so that terminators survive as NULs.
        std::u16string out;
        std::size_t start = 0;
        while (start < bytes.size()) {
            std::size_t nul = bytes.find(0, start);
            std::size_t stop = nul == ByteView::npos ? bytes.size() : nul;
            ByteView part = bytes.mid(start, stop - start);
            out += com::utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(part.data()), part.size()));
            if (nul == ByteView::npos) break;
            out.push_back(u'\0');
            start = nul + 1;
        }
        return out;
    }
    default: return latin1ToUtf16(bytes);
    }
}

std::string utf16ToLatin1(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c <= 0xFF) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('?');
            if (isHighSurrogate(c) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ++i;
        }
    }
    return out;
}

ByteVector encodeText(std::u16string_view text, std::uint8_t encoding)
{
    ByteVector out;
    switch (encoding) {
    case kUtf16:
    case kUtf16BE:
        if (text.empty()) return out;
        out.reserve(2 * text.size() + 2);
        if (encoding == kUtf16) out = {0xFF, 0xFE};
        for (char16_t c : text) {
            std::uint8_t lo = static_cast<std::uint8_t>(c & 0xFF), hi = static_cast<std::uint8_t>(c >> 8);
            if (encoding == kUtf16) {
                out.push_back(lo);
                out.push_back(hi);
            } else {
                out.push_back(hi);
                out.push_back(lo);
            }
        }
        return out;
    case kUtf8: {
        std::string utf8 = com::utf16ToUtf8(text);
        return ByteVector(utf8.begin(), utf8.end());
    }
    default: {
        std::string latin1 = utf16ToLatin1(text);
        return ByteVector(latin1.begin(), latin1.end());
    }
    }
}

std::size_t findTerminatorEnd(ByteView bytes, std::size_t from, std::uint8_t encoding)
{
    if (unitSize(encoding) == 1) {
        std::size_t nul = bytes.find(0, from);
        return nul == ByteView::npos ? ByteView::npos : nul + 1;
    }
    for (std::size_t i = from; bytes.holds(i, 2); i += 2)
        if (bytes.at(i) == 0 && bytes.at(i + 1) == 0) return i + 2;
    return ByteView::npos;
}

bool fitsLatin1(std::u16string_view text)
{
    for (char16_t c : text)
        if (c > 0xFF) return false;
    return true;
}

} // namespace tagmora
