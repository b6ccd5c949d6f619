#include "recorder/recordings/project_file.h"

#include "platform/profile/profile_file.h"

namespace recorder {

std::string renderProject(const std::vector<RecordingRow>& rows)
{
    std::string out;
    for (const auto& r : rows)
        out += r.number + '\t' + r.path + '\t' + r.size + '\t' + r.duration + '\t' + r.recordTime + '\t' + r.format + "\r\n";
    return out;
}

std::vector<RecordingRow> parseProject(std::string_view text)
{
    std::vector<RecordingRow> rows;
    while (!text.empty()) {
        auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (;;) {
            auto tab = line.find('\t', start);
            fields.emplace_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        if (fields.size() < 6) break;
        rows.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]});
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return rows;
}

std::error_code saveProject(const std::string& path, const std::vector<RecordingRow>& rows)
{
    return profile::replaceFileAtomically(path, renderProject(rows));
}

} // namespace recorder
