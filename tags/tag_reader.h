#pragma once
// Reading a tag from the bytes at the start of a file: the header, then the
// frames one by one until the padding, the end of the tag, or garbage.
//
// Frame sizes are read tolerantly: the plain 32-bit size is taken unless the
// sync-safe reading of the same bytes lands better (on a next frame or the
// end of the frames, rather than in padding or nowhere), so that tags written
// with sync-safe frame sizes still read. A frame that runs past the bytes
// that are there raises 112; the frames read before it stay in the list.

#include "tags/frame.h"

#include <string_view>

namespace tagmora {

// Loads the frames of a version-3 tag into frames (appending). fileStart
// holds the file from offset 0, as much of it as there is up to the end of
// the tag. Returns HasTag: True for an "ID3" header of version 3. path only
// fills in error messages.
bool readTag(ByteView fileStart, FrameList& frames, std::string_view path);

// Walks a frame area (the tag after its header) of declaredSize bytes, of
// which area holds the first ones; bytes past area read as zeros.
void walkFrames(ByteView area, std::uint64_t declaredSize, FrameList& frames, std::string_view path);

// Removes the unsynchronisation scheme: every FF 00 becomes FF.
ByteVector resynchronise(ByteView bytes);

} // namespace tagmora
