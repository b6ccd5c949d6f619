#include "recorder/player/playlist_m3u.h"

#include "platform/profile/profile_file.h"
#include "recorder/fileutil/latin1_text.h"
#include "recorder/fileutil/valid_utf8.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace recorder {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxBytes = 16 << 20;
constexpr std::size_t kMaxLine = 32768;

std::string_view trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string percentDecoded(std::string_view s)
{
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool hasScheme(std::string_view s)
{
    const auto colon = s.find("://");
    if (colon == std::string_view::npos || colon == 0) return false;
    return std::all_of(s.begin(), s.begin() + std::ptrdiff_t(colon),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'; });
}

// The entry a path line names, relative to the playlist's folder.
std::string entryPath(std::string_view line, const std::string& folder)
{
    if (line.substr(0, 7) == "file://") {
        std::string_view rest = line.substr(7);
        if (rest.substr(0, 9) == "localhost") rest.remove_prefix(9);
        std::string path = percentDecoded(rest);
        const bool control = std::any_of(path.begin(), path.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 && c != '\t';
        });
        // Another host's file, or one that cannot be written back, stays an address.
        if (path.empty() || path.front() != '/' || control || !isValidUtf8(path)) return std::string(line);
        return fs::path(path).lexically_normal().string();
    }
    if (hasScheme(line)) return std::string(line);
    std::string path(line);
    // A list written on Windows: its folders are separated by backslashes.
    if (path.find('/') == std::string::npos && path.find('\\') != std::string::npos &&
        !(path.size() > 1 && path[1] == ':'))
        std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.empty() && path.front() == '/') return fs::path(path).lexically_normal().string();
    return (fs::path(folder) / path).lexically_normal().string();
}

// A path as a "file://" address, for paths a plain line would misread.
std::string fileAddress(const std::string& path)
{
    static const char* const kHex = "0123456789ABCDEF";
    std::string out = "file://";
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || std::strchr("/-._~!$&'()*+,;=:@", ch)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

// The line that names `path` in a list kept in `folder` (ending in "/").
std::string entryLine(const std::string& path, const std::string& folder)
{
    const bool inside = folder.size() > 1 && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0;
    const std::string line = inside ? path.substr(folder.size()) : path;
    // A line starting with "#" reads as a comment, a line's outer blanks are
    // trimmed, and backslashes in a line without "/" read as Windows folders.
    const bool misread = line.front() == '#' || line.front() == ' ' || line.front() == '\t' || line.back() == ' ' ||
                         line.back() == '\t' || (line.find('/') == std::string::npos && line.find('\\') != std::string::npos);
    return misread && !path.empty() && path.front() == '/' ? fileAddress(path) : line;
}

} // namespace

std::optional<std::vector<PlaylistEntry>> parseM3u(std::string_view text, const std::string& folder, std::string& why)
{
    if (text.size() > kMaxBytes) {
        why = "the file is too large for a playlist";
        return std::nullopt;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            why = "the file holds binary data, not a playlist";
            return std::nullopt;
        }
    }
    const std::string utf8 = utf8OrLatin1(text);

    std::vector<PlaylistEntry> entries;
    PlaylistEntry pending;
    std::size_t start = 0;
    while (start < utf8.size()) {
        // CR LF, LF and the old players' lone CR all end a line.
        std::size_t end = utf8.find_first_of("\r\n", start);
        if (end == std::string::npos) end = utf8.size();
        std::string_view line(utf8.data() + start, end - start);
        start = end + 1;
        if (line.size() > kMaxLine) {
            why = "a line is too long for a playlist";
            return std::nullopt;
        }
        line = trimmed(line);
        if (line.empty()) continue;
        if (line.front() == '#') {
            if (line.substr(0, 8) == "#EXTINF:") {
                const std::string_view info = line.substr(8);
                const auto comma = info.find(',');
                const std::string_view duration = trimmed(info.substr(0, comma));
                int seconds = -1;
                const auto [ptr, ec] = std::from_chars(duration.data(), duration.data() + duration.size(), seconds);
                pending.seconds = ec == std::errc() && seconds >= 0 ? seconds : -1;
                pending.title = comma == std::string_view::npos ? std::string() : std::string(trimmed(info.substr(comma + 1)));
            }
            continue;
        }
        pending.path = entryPath(line, folder);
        entries.push_back(std::move(pending));
        pending = PlaylistEntry{};
    }
    return entries;
}

std::optional<std::vector<PlaylistEntry>> readM3u(const std::string& playlistPath, std::string& why)
{
    std::error_code ec;
    if (!fs::is_regular_file(playlistPath, ec)) {
        why = "no such playlist file";
        return std::nullopt;
    }
    if (fs::file_size(playlistPath, ec) > kMaxBytes) {
        why = "the file is too large for a playlist";
        return std::nullopt;
    }
    std::ifstream in(playlistPath, std::ios::binary);
    std::ostringstream text;
    if (!in || !(text << in.rdbuf())) {
        // An empty file reads as no characters, which is an empty playlist.
        if (fs::file_size(playlistPath, ec) == 0 && !ec) return std::vector<PlaylistEntry>{};
        why = "the file cannot be read";
        return std::nullopt;
    }
    return parseM3u(text.str(), fs::path(playlistPath).parent_path().string(), why);
}

std::string renderM3u(const std::vector<PlaylistEntry>& entries, const std::string& playlistPath)
{
    const std::string folder = fs::path(playlistPath).lexically_normal().parent_path().string() + "/";
    std::string out = "#EXTM3U\n";
    for (const PlaylistEntry& e : entries) {
        std::string title = e.title.empty() ? fs::path(e.path).filename().string() : e.title;
        out += "#EXTINF:" + std::to_string(e.seconds < 0 ? -1 : e.seconds) + "," + title + "\n";
        out += (e.path.empty() ? std::string() : entryLine(e.path, folder)) + "\n";
    }
    return out;
}

bool writeM3u(const std::string& playlistPath, const std::vector<PlaylistEntry>& entries, std::string& why)
{
    for (const PlaylistEntry& e : entries) {
        if (e.path.find_first_of("\r\n") != std::string::npos || e.title.find_first_of("\r\n") != std::string::npos) {
            why = "an entry holds a line break and cannot be written as one line: " + e.path;
            return false;
        }
    }
    if (const std::error_code ec = profile::replaceFileAtomically(playlistPath, renderM3u(entries, playlistPath))) {
        why = ec.message();
        return false;
    }
    return true;
}

} // namespace recorder
