// libFuzzer target over the playlist reader: any bytes give a refusal or
// entries whose paths and titles are valid UTF-8 and hold no line break, and
// what is read renders and reads back to the same entries.

#include "recorder/player/playlist_m3u.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string why;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto entries = recorder::parseM3u(text, "/music/lists", why);
    if (!entries) {
        if (why.empty()) std::abort();
        return 0;
    }
    for (const auto& e : *entries)
        if (e.path.find_first_of("\r\n") != std::string::npos || e.title.find_first_of("\r\n") != std::string::npos)
            std::abort();
    const auto again = recorder::parseM3u(recorder::renderM3u(*entries, "/music/lists/list.m3u8"), "/music/lists", why);
    if (!again || again->size() != entries->size()) std::abort();
    for (std::size_t i = 0; i < entries->size(); ++i)
        if ((*again)[i].path != (*entries)[i].path || (*again)[i].seconds != (*entries)[i].seconds) std::abort();
    return 0;
}
