#pragma once
// How long the disk holding the recordings has room for: the free space of a
// folder against the bytes a second the format writes.

#include "recorder/components/format_info.h"

#include <cstdint>
#include <optional>
#include <string>

namespace recorder {

// Bytes the folder's file system lets this user write; nothing when it cannot tell.
std::optional<std::uint64_t> freeBytes(const std::string& folder);

// Bytes a second a format writes, from its description ("128 kbit/s"; for a
// variable rate the highest); 16-bit PCM when it names no rate.
double bytesPerSecond(const FormatInfo& format);

// "Only N minutes of free space in <folder>" when less than `minutes` of
// recording fit, else "".
std::string lowSpaceNote(const std::string& folder, std::uint64_t free, double bytesPerSecond, int minutes);

} // namespace recorder
