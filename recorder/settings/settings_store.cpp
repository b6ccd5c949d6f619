#include "recorder/settings/settings_store.h"

#include "recorder/fileutil/cut_at_nul.h"

#include "platform/profile/profile_file.h"
#include "recorder/settings/application_folder.h"

#include <map>
#include <mutex>
#include <tuple>

namespace recorder {

namespace {

// The 128-character buffer holds 127 characters and the terminator. Characters
// are UTF-8 sequences here, so a cut never splits one.
constexpr std::size_t kMaxChars = 127;

std::string_view firstChars(std::string_view s, std::size_t count)
{
    std::size_t i = 0, chars = 0;
    while (i < s.size() && chars < count) {
        ++i;
        while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
        ++chars;
    }
    return s.substr(0, i);
}

std::string_view trimSpaces(std::string_view s)
{
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

std::string lowered(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return out;
}

// Values whose write failed, by file, section and key (sections and keys without regard to case).
using UnsavedKey = std::tuple<std::string, std::string, std::string>;
std::mutex g_unsavedMutex;
std::map<UnsavedKey, std::string> g_unsaved;
thread_local std::string t_lastWriteError;

} // namespace

std::string lastSettingsWriteError() { return t_lastWriteError; }

std::string ReadIniValue(const std::string& path, std::string_view section, std::string_view key)
{
    std::optional<std::string> value;
    {
        std::lock_guard lock(g_unsavedMutex);
        if (auto it = g_unsaved.find({path, lowered(section), lowered(key)}); it != g_unsaved.end()) value = it->second;
    }
    if (!value) value = profile::readProfileString(path, section, key);
    if (!value) return {};
    return std::string(trimSpaces(CutAtNul(firstChars(*value, kMaxChars))));
}

bool WriteIniValue(const std::string& path, std::string_view section, std::string_view key, std::string_view value)
{
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    value = firstChars(value, kMaxChars);
    const std::error_code ec = profile::writeProfileString(path, section, key, value);
    std::lock_guard lock(g_unsavedMutex);
    const UnsavedKey id{path, lowered(section), lowered(key)};
    if (ec) {
        t_lastWriteError = ec.message();
        g_unsaved[id] = std::string(value);
        return false;
    }
    g_unsaved.erase(id);
    return true;
}

std::string settingsFilePath() { return applicationFolder() + "/settings.dat"; }

} // namespace recorder
