// libFuzzer target over the INI reader: settings.dat and schedule.dat come
// from disk and may be damaged or edited by hand. Checks that whatever parses
// renders back byte for byte, and that a key set in it reads back.

#include "platform/profile/ini_document.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

// Names and values the settings store can pass: no line ends, no brackets or
// '=' in names, no name that reads as a comment, already trimmed.
bool usable(std::string_view s, bool name)
{
    if (name && (s.empty() || s.front() == '#')) return false;
    for (char c : s)
        if (c == '\r' || c == '\n' || c == '\0' || (name && (c == '[' || c == ']' || c == '=' || c == ';')))
            return false;
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; };
    return s.empty() || (!space(s.front()) && !space(s.back()));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto doc = profile::IniDocument::parse(text);
    if (doc.text() != text) std::abort();

    for (const auto& section : doc.sections()) {
        for (const auto& key : doc.keys(section)) (void)doc.get(section, key);
    }

    // The input's first line, split at '|', names what to write.
    const auto firstLine = text.substr(0, text.find('\n'));
    const auto bar1 = firstLine.find('|');
    const auto bar2 = bar1 == std::string_view::npos ? bar1 : firstLine.find('|', bar1 + 1);
    if (bar2 == std::string_view::npos) return 0;
    const auto section = firstLine.substr(0, bar1);
    const auto key = firstLine.substr(bar1 + 1, bar2 - bar1 - 1);
    const auto value = firstLine.substr(bar2 + 1);
    if (!usable(section, true) || !usable(key, true) || !usable(value, false)) return 0;

    doc.set(section, key, value);
    if (doc.get(section, key) != std::string(value)) std::abort();
    auto again = profile::IniDocument::parse(doc.text());
    if (again.get(section, key) != std::string(value)) std::abort();
    doc.remove(section, key);
    doc.removeSection(section);
    return 0;
}
