// libFuzzer target over the schedule file reader: schedule.dat is edited by
// hand and copied between machines. Checks that the rows read write back and
// read again the same, that reading the bytes as a file gives the same rows,
// and that the trigger takes any row's texts without harm.

#include "recorder/schedule/schedule_file.h"
#include "recorder/schedule/schedule_time.h"
#include "recorder/schedule/schedule_trigger.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct IdleRecorder final : recorder::ScheduleRecorder {
    bool recording = false;
    void StartRecord() override { recording = true; }
    void StopRecord() override { recording = false; }
    bool isRecording() const override { return recording; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto rows = recorder::parseSchedule(text);
    if (recorder::parseSchedule(recorder::renderSchedule(rows)) != rows) std::abort();

    static const int fd = ::memfd_create("schedule", 0);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    if (recorder::loadSchedule("/proc/self/fd/" + std::to_string(fd)).rows != rows) std::abort();

    // Every text the reader accepts as a time writes back to a text it reads as the same time.
    static const QLocale german("de_DE");
    for (const auto& row : rows) {
        for (const std::string* field : {&row.start, &row.stop}) {
            const auto t = recorder::readScheduleTime(*field, german);
            if (!t) continue;
            const auto again = recorder::readScheduleTime(recorder::scheduleTimeText(*t), german);
            if (!again || *again != *t) std::abort();
        }
    }

    for (auto& row : rows) row.status = recorder::kStatusWaiting;
    IdleRecorder idle;
    recorder::ScheduleTrigger trigger(idle, german);
    const QDateTime now(QDate(2026, 12, 9), QTime(21, 0, 0));
    trigger.tick(rows, now);
    trigger.tick(rows, now.addSecs(3600));
    return 0;
}
