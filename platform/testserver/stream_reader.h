#pragma once
// Reads back what a source delivers, through libpulse's simple API.

#include <cstdint>
#include <string>
#include <vector>

namespace testsound {

// Records `frames` frames of interleaved s16le from the source; empty on failure.
std::vector<std::int16_t> recordFromSource(const std::string& server, const std::string& source, int rate, int channels,
                                           std::size_t frames);

} // namespace testsound
