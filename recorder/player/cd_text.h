#pragma once
// Small text helpers shared by the CD audio files: file-name extensions and
// addresses compare without regard to ASCII case, and messages are built from
// phrases that may start a sentence.

#include <algorithm>
#include <cctype>
#include <string>

namespace recorder::cdtext {

inline std::string lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

inline std::string capitalized(std::string s)
{
    if (!s.empty()) s[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(s[0])));
    return s;
}

} // namespace recorder::cdtext
