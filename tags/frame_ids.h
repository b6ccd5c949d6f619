#pragma once
// Frame identifiers: the twelve fields of ID3FrameIDs, the kind of frame
// each identifier makes, and the identifiers ID3v2.3 defines.

#include "tags/frame.h"

#include <cstdint>
#include <string_view>

namespace tagmora {

// The identifier of an ID3FrameIDs value (1 ... 12); raises 108 otherwise.
std::string_view LookupFrameID(std::int32_t field);
FrameKind GetFrameKind(std::string_view id);
bool IsValidFrameID(std::string_view id);
// Creates the frame object for a kind other than Unsupported.
std::unique_ptr<Frame> makeFrame(FrameKind kind);

} // namespace tagmora
