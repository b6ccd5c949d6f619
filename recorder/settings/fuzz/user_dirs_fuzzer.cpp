// libFuzzer target over the user-dirs.dirs reader: any text gives "" or an
// absolute folder without NUL bytes or a trailing slash.

#include "recorder/settings/music_folder.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string dir = recorder::musicDirFromUserDirs(text, "/home/ana");
    if (dir.empty()) return 0;
    if (dir.front() != '/' || dir.find('\0') != std::string::npos) std::abort();
    if (dir.size() > 1 && dir.back() == '/') std::abort();
    return 0;
}
