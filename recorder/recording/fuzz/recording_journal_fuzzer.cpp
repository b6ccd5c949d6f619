// libFuzzer target over what the next start reads of a recording that never
// ended: the journal, and the WAV header it repairs. The repair must leave a
// file whose header counts exactly the data after it, or refuse.

#include "recorder/recording/recording_journal.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const int fd = ::memfd_create("journal", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (const auto entry = recorder::readJournal(path); entry && entry->path.empty()) std::abort();

    const recorder::WavRepair first = recorder::repairWavHeader(path);
    if (first.repaired == !first.error.empty()) std::abort();
    if (first.repaired) {
        // Repairing a repaired file changes nothing.
        const off_t length = ::lseek(fd, 0, SEEK_END);
        const recorder::WavRepair again = recorder::repairWavHeader(path);
        if (!again.repaired || again.seconds != first.seconds || ::lseek(fd, 0, SEEK_END) != length) std::abort();
    }
    return 0;
}
