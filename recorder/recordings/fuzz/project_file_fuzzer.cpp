// libFuzzer target over the project file reader: .rpf files are opened from
// anywhere. Checks that the rows read render and read back unchanged, and that
// reading the same bytes as a file (in chunks) gives the same rows.

#include "recorder/recordings/project_file.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

bool sameRows(const std::vector<recorder::RecordingRow>& a, const std::vector<recorder::RecordingRow>& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].number != b[i].number || a[i].path != b[i].path || a[i].size != b[i].size ||
            a[i].duration != b[i].duration || a[i].recordTime != b[i].recordTime || a[i].format != b[i].format)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto rows = recorder::parseProject(std::string_view(reinterpret_cast<const char*>(data), size));
    if (!sameRows(recorder::parseProject(recorder::renderProject(rows)), rows)) std::abort();

    static const int fd = ::memfd_create("project", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    const auto loaded = recorder::loadProject("/proc/self/fd/" + std::to_string(fd));
    if (!sameRows(loaded.rows, rows)) std::abort();
    return 0;
}
