#pragma once
// Rendering a tag: header, the frames in order with plain 32-bit sizes, and
// zero padding up to a whole multiple of 257 bytes.

#include "tags/frame.h"

#include <string_view>

namespace tagmora {

// 0 when framesLength is a multiple of 257, else 257 - framesLength mod 257.
std::uint32_t paddingFor(std::uint64_t framesLength);

// The whole tag; raises 112 (naming path) when it would not fit the 28 bits
// of the tag size.
ByteVector renderTag(const FrameList& frames, std::string_view path);

} // namespace tagmora
