#include "recorder/tagging/editor/grab_title.h"

#include "recorder/fileutil/path_part.h"
#include "recorder/fileutil/title_case.h"

namespace recorder {

namespace {

std::string trimmed(std::string text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

std::string GrabTitle(std::string_view path)
{
    const std::string name = PathPart(path, pathparts::kName);
    const auto dash = name.rfind('-');
    if (dash == std::string::npos) return {};
    return trimmed(TitleCase(name.substr(dash + 1)));
}

} // namespace recorder
