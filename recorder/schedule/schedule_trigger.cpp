#include "recorder/schedule/schedule_trigger.h"

#include "recorder/schedule/schedule_time.h"

#include <utility>

namespace recorder {

ScheduleTrigger::ScheduleTrigger(ScheduleRecorder& recorder, QLocale locale) : recorder_(recorder), locale_(std::move(locale)) {}

std::vector<std::size_t> ScheduleTrigger::tick(std::vector<ScheduleRow>& rows, const QDateTime& clock)
{
    const QDateTime now = wholeSecond(clock);
    std::vector<std::size_t> changed;

    if (active_) {
        if (!recorder_.isRecording()) {
            // Stopped by hand (or it failed): the stop time must not end a
            // recording the user starts later.
            active_ = false;
        } else if (endReached(now)) {
            active_ = false;
            recorder_.StopRecord();
        }
    }

    // The stop time is kept apart from the rows: the list may be cleared
    // while the recording runs, and it must still end.
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ScheduleRow& row = rows[i];
        if (row.status != kStatusWaiting) continue;
        const auto start = readScheduleTime(row.start, locale_);
        const auto stop = readScheduleTime(row.stop, locale_);
        if (!start || !stop) {
            row.status = kStatusUnreadable;
            changed.push_back(i);
            continue;
        }
        if (now >= *stop) {
            row.status = kStatusMissed;
            missed_.push_back(row);
            changed.push_back(i);
            continue;
        }
        if (active_ || now < *start) continue;

        activeStop_ = *stop;
        plannedSeconds_ = now.secsTo(*stop);
        active_ = true;
        recorder_.StartRecordFor(static_cast<double>(plannedSeconds_));
        if (recorder_.isRecording()) {
            row.status = kStatusDone;
        } else {
            // Said so rather than "Done", and not retried every second.
            row.status = kStatusFailed;
            active_ = false;
        }
        changed.push_back(i);
    }
    return changed;
}

bool ScheduleTrigger::endReached(const QDateTime& now) const
{
    const double recorded = recorder_.recordedSeconds();
    if (recorded < 0) return now >= activeStop_;
    return recorded >= static_cast<double>(plannedSeconds_) || now >= activeStop_.addSecs(kLateStopSeconds);
}

std::vector<ScheduleRow> ScheduleTrigger::takeMissed() { return std::exchange(missed_, {}); }

} // namespace recorder
