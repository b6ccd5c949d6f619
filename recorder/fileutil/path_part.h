#pragma once
// Picking the folder, name and extension out of a path ("/" separates folders).

#include <string>
#include <string_view>

namespace recorder {

namespace pathparts {
inline constexpr unsigned kName = 1;      // the name without its extension
inline constexpr unsigned kExtension = 2; // what follows the name's last ".", without the dot
inline constexpr unsigned kFolder = 4;    // everything up to and including the last "/"
} // namespace pathparts

// The requested parts joined in the order folder, name, extension. A dot that
// only belongs to the name ("/a.b/c") gives no extension. The "." between
// name and extension appears only when both are requested and the name has
// a dot, so parts 3 give back the full file name, "README" and "take." alike.
std::string PathPart(std::string_view path, unsigned parts);

} // namespace recorder
