#pragma once
// Text read from fixed-width, NUL-padded fields.

#include <string>
#include <string_view>

namespace recorder {

// The text before the first NUL character, or the whole text without one.
inline std::string CutAtNul(std::string_view text)
{
    return std::string(text.substr(0, text.find('\0')));
}

} // namespace recorder
