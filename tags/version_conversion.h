#pragma once
// Turning the frames of ID3v2.2 and ID3v2.4 tags into their ID3v2.3 forms,
// so that a tag of any version is kept whole when it is saved as v2.3.
//
//   v2.2  three-letter identifiers become their four-letter forms (PIC's
//         image format becomes a MIME type); the few with no four-letter
//         form at all (kV22WithoutV23Form) are dropped.
//   v2.4  TDRC becomes TYER, TDAT and TIME; TDOR becomes TORY; TIPL and TMCL
//         become IPLS; UTF-8 and UTF-16BE strings become UTF-16 with a byte
//         order mark; the sub-frames of CHAP and CTOC are converted the same
//         way. Frames with no v2.3 counterpart keep their bodies.

#include "tags/byte_vector.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tagmora {

// One frame as the reader finds it: identifier, the two v2.3 flag bytes, and
// the body with unsynchronisation, data length indicator and compression undone.
struct RawFrame {
    std::string id;
    std::array<std::uint8_t, 2> flags{};
    ByteVector body;
};

// The v2.2 identifiers that no later version has.
inline constexpr std::array<std::string_view, 1> kV22WithoutV23Form = {"CRM"};

// The four-letter form of a v2.2 identifier; nullopt when it has none.
std::optional<std::string> v23IdOfV22(std::string_view id);
// An APIC body from a PIC body (three-letter image format → MIME type).
ByteVector apicFromPic(ByteView picBody);

// The v2.3 frames that stand for one v2.4 frame (usually one; TDRC gives up to three).
std::vector<RawFrame> v23FramesOfV24(RawFrame frame);

// Re-encodes a frame's UTF-8 or UTF-16BE strings as UTF-16 with a byte order
// mark, for the frame layouts whose strings are known; other bodies stay.
void reencodeForV23(RawFrame& frame);

// The v2.3 status and format flags of v2.4 flag bytes (compression, the data
// length indicator and unsynchronisation are undone by the reader and cleared).
std::array<std::uint8_t, 2> v23FlagsOfV24(std::array<std::uint8_t, 2> v24);

// Renders frames with v2.3 headers, one after the other.
ByteVector renderV23Frames(const std::vector<RawFrame>& frames);

} // namespace tagmora
