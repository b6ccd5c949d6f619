#pragma once
// BSTR: a length-prefixed, NUL-terminated UTF-16 string. The 32-bit byte
// length sits just before the first character; the pointer handed out points
// at the characters. Null is a valid BSTR and means the empty string.

#include "platform/com/types.h"

#include <string>
#include <string_view>

using OLECHAR = char16_t;
using BSTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;

BSTR SysAllocString(LPCOLESTR psz);
BSTR SysAllocStringLen(LPCOLESTR pch, UINT cch);
BSTR SysAllocStringByteLen(const char* psz, UINT len);
void SysFreeString(BSTR bstr);
int SysReAllocString(BSTR* pbstr, LPCOLESTR psz);
UINT SysStringLen(BSTR bstr);
UINT SysStringByteLen(BSTR bstr);

namespace com {

// Text conversions. Invalid UTF-8 bytes become U+FFFD; unpaired surrogates too.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

BSTR allocBstr(std::string_view utf8);
BSTR allocBstr(std::u16string_view utf16);
std::string toUtf8(BSTR b);
std::u16string_view view(BSTR b);

// Owns one BSTR.
class Bstr {
public:
    Bstr() = default;
    explicit Bstr(std::string_view utf8) : b_(allocBstr(utf8)) {}
    explicit Bstr(std::u16string_view utf16) : b_(allocBstr(utf16)) {}
    Bstr(const Bstr& o) : b_(o.b_ ? SysAllocStringLen(o.b_, SysStringLen(o.b_)) : nullptr) {}
    Bstr(Bstr&& o) noexcept : b_(o.b_) { o.b_ = nullptr; }
    ~Bstr() { SysFreeString(b_); }
    Bstr& operator=(Bstr o) noexcept
    {
        std::swap(b_, o.b_);
        return *this;
    }

    static Bstr adopt(BSTR b)
    {
        Bstr r;
        r.b_ = b;
        return r;
    }
    BSTR get() const { return b_; }
    BSTR detach()
    {
        BSTR b = b_;
        b_ = nullptr;
        return b;
    }
    BSTR* put()
    {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    std::string utf8() const { return toUtf8(b_); }
    UINT length() const { return SysStringLen(b_); }

private:
    BSTR b_ = nullptr;
};

} // namespace com
