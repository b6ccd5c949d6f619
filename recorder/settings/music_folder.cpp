#include "recorder/settings/music_folder.h"

#include <cstdlib>
#include <fstream>

#include <pwd.h>
#include <unistd.h>

namespace recorder {

namespace {

constexpr std::string_view kKey = "XDG_MUSIC_DIR";
// The file is a few lines; anything larger is not one.
constexpr std::size_t kMaxUserDirsBytes = 64 * 1024;

std::string homeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home) return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) return pw->pw_dir;
    return "/";
}

std::string withoutTrailingSlash(std::string s)
{
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// The shell-quoted value after "KEY=": a double-quoted string with backslash
// escapes, or a bare word.
std::string unquote(std::string_view v)
{
    std::string out;
    const bool quoted = !v.empty() && v.front() == '"';
    if (quoted) v.remove_prefix(1);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (quoted && c == '"') break;
        if (!quoted && (c == ' ' || c == '\t' || c == '#')) break;
        if (c == '\\' && i + 1 < v.size()) {
            out += v[++i];
            continue;
        }
        out += c;
    }
    return out;
}

} // namespace

std::string musicDirFromUserDirs(std::string_view text, const std::string& home)
{
    std::string found;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.substr(0, kKey.size()) != kKey || line.substr(kKey.size(), 1) != "=") continue;
        const std::string value = unquote(line.substr(kKey.size() + 1));
        // The last assignment wins, as when the shell reads the file.
        if (value.rfind("$HOME", 0) == 0 && (value.size() == 5 || value[5] == '/'))
            found = withoutTrailingSlash(home + value.substr(5));
        else if (!value.empty() && value.front() == '/')
            found = withoutTrailingSlash(value);
    }
    return found.find('\0') == std::string::npos ? found : std::string();
}

std::string musicFolder()
{
    const std::string home = homeFolder();
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg && xdg[0] == '/')
        config = xdg;
    else
        config = home + "/.config";
    std::ifstream in(config + "/user-dirs.dirs", std::ios::binary);
    if (in) {
        std::string text(kMaxUserDirsBytes + 1, '\0');
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<std::size_t>(in.gcount()));
        if (text.size() <= kMaxUserDirsBytes) {
            if (std::string dir = musicDirFromUserDirs(text, home); !dir.empty()) return dir;
        }
    }
    return withoutTrailingSlash(home + "/Music");
}

} // namespace recorder
