#pragma once
// What the tag editor knows of one listed file: its ID3v1 and ID3v2 fields as
// the list shows them, and whether it carries each tag version.
//
// Field indexes follow the editor's text boxes; the first six are shared by
// both versions, which is what copying between the versions relies on.

#include <array>
#include <cstdint>
#include <string>

namespace recorder {

namespace tagfield {
inline constexpr int kTrack = 0;
inline constexpr int kTitle = 1;
inline constexpr int kArtist = 2;
inline constexpr int kAlbum = 3;
inline constexpr int kYear = 4;
inline constexpr int kComments = 5;
inline constexpr int kComposer = 6;
inline constexpr int kOrigArtist = 7;
inline constexpr int kCopyright = 8;
inline constexpr int kURL = 9;
inline constexpr int kEncodedBy = 10;
inline constexpr int kV1Count = 6;
inline constexpr int kV2Count = 11;
} // namespace tagfield

// "No genre" in an ID3v1 tag.
inline constexpr int kNoV1Genre = 255;

struct TagFileRecord {
    std::string path;
    bool hasV1 = false;
    bool hasV2 = false;
    std::array<std::string, tagfield::kV1Count> v1{}; // the track as text
    int v1Genre = 0;                                  // its list position, 0 … 255
    std::array<std::string, tagfield::kV2Count> v2{};
    std::string v2Genre; // without a leading "(number)"
};

} // namespace recorder
