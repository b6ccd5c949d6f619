#include "recorder/recordings/project_file.h"

#include "recorder/fileutil/latin1_text.h"

#include "platform/profile/profile_file.h"
#include "recorder/fileutil/file_descriptor.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recorder {

namespace {

bool isStorableField(const std::string& field) { return field.find_first_of(std::string_view("\t\r\n\0", 4)) == std::string::npos; }

} // namespace

bool isStorable(const RecordingRow& r)
{
    const std::size_t length = r.number.size() + r.path.size() + r.size.size() + r.duration.size() +
                               r.recordTime.size() + r.format.size() + 5;
    return length <= kMaxProjectLine && isStorableField(r.number) && isStorableField(r.path) && isStorableField(r.size) &&
           isStorableField(r.duration) && isStorableField(r.recordTime) && isStorableField(r.format);
}

std::string renderProject(const std::vector<RecordingRow>& rows)
{
    std::string out;
    for (const auto& r : rows) {
        if (!isStorable(r)) continue;
        out += r.number + '\t' + r.path + '\t' + r.size + '\t' + r.duration + '\t' + r.recordTime + '\t' + r.format + "\r\n";
    }
    return out;
}

std::optional<RecordingRow> parseProjectLine(std::string_view line)
{
    if (line.size() > kMaxProjectLine || line.find_first_of(std::string_view("\r\0", 2)) != std::string_view::npos)
        return std::nullopt;
    const std::string text = utf8OrLatin1(line);
    if (text.size() > kMaxProjectLine) return std::nullopt;
    std::array<std::string, 6> fields;
    std::size_t count = 0, start = 0;
    while (count < fields.size()) {
        const auto tab = text.find('\t', start);
        fields[count++] = text.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    if (count < fields.size()) return std::nullopt;
    return RecordingRow{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
}

std::vector<RecordingRow> parseProject(std::string_view text)
{
    std::vector<RecordingRow> rows;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        auto row = parseProjectLine(line);
        if (!row) break;
        rows.push_back(std::move(*row));
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return rows;
}

ProjectSaveResult saveProject(const std::string& path, const std::vector<RecordingRow>& rows)
{
    ProjectSaveResult result;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (!isStorable(rows[i])) result.refused.push_back(i);
    result.error = profile::replaceFileAtomically(path, renderProject(rows));
    return result;
}

ProjectLoadResult loadProject(const std::string& path)
{
    using Outcome = ProjectLoadResult::Outcome;
    ProjectLoadResult result;
    auto unreadable = [&](int error) {
        result.outcome = Outcome::Unreadable;
        result.error = std::strerror(error);
        return result;
    };

    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) return unreadable(errno);
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) return unreadable(errno);
    // A folder, a FIFO or a device would never end or never be a project.
    if (S_ISDIR(st.st_mode)) return unreadable(EISDIR);
    if (!S_ISREG(st.st_mode)) return unreadable(EINVAL);

    std::string pending;
    std::size_t lineNumber = 0;
    bool ended = false;
    // Ends the reading at a line that is not a row; false when it did.
    auto takeLine = [&](std::string_view line) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        auto row = parseProjectLine(line);
        if (!row) {
            result.outcome = result.rows.empty() ? Outcome::NotAProject : Outcome::Stopped;
            result.stoppedAtLine = lineNumber;
            ended = true;
            return false;
        }
        result.rows.push_back(std::move(*row));
        return true;
    };

    std::array<char, 64 * 1024> buffer;
    while (!ended) {
        const ssize_t n = ::read(file.get(), buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            if (result.rows.empty()) return unreadable(errno);
            result.outcome = Outcome::Stopped;
            result.stoppedAtLine = lineNumber + 1;
            return result;
        }
        if (n == 0) break;
        std::string_view chunk(buffer.data(), static_cast<std::size_t>(n));
        while (!ended) {
            const auto nl = chunk.find('\n');
            if (nl == std::string_view::npos) {
                pending.append(chunk);
                // A line this long is no row: stop before holding all of it.
                if (pending.size() > kMaxProjectLine + 1) takeLine(pending);
                break;
            }
            if (pending.empty()) {
                takeLine(chunk.substr(0, nl));
            } else {
                pending.append(chunk.substr(0, nl));
                takeLine(pending);
                pending.clear();
            }
            chunk.remove_prefix(nl + 1);
        }
    }
    if (!ended && !pending.empty()) takeLine(pending);
    return result;
}

} // namespace recorder
