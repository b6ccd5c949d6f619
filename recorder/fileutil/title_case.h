#pragma once
// The display form of a file name ("my_song-live%20take" shows as
// "My Song-Live Take").

#include <string>
#include <string_view>

namespace recorder {

// Underscores and "%20" become spaces; each word (split at white space and
// NUL) gets an upper-case first letter and lower-case rest; the character
// after any of [ ( { . / \ - is upper-cased. UTF-8 letters are mapped by
// their Unicode case; bytes that are not UTF-8 are kept as they are.
std::string TitleCase(std::string_view text);

} // namespace recorder
