#pragma once
// Keeping the computer awake while something must not be cut short. A backend
// hands out holds: while a hold lives, the system does not suspend; dropping
// it (or the process ending) lets the system sleep again.

#include <memory>
#include <string>

namespace power {

// One held inhibition; its destructor releases it.
class SleepInhibition {
public:
    virtual ~SleepInhibition() = default;
    // True once the system has granted the hold (a backend may ask asynchronously).
    virtual bool granted() const = 0;
    // Why the hold could not be taken; empty while pending or granted.
    virtual std::string error() const = 0;
};

class PowerManagement {
public:
    virtual ~PowerManagement() = default;
    // Asks the system not to sleep for the hold's life. Never blocks on the
    // system; null when this backend cannot reach the service at all.
    virtual std::unique_ptr<SleepInhibition> inhibitSleep(const std::string& why) = 0;
};

// The desktop's power management: logind on the system bus.
std::unique_ptr<PowerManagement> systemPowerManagement();

} // namespace power
