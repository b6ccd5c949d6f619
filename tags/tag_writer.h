#pragma once
// Rendering a tag: header, the frames in order with plain 32-bit sizes, and
// zero padding.

#include "tags/frame.h"

#include <optional>
#include <string_view>

namespace tagmora {

// 0 when framesLength is a multiple of 257, else 257 - framesLength mod 257.
std::uint32_t paddingFor(std::uint64_t framesLength);

// Room left after the frames of a rewritten file, beyond the padding to a
// multiple of 257, so that a later edit of a few fields fits in place.
inline constexpr std::uint32_t kGrowthRoom = 4 * 257;

// The frames alone, each with its header.
ByteVector renderFrames(const FrameList& frames);

// The whole tag: frames plus `room` bytes, padded up to a whole multiple of
// 257. Raises 112 (naming path) when it would not fit the 28 bits of the tag size.
ByteVector renderTag(const FrameList& frames, std::string_view path, std::uint32_t room = 0);

// The whole tag with its size set to `tagSize` (the frames padded to it), for
// rewriting a tag in its old place; nullopt when the frames do not fit.
std::optional<ByteVector> renderTagOfSize(const FrameList& frames, std::uint32_t tagSize);

} // namespace tagmora
