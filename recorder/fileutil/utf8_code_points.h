#pragma once
// UTF-8 text as code points and back. A file name on Linux is any bytes, so
// a byte that starts no valid sequence decodes to kRawByteBase + byte (a
// lone low surrogate, which valid UTF-8 never holds) and encodes back to
// itself: routines that change letters leave what they cannot read intact.

#include <string>
#include <string_view>

namespace recorder::utf8 {

inline constexpr char32_t kRawByteBase = 0xDC00;

std::u32string decode(std::string_view text);
std::string encode(std::u32string_view codePoints);

} // namespace recorder::utf8
