#pragma once
// The tag fields of one file, as the stream player hands them out in UTF-8.
//
// ID3v2 frames come from the tag library's reader (v2.2, v2.3 and v2.4, each
// frame in its v2.3 form), the ID3v1 record from clsID3v1: the product keeps
// one parser of each. A field is found by name; the first frame of an
// identifier counts. Each frame's text is decoded by its encoding byte
// (ISO-8859-1, UTF-16 with a byte-order mark, UTF-16BE, UTF-8), then:
//
//   "COMM"     the text after the description, not trimmed, without its
//              terminator. An unterminated ISO-8859-1 text loses its last
//              character, since the frame's length is taken to include a
//              one-byte terminator; texts in the other encodings stay whole,
//              as no byte-wise cut maps onto their characters (and v2.4
//              strings re-encoded by the reader arrive unterminated).
//   "W..."     the URL (Latin-1 by the standard; in WXXX after the
//              description), not trimmed, without its terminator. Unlike a
//              comment, an unterminated URL keeps every character: writers
//              rarely terminate URLs, and a URL cut short is a broken link.
//              A WXXX URL that starts with a byte-order mark is read as
//              UTF-16, as some writers store it.
//   "T..."     every string of the frame, each NUL a space, trimmed.
//   others     the body's bytes as Latin-1, each NUL a space, trimmed.
//
// Encrypted frames give "". ID3v1 fields ("TITLE", "ARTIST", "ALBUM",
// "YEAR", "COMMENT", "TRACK", "GENRE") are the text up to its first NUL, at
// most 255 characters, with spaces trimmed; TRACK is the ID3v1.1 track number
// ("" in a v1.0 tag or for track 0) and GENRE the genre number, as decimal text.

#include "recorder/tagging/clsID3v1.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace recorder {

// Tag field types, as GetStreamTag takes them: any type other than ID3v2 reads ID3v1.
inline constexpr std::int32_t kTagFieldId3v1 = 1;
inline constexpr std::int32_t kTagFieldId3v2 = 2;

// One ID3v2 frame: identifier, v2.3 flag bytes, body.
struct TagFrame {
    std::string id;
    std::array<std::uint8_t, 2> flags{};
    std::vector<std::uint8_t> body;
};

struct StreamTags {
    std::vector<TagFrame> id3v2;
    std::optional<ID3v1Record> id3v1;

    // Reads both tags of a file. Nothing when the file cannot be opened for
    // reading; a damaged ID3v2 tag gives the frames read before the damage.
    static std::optional<StreamTags> read(const std::string& path);

    // The field's text; "" when there is no such field.
    std::string field(std::int32_t type, std::string_view name) const;
};

std::string id3v2FieldText(const TagFrame& frame);
// Nothing when the record has no such field.
std::optional<std::string> id3v1FieldText(const ID3v1Record& record, std::string_view name);

} // namespace recorder
