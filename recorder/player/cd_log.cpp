#include "recorder/player/cd_log.h"

#include <cdio/logging.h>

#include <cstdio>
#include <mutex>

namespace recorder {

namespace {

void writeToStandardError(cdio_log_level_t level, const char message[])
{
    if (level >= cdio_loglevel_default) std::fprintf(stderr, "libcdio: %s\n", message);
}

} // namespace

void installCdioLogHandler()
{
    static std::once_flag once;
    std::call_once(once, [] { cdio_log_set_handler(writeToStandardError); });
}

} // namespace recorder
