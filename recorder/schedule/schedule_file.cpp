#include "recorder/schedule/schedule_file.h"

#include "recorder/fileutil/latin1_text.h"

#include "platform/profile/profile_file.h"
#include "recorder/fileutil/file_descriptor.h"
#include "recorder/settings/application_folder.h"

#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recorder {

namespace {

bool blank(const std::string& field) { return field.find_first_not_of(' ') == std::string::npos; }

std::string errorText(int error) { return std::strerror(error); }

} // namespace

std::string storableScheduleField(std::string_view field)
{
    std::string out(field);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n' || c == '\0') c = ' ';
    return out;
}

std::string renderSchedule(const std::vector<ScheduleRow>& rows)
{
    std::string out;
    for (const auto& r : rows) {
        out += storableScheduleField(r.start) + '\t' + storableScheduleField(r.stop) + '\t' +
               storableScheduleField(r.file) + '\t' + storableScheduleField(r.status) + '\t' +
               storableScheduleField(r.comment) + "\r\n";
    }
    return out;
}

std::vector<ScheduleRow> parseSchedule(std::string_view text)
{
    std::vector<ScheduleRow> rows;
    while (!text.empty()) {
        const auto nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > kMaxScheduleLine) continue;
        // Measured again as UTF-8, so that every row read also reads back after a save.
        const std::string utf8 = utf8OrLatin1(line);
        if (utf8.size() > kMaxScheduleLine) continue;
        std::array<std::string, 5> fields;
        std::size_t count = 0, from = 0;
        while (count < fields.size()) {
            const auto tab = utf8.find('\t', from);
            fields[count++] = storableScheduleField(std::string_view(utf8).substr(from, tab == std::string::npos ? std::string::npos : tab - from));
            if (tab == std::string::npos) break;
            from = tab + 1;
        }
        if (std::all_of(fields.begin(), fields.end(), blank)) continue;
        rows.push_back({fields[0], fields[1], fields[2], fields[3], fields[4]});
    }
    return rows;
}

ScheduleLoadResult loadSchedule(const std::string& path)
{
    ScheduleLoadResult result;
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!file.valid()) {
        if (errno != ENOENT) {
            result.error = errorText(errno);
        } else {
            (void)profile::replaceFileAtomically(path, {});
        }
        return result;
    }
    struct stat st {};
    if (::fstat(file.get(), &st) != 0) {
        result.error = errorText(errno);
        return result;
    }
    // A folder, a FIFO or a device would never end or never be a plan.
    if (S_ISDIR(st.st_mode)) {
        result.error = errorText(EISDIR);
        return result;
    }
    if (!S_ISREG(st.st_mode)) {
        result.error = "not a regular file";
        return result;
    }
    if (static_cast<std::size_t>(st.st_size) > kMaxScheduleFile) {
        result.error = "the file is larger than a schedule can be (" + std::to_string(st.st_size) + " bytes)";
        return result;
    }

    std::string text;
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(file.get(), buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            result.error = errorText(errno);
            return result;
        }
        if (n == 0) break;
        text.append(buffer.data(), static_cast<std::size_t>(n));
        // Grown since the size was taken: refuse rather than read without end.
        if (text.size() > kMaxScheduleFile) {
            result.error = "the file is larger than a schedule can be";
            return result;
        }
    }
    result.rows = parseSchedule(text);
    return result;
}

std::error_code saveSchedule(const std::string& path, const std::vector<ScheduleRow>& rows)
{
    return profile::replaceFileAtomically(path, renderSchedule(rows));
}

std::string scheduleFilePath() { return applicationFolder() + "/schedule.dat"; }

} // namespace recorder
