#include "recorder/fileutil/filter_key.h"

#include <QChar>

namespace recorder {

namespace {

bool isDigit(int c) { return c >= '0' && c <= '9'; }

int asciiUpper(int c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool digitsOnlyAllows(int c, int flags)
{
    using namespace keyfilter;
    return isDigit(c) || ((c == '-' || c == 109) && (flags & kAllowMinus)) ||
           (c == '#' && (flags & kAllowHash)) || (c == '*' && (flags & kAllowStar)) ||
           (c == 110 && (flags & kAllowDecimalKey)) || (c == ' ' && (flags & kAllowSpace));
}

bool isUnicodeScalar(int c) { return c > 0 && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF); }

} // namespace

int FilterKey(int keyCode, int flags)
{
    using namespace keyfilter;
    if (keyCode == 8 || keyCode == 13 || keyCode == 27 || keyCode == 46) return keyCode;

    int c = keyCode;
    if ((flags & kDigitsOnly) && !digitsOnlyAllows(c, flags)) c = 0;
    if ((flags & kDigitsAndSlash) && !(isDigit(c) || c == '/' || c == 111)) c = 0;
    if (flags & kTimeOfDay) {
        const int u = asciiUpper(c);
        if (!(isDigit(c) || c == ';' || c == ':' || u == 'P' || u == 'M' || u == 'A')) c = 0;
    }
    if ((flags & kLettersOnly) && !(asciiUpper(c) >= 'A' && asciiUpper(c) <= 'Z')) c = 0;

    if ((flags & kUpperCase) && isUnicodeScalar(c)) c = static_cast<int>(QChar::toUpper(static_cast<char32_t>(c)));
    if ((flags & kNoSpaces) && c == ' ') c = 0;
    if ((flags & kQuoteToApostrophe) && c == '"') c = '\'';
    if ((flags & kNoApostrophes) && c == '\'') c = 0;
    return c;
}

} // namespace recorder
