#pragma once
// The clock the schedule windows read: the system's, or a test's.

#include <QDateTime>

#include <functional>

namespace recorder {

using ScheduleClock = std::function<QDateTime()>;

inline ScheduleClock systemScheduleClock()
{
    return [] { return QDateTime::currentDateTime(); };
}

} // namespace recorder
