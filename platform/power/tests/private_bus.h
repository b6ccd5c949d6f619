#pragma once
// A D-Bus daemon of the test's own, with a stand-in logind on it: the test
// machine has no system bus, and a real logind must never be touched.

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QProcess>

#include <string>
#include <vector>

namespace power::testing {

class PrivateBus {
public:
    PrivateBus();
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    bool running() const { return !address_.isEmpty(); }
    // A new connection to the bus under its own name.
    QDBusConnection connect(const QString& name) const;

private:
    QProcess daemon_;
    QString address_;
    std::vector<QString> names_;
};

// org.freedesktop.login1.Manager.Inhibit as logind answers it: a descriptor
// whose closing ends the hold. The stand-in keeps the other end of a pipe and
// so sees when every copy of the client's end is closed.
class StandInLogin1 : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")
public:
    struct Call {
        QString what, who, why, mode;
        int watchFd = -1;
    };
    // Registers as org.freedesktop.login1 on `bus`.
    explicit StandInLogin1(QDBusConnection bus);
    ~StandInLogin1() override;

    const std::vector<Call>& calls() const { return calls_; }
    // True while some process still holds the descriptor of call `index`.
    bool held(std::size_t index) const;
    bool registered() const { return registered_; }
    // Answer with an access error, as logind does when policy refuses.
    bool refuse = false;

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode);

private:
    QDBusConnection bus_;
    bool registered_ = false;
    std::vector<Call> calls_;
};

} // namespace power::testing
