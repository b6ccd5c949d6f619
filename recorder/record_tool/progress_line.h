#pragma once
// The one-line progress velmor-record rewrites on a terminal: elapsed time,
// size on disk, and a text level meter of the loudest channel.

#include <cstdint>
#include <string>

namespace recorder {

// level: dBFS of the loudest channel (-90 … 0), as the capture reports it.
std::string progressLine(double seconds, std::uint64_t bytes, int level);

} // namespace recorder
