#include "recorder/fileutil/path_part.h"

namespace recorder {

std::string PathPart(std::string_view path, unsigned parts)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot < nameStart) dot = std::string_view::npos;
    const std::size_t nameEnd = dot == std::string_view::npos ? path.size() : dot;

    std::string out;
    if (parts & pathparts::kFolder) out += path.substr(0, nameStart);
    if (parts & pathparts::kName) out += path.substr(nameStart, nameEnd - nameStart);
    if ((parts & pathparts::kExtension) && dot != std::string_view::npos) {
        if (parts & pathparts::kName) out += '.';
        out += path.substr(dot + 1);
    }
    return out;
}

} // namespace recorder
