#include "recorder/wavein/hook_error.h"

#include <syslog.h>

std::string HookError::logText() const { return className + "." + operation + ": " + message; }

std::string HookError::boxTitle() const { return "Error in " + className + "." + operation; }

std::string HookError::boxText() const { return message + "."; }

namespace hookerror {

void logToSystem(const HookError& error)
{
    ::openlog("velmor-sound-recorder", LOG_PID, LOG_USER);
    ::syslog(LOG_ERR, "%s", error.logText().c_str());
    ::closelog();
}

} // namespace hookerror
