#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr std::size_t kPrefix = sizeof(std::uint32_t);

std::uint32_t* header(BSTR b) { return reinterpret_cast<std::uint32_t*>(reinterpret_cast<char*>(b) - kPrefix); }

BSTR allocBytes(const void* data, std::size_t bytes)
{
    if (bytes > 0xFFFFFFF0u) return nullptr;
    // Prefix, payload, and a two-byte terminator (a byte-length BSTR may be odd).
    auto* raw = static_cast<char*>(std::malloc(kPrefix + bytes + 2));
    if (!raw) return nullptr;
    auto len = static_cast<std::uint32_t>(bytes);
    std::memcpy(raw, &len, kPrefix);
    if (data)
        std::memcpy(raw + kPrefix, data, bytes);
    else
        std::memset(raw + kPrefix, 0, bytes);
    raw[kPrefix + bytes] = 0;
    raw[kPrefix + bytes + 1] = 0;
    return reinterpret_cast<BSTR>(raw + kPrefix);
}

std::size_t length16(LPCOLESTR p)
{
    std::size_t n = 0;
    while (p[n]) ++n;
    return n;
}

void appendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

BSTR SysAllocString(LPCOLESTR psz)
{
    if (!psz) return nullptr;
    return allocBytes(psz, length16(psz) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(LPCOLESTR pch, UINT cch) { return allocBytes(pch, std::size_t(cch) * sizeof(OLECHAR)); }

BSTR SysAllocStringByteLen(const char* psz, UINT len) { return allocBytes(psz, len); }

void SysFreeString(BSTR bstr)
{
    if (bstr) std::free(header(bstr));
}

int SysReAllocString(BSTR* pbstr, LPCOLESTR psz)
{
    if (!pbstr) return 0;
    BSTR fresh = SysAllocString(psz);
    if (psz && !fresh) return 0;
    SysFreeString(*pbstr);
    *pbstr = fresh;
    return 1;
}

UINT SysStringByteLen(BSTR bstr) { return bstr ? *header(bstr) : 0; }

UINT SysStringLen(BSTR bstr) { return SysStringByteLen(bstr) / sizeof(OLECHAR); }

namespace com {

std::u16string utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t need = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            need = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            need = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            need = 3;
        } else {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        std::size_t j = 1;
        bool ok = i + need < s.size();
        for (; ok && j <= need; ++j) {
            auto cc = static_cast<unsigned char>(s[i + j]);
            if ((cc & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (cc & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not characters.
        static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[need] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out += u'\uFFFD';
            i += ok ? need + 1 : j;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
        i += need + 1;
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        appendUtf8(out, c);
    }
    return out;
}

BSTR allocBstr(std::string_view utf8)
{
    auto w = utf8ToUtf16(utf8);
    return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
}

BSTR allocBstr(std::u16string_view utf16) { return SysAllocStringLen(utf16.data(), static_cast<UINT>(utf16.size())); }

std::string toUtf8(BSTR b) { return utf16ToUtf8(view(b)); }

std::u16string_view view(BSTR b) { return b ? std::u16string_view(b, SysStringLen(b)) : std::u16string_view(); }

} // namespace com
