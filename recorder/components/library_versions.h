#pragma once
// The codec and sound libraries the components run on, with the versions
// loaded at run time, for the About box.

#include <string>
#include <utility>
#include <vector>

namespace recorder {

// (name, version) pairs, in a fixed order.
std::vector<std::pair<std::string, std::string>> componentLibraryVersions();

} // namespace recorder
