#pragma once
// The text encodings of frame strings. ID3v2.3 knows 0 (ISO-8859-1) and 1
// (UTF-16 with a byte-order mark); 2 (UTF-16BE) and 3 (UTF-8) of later
// versions are read too. Any other encoding byte is read byte by byte.
// Strings are UTF-16 here; a NUL terminator is an ordinary last character.

#include "tags/byte_vector.h"

#include <string>
#include <string_view>

namespace tagmora {

enum TextEncoding : std::uint8_t { kLatin1 = 0, kUtf16 = 1, kUtf16BE = 2, kUtf8 = 3 };

// Bytes per code unit and so per terminator: 2 for the UTF-16 encodings, else 1.
std::size_t unitSize(std::uint8_t encoding);

// Decodes bytes; terminators become NUL characters. A UTF-16 string takes
// its byte order from a leading mark (little-endian without one); a mark
// right after a terminator starts the next string. An odd last byte is dropped.
std::u16string decodeText(ByteView bytes, std::uint8_t encoding);

// Encodes text; UTF-16 text gets the little-endian mark first (nothing at all
// for ""). Characters outside Latin-1 become "?" in encoding 0.
ByteVector encodeText(std::u16string_view text, std::uint8_t encoding);

// The offset just past the first terminator at or after from (counting code
// units from from), or ByteView::npos when there is none.
std::size_t findTerminatorEnd(ByteView bytes, std::size_t from, std::uint8_t encoding);

bool fitsLatin1(std::u16string_view text);
std::u16string latin1ToUtf16(ByteView bytes);
// One byte a character; "?" for each character (code point) that does not fit.
std::string utf16ToLatin1(std::u16string_view text);

} // namespace tagmora
