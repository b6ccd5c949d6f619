#pragma once
// How a sound server source appears as a recording mixer: its ports are the
// source lines (a source without ports has one line named after it), the
// multiplexer lists them in the opposite order, and the active port is the
// item whose value is 1.

#include "platform/pulse/source_queries.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mixer::pulseports {

std::uint32_t lineCount(const pulse::SourceInfo& source);
std::string lineName(const pulse::SourceInfo& source, std::uint32_t line);
std::uint32_t lineComponentType(const pulse::SourceInfo& source, std::uint32_t line);
// The component type a port's name suggests ("analog-input-mic" is a microphone).
std::uint32_t componentTypeOfPort(const pulse::Port& port);

// Item k is line (lineCount − 1 − k).
std::vector<std::uint32_t> multiplexerValues(const pulse::SourceInfo& source);
// The port that multiplexer values select: exactly one item must be nonzero.
// An empty name when the source has no ports (its single line is always on);
// nullopt for values that select nothing, several items or an item out of range.
std::optional<std::string> portForMultiplexer(const pulse::SourceInfo& source, const std::vector<std::uint32_t>& values);

} // namespace mixer::pulseports
