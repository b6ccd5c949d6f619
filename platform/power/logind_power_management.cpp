#include "platform/power/logind_power_management.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>

#include <fcntl.h>
#include <unistd.h>

namespace power {

namespace {

// The descriptor logind watches: closing it ends the hold.
class HeldDescriptor {
public:
    HeldDescriptor() = default;
    explicit HeldDescriptor(int fd) : fd_(fd) {}
    ~HeldDescriptor() { reset(); }
    HeldDescriptor(const HeldDescriptor&) = delete;
    HeldDescriptor& operator=(const HeldDescriptor&) = delete;
    HeldDescriptor& operator=(HeldDescriptor&& other) noexcept
    {
        if (this != &other) {
            reset();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    bool valid() const { return fd_ >= 0; }
    void reset()
    {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// The call is asynchronous so that starting a recording never waits on the
// system bus; a reply arriving after the hold was dropped is discarded with
// its descriptor, which releases it at once.
class LogindInhibition : public SleepInhibition {
public:
    LogindInhibition(const QDBusConnection& bus, const std::string& why)
    {
        QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.login1", "/org/freedesktop/login1",
                                                           "org.freedesktop.login1.Manager", "Inhibit");
        call << QString(kInhibitWhat) << QString(kInhibitWho) << QString::fromStdString(why) << QString(kInhibitMode);
        watcher_ = std::make_unique<QDBusPendingCallWatcher>(bus.asyncCall(call));
        QObject::connect(watcher_.get(), &QDBusPendingCallWatcher::finished, [this](QDBusPendingCallWatcher* w) {
            QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
            if (reply.isError()) {
                error_ = reply.error().message().toStdString();
                if (error_.empty()) error_ = reply.error().name().toStdString();
            } else if (!reply.value().isValid()) {
                error_ = "logind returned no file descriptor";
            } else {
                // Our own copy: the reply's copy goes with the reply.
                fd_ = HeldDescriptor(::fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0));
                if (!fd_.valid()) error_ = "the inhibitor's file descriptor could not be kept";
            }
        });
    }

    bool granted() const override { return fd_.valid(); }
    std::string error() const override { return error_; }

private:
    std::unique_ptr<QDBusPendingCallWatcher> watcher_;
    HeldDescriptor fd_;
    std::string error_;
};

} // namespace

LogindPowerManagement::LogindPowerManagement(QDBusConnection bus) : bus_(std::move(bus)) {}

std::unique_ptr<SleepInhibition> LogindPowerManagement::inhibitSleep(const std::string& why)
{
    if (!bus_.isConnected()) return nullptr;
    return std::make_unique<LogindInhibition>(bus_, why);
}

std::unique_ptr<PowerManagement> systemPowerManagement()
{
    return std::make_unique<LogindPowerManagement>(QDBusConnection::systemBus());
}

} // namespace power
