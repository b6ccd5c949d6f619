#pragma once
// The program's text is UTF-8; ID3v1 fields, old project, schedule and
// playlist files hold Latin-1 bytes.

#include <string>
#include <string_view>

namespace recorder {

// One byte a character; "?" for each character Latin-1 lacks, and for each
// byte that is not UTF-8.
std::string utf8ToLatin1(std::string_view utf8);
// Every byte is a character: never fails, always valid UTF-8.
std::string latin1ToUtf8(std::string_view latin1);
// UTF-8 as it is; anything else is taken for Latin-1.
std::string utf8OrLatin1(std::string_view text);

} // namespace recorder
