#pragma once
// File-name patterns as users of the program's original platform know them:
// "*" matches any run of characters, "?" exactly one, everything else itself
// without regard to case ("*.mp3" matches "SONG.MP3"). A pattern ending in
// ".*" also matches names without a dot, so "*.*" matches every name.

#include <string>
#include <string_view>

namespace recorder {

bool MatchesWildcard(std::string_view name, std::string_view pattern);

// Folds the case of UTF-8 text, so names compare without regard to case.
std::u32string caseFolded(std::string_view text);

} // namespace recorder
