#include "platform/power/tests/private_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace power::testing {

PrivateBus::PrivateBus()
{
    daemon_.setProgram("dbus-daemon");
    daemon_.setArguments({"--session", "--nofork", "--nopidfile", "--address=unix:tmpdir=/tmp", "--print-address=1"});
    daemon_.start();
    if (!daemon_.waitForStarted(5000)) return;
    for (int i = 0; i < 50 && !daemon_.canReadLine(); ++i) daemon_.waitForReadyRead(100);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    daemon_.terminate();
    if (!daemon_.waitForFinished(3000)) daemon_.kill();
    daemon_.waitForFinished(1000);
}

QDBusConnection PrivateBus::connect(const QString& name) const
{
    const_cast<PrivateBus*>(this)->names_.push_back(name);
    return QDBusConnection::connectToBus(address_, name);
}

StandInLogin1::StandInLogin1(QDBusConnection bus) : bus_(std::move(bus))
{
    registered_ = bus_.registerObject("/org/freedesktop/login1", this, QDBusConnection::ExportAllSlots) &&
                  bus_.registerService("org.freedesktop.login1");
}

StandInLogin1::~StandInLogin1()
{
    bus_.unregisterObject("/org/freedesktop/login1");
    bus_.unregisterService("org.freedesktop.login1");
    for (const Call& call : calls_)
        if (call.watchFd >= 0) ::close(call.watchFd);
}

QDBusUnixFileDescriptor StandInLogin1::Inhibit(const QString& what, const QString& who, const QString& why,
                                               const QString& mode)
{
    calls_.push_back({what, who, why, mode, -1});
    if (refuse) {
        sendErrorReply(QDBusError::AccessDenied, "Permission denied");
        return {};
    }
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) return {};
    calls_.back().watchFd = ends[0];
    QDBusUnixFileDescriptor handed(ends[1]); // a copy of its own
    ::close(ends[1]);
    return handed;
}

bool StandInLogin1::held(std::size_t index) const
{
    if (index >= calls_.size() || calls_[index].watchFd < 0) return false;
    // The read end reports end-of-file (POLLHUP) once no writer is left.
    pollfd p{calls_[index].watchFd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 0;
}

} // namespace power::testing
