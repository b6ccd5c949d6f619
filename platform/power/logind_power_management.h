#pragma once
// Sleep inhibition through systemd-logind (org.freedesktop.login1.Manager.Inhibit,
// what "sleep:idle", mode "block"). logind keeps the hold while the returned
// file descriptor stays open, so the hold is that descriptor.

#include "platform/power/power_management.h"

#include <QDBusConnection>

namespace power {

inline constexpr const char* kInhibitWho = "Velmor Sound Recorder";
inline constexpr const char* kInhibitWhat = "sleep:idle";
inline constexpr const char* kInhibitMode = "block";

class LogindPowerManagement : public PowerManagement {
public:
    // The bus where logind answers: the system bus, or a private one in tests.
    explicit LogindPowerManagement(QDBusConnection bus);
    std::unique_ptr<SleepInhibition> inhibitSleep(const std::string& why) override;

private:
    QDBusConnection bus_;
};

} // namespace power
