#pragma once
// Playlists as M3U and M3U8 files: one entry a line, with the extended
// "#EXTINF:<seconds>,<title>" line before it where the writer gave one.
//
// Reading takes UTF-8 (with or without a byte-order mark) and, for a file
// that is not valid UTF-8, Latin-1, as older players wrote them. Paths relative
// to the playlist's folder are resolved against it; "file://" addresses become
// paths; other addresses are kept as they are. Entries whose files no longer
// exist are kept: the caller shows them as missing. A file that is not a
// playlist (binary data, lines too long, too large) is refused whole.
//
// Writing is always UTF-8 with the extended lines; entries inside the
// playlist's folder are written relative to it, others as full paths. The file
// is replaced atomically.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace recorder {

struct PlaylistEntry {
    std::string path;  // a full path, or an address kept as read
    std::string title; // "" when the list gave none
    int seconds = -1;  // -1 when unknown
};

// Nothing, with `why`, when the file cannot be read or is no playlist.
std::optional<std::vector<PlaylistEntry>> readM3u(const std::string& playlistPath, std::string& why);

// The same for text already read; `folder` resolves relative paths.
std::optional<std::vector<PlaylistEntry>> parseM3u(std::string_view text, const std::string& folder, std::string& why);

// The file's text for `entries` as written into `playlistPath`.
std::string renderM3u(const std::vector<PlaylistEntry>& entries, const std::string& playlistPath);

// False, with `why`, when the file cannot be written (the old one is kept)
// or an entry cannot be written as one line.
bool writeM3u(const std::string& playlistPath, const std::vector<PlaylistEntry>& entries, std::string& why);

} // namespace recorder
