// While a recording runs the desktop must not suspend and cut it: the main
// window holds a sleep inhibitor from StartRecord to StopRecord.

#include "recorder/app/form1.h"

namespace recorder {

void Form1::usePowerManagement(std::unique_ptr<power::PowerManagement> power)
{
    sleepInhibition_.reset();
    power_ = std::move(power);
}

void Form1::holdSleepInhibitor()
{
    if (!flgRecord) return;
    // Looked up at the first recording: a run that never records never touches the system bus.
    if (!power_) power_ = power::systemPowerManagement();
    // Without a system bus (or when logind refuses) the recording goes on unprotected, as before.
    sleepInhibition_ = power_->inhibitSleep("Recording " + recordPath_);
}

void Form1::releaseSleepInhibitor() { sleepInhibition_.reset(); }

} // namespace recorder
