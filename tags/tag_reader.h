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
#include "tags/version_conversion.h"

#include <string_view>
#include <vector>

namespace tagmora {

// Loads the frames of an ID3v2.2, v2.3 or v2.4 tag into frames (appending),
// in their v2.3 forms (version_conversion.h). fileStart holds the file from
// offset 0, as much of it as there is up to the end of the tag. Returns
// HasTag: True for an "ID3" header of version 2, 3 or 4. path only fills in
// error messages. A tag whose sizes do not fit the bytes there, whose
// unsynchronisation breaks off, or whose compressed data does not inflate
// raises 112.
bool readTag(ByteView fileStart, FrameList& frames, std::string_view path);

// Walks a frame area (the tag after its header and extended header) of
// declaredSize bytes, of which area holds the first ones; bytes past area
// read as zeros. version is the tag's major version; unsynchronised tells
// that a v2.4 tag's header marks every frame unsynchronised.
// Appends to out as it goes, so a raise keeps the frames read before it.
void readRawFrames(ByteView area, std::uint64_t declaredSize, int version, bool unsynchronised, std::string_view path,
                   std::vector<RawFrame>& out);
// The same for a v2.3 area, into frame objects.
void walkFrames(ByteView area, std::uint64_t declaredSize, FrameList& frames, std::string_view path);

// The frame object for a v2.3 frame.
std::unique_ptr<Frame> makeFrameOf(RawFrame raw, std::string_view path);

// Removes the unsynchronisation scheme: every FF 00 becomes FF.
ByteVector resynchronise(ByteView bytes);

} // namespace tagmora
