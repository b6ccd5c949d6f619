#pragma once
// The one-second check of the plan: starts and stops the scheduled recordings.
//
// A "Waiting" row fires on the first tick that finds start <= now < stop, so a
// tick that skips the start second (a busy machine, a suspend, a program
// started late) still records the rest of the window. Only one scheduled
// recording runs at a time; a row whose window opens meanwhile fires when
// that one ends, if its own window is still open. The recording stops on the
// first tick at or after its stop time. A fired row turns "Done" and never
// fires again, so a recording stopped by hand is not restarted. A "Waiting"
// row whose stop time has passed turns "Missed" and is kept for one report.

#include "recorder/schedule/schedule_recorder.h"
#include "recorder/schedule/schedule_row.h"

#include <QDateTime>
#include <QLocale>

#include <cstddef>
#include <vector>

namespace recorder {

class ScheduleTrigger {
public:
    explicit ScheduleTrigger(ScheduleRecorder& recorder, QLocale locale = QLocale());

    // One check at `now`; changes the statuses of rows in place. Returns the
    // indexes of the rows whose status changed.
    std::vector<std::size_t> tick(std::vector<ScheduleRow>& rows, const QDateTime& now);

    // A scheduled recording runs, and when it stops: once its file holds the
    // audio from its start to the stop time (a recording whose audio lags, a
    // slow disk, a late start, still gets its length), and at the latest
    // kLateStopSeconds after the stop time.
    static constexpr int kLateStopSeconds = 5;
    bool active() const { return active_; }
    const QDateTime& activeStop() const { return activeStop_; }

    // The rows that turned "Missed" since the last call.
    std::vector<ScheduleRow> takeMissed();

private:
    ScheduleRecorder& recorder_;
    QLocale locale_;
    bool endReached(const QDateTime& now) const;

    bool active_ = false;
    QDateTime activeStop_;
    qint64 plannedSeconds_ = 0; // from the actual start to the stop time

    std::vector<ScheduleRow> missed_;
};

} // namespace recorder
