#pragma once
// The title a file name suggests: "01 - my_song.mp3" gives "My Song".

#include <string>
#include <string_view>

namespace recorder {

// The text after the last "-" of the name (no folder, no extension) in its
// display form, trimmed; "" when the name has no "-".
std::string GrabTitle(std::string_view path);

} // namespace recorder
