#pragma once
// The program's text is UTF-8; ID3v1 fields are Latin-1 bytes.

#include <string>
#include <string_view>

namespace recorder {

// One byte a character; "?" for each character that Latin-1 lacks.
std::string utf8ToLatin1(std::string_view utf8);
std::string latin1ToUtf8(std::string_view latin1);

} // namespace recorder
