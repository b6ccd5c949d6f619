#include "platform/hotkeys/tests/stand_in_portal.h"

#include <QDBusArgument>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDateTime>
#include <QVariantMap>

#include <mutex>

namespace hotkeys::testing {

// QtDBus finds a slot's parameter types by the names the slot is declared
// with, so the type lives in a named namespace and the slot spells it out.
struct Shortcut {
    QString name;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const Shortcut& s)
{
    out.beginStructure();
    out << s.name << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, Shortcut& s)
{
    in.beginStructure();
    in >> s.name >> s.properties;
    in.endStructure();
    return in;
}

} // namespace hotkeys::testing

Q_DECLARE_METATYPE(hotkeys::testing::Shortcut)

namespace hotkeys::testing {

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

} // namespace

struct StandInPortal::State {
    mutable std::mutex mutex;
    bool refuseSessions = false;
    QStringList declined;
    bool answerNever = false;
    bool sessionHandleAsString = false;
    std::vector<AskedShortcut> lastBind;
    int bindCalls = 0;
    QString lastBindSession;
    QString session;
    int sessionCloses = 0;
    int requestCloses = 0;
};

namespace {

using State = StandInPortal::State;

// Object paths the portal derives from the caller's unique name and a token.
QString callerPath(const QString& kind, const QString& sender, const QString& token)
{
    return kPath + "/" + kind + "/" + sender.mid(1).replace('.', '_') + "/" + token;
}

// An org.freedesktop.portal.Session or .Request object: both are ended by Close.
class Closable : public QObject {
    Q_OBJECT
public:
    Closable(QObject* parent, State& state, int State::*closes) : QObject(parent), state_(state), closes_(closes) {}

public slots:
    void Close()
    {
        {
            std::lock_guard lock(state_.mutex);
            ++(state_.*closes_);
        }
        deleteLater();
    }

private:
    State& state_;
    int State::*closes_;
};

class SessionObject : public Closable {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Session")
public:
    SessionObject(QObject* parent, State& state) : Closable(parent, state, &State::sessionCloses) {}
};

class RequestObject : public Closable {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Request")
public:
    RequestObject(QObject* parent, State& state) : Closable(parent, state, &State::requestCloses) {}
};

class Service : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.GlobalShortcuts")
    Q_PROPERTY(uint version READ version)
public:
    Service(QDBusConnection bus, State& state) : bus_(std::move(bus)), state_(state) {}
    uint version() const { return 1; }

public slots:
    QDBusObjectPath CreateSession(const QVariantMap& options)
    {
        const QString sender = message().service();
        const QString session = callerPath("session", sender, options.value("session_handle_token").toString());
        bool refuse = false;
        bool asString = false;
        {
            std::lock_guard lock(state_.mutex);
            refuse = state_.refuseSessions;
            asString = state_.sessionHandleAsString;
            if (!refuse) state_.session = session;
        }
        QVariantMap results;
        if (!refuse) {
            bus_.registerObject(session, new SessionObject(this, state_), QDBusConnection::ExportAllSlots);
            results["session_handle"] = asString ? QVariant(session) : QVariant::fromValue(QDBusObjectPath(session));
        }
        answer(callerPath("request", sender, options.value("handle_token").toString()), refuse ? 1 : 0, results);
        return {};
    }

    QDBusObjectPath BindShortcuts(const QDBusObjectPath& session, const QList<hotkeys::testing::Shortcut>& shortcuts, const QString&,
                                  const QVariantMap& options)
    {
        QList<Shortcut> bound;
        {
            std::lock_guard lock(state_.mutex);
            ++state_.bindCalls;
            state_.lastBindSession = session.path();
            state_.lastBind.clear();
            for (const Shortcut& s : shortcuts) {
                state_.lastBind.push_back({s.name, s.properties.value("description").toString(),
                                           s.properties.value("preferred_trigger").toString()});
                if (!state_.declined.contains(s.properties.value("preferred_trigger").toString()))
                    bound.append({s.name,
                                  {{"description", s.properties.value("description")},
                                   {"trigger_description", s.properties.value("preferred_trigger")}}});
            }
        }
        answer(callerPath("request", message().service(), options.value("handle_token").toString()), 0,
               {{"shortcuts", QVariant::fromValue(bound)}});
        return {};
    }

private:
    // Replies with the request's handle, then answers on it, in the portal's order.
    void answer(const QString& handle, uint response, const QVariantMap& results)
    {
        setDelayedReply(true);
        bus_.registerObject(handle, new RequestObject(this, state_), QDBusConnection::ExportAllSlots);
        bus_.send(message().createReply(QVariant::fromValue(QDBusObjectPath(handle))));
        bool never = false;
        {
            std::lock_guard lock(state_.mutex);
            never = state_.answerNever;
        }
        if (never) return;
        QDBusMessage signal = QDBusMessage::createSignal(handle, "org.freedesktop.portal.Request", "Response");
        signal.setArguments({response, results});
        bus_.send(signal);
        // A request that answered is gone, as on the desktop.
        if (QObject* request = bus_.objectRegisteredAt(handle)) delete request;
    }

    QDBusConnection bus_;
    State& state_;
};

} // namespace

StandInPortal::StandInPortal(QDBusConnection bus)
    : bus_(std::move(bus)), state_(std::make_unique<State>()), thread_(std::make_unique<QThread>())
{
    qDBusRegisterMetaType<Shortcut>();
    qDBusRegisterMetaType<QList<Shortcut>>();
    thread_->start();
    auto* service = new Service(bus_, *state_);
    service->moveToThread(thread_.get());
    service_ = service;
    // QtDBus delivers each call in the thread of the object it is for.
    registered_ = bus_.registerObject(kPath, service,
                                      QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties) &&
                  bus_.registerService(kService);
}

StandInPortal::~StandInPortal()
{
    bus_.unregisterService(kService);
    bus_.unregisterObject(kPath);
    QMetaObject::invokeMethod(service_, [service = service_] { delete service; }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
}

bool StandInPortal::registered() const { return registered_; }

void StandInPortal::refuseSessions(bool refuse)
{
    std::lock_guard lock(state_->mutex);
    state_->refuseSessions = refuse;
}

void StandInPortal::decline(const QStringList& triggers)
{
    std::lock_guard lock(state_->mutex);
    state_->declined = triggers;
}

void StandInPortal::answerNever(bool never)
{
    std::lock_guard lock(state_->mutex);
    state_->answerNever = never;
}

void StandInPortal::sessionHandleAsString(bool asString)
{
    std::lock_guard lock(state_->mutex);
    state_->sessionHandleAsString = asString;
}

std::vector<AskedShortcut> StandInPortal::lastBind() const
{
    std::lock_guard lock(state_->mutex);
    return state_->lastBind;
}

int StandInPortal::bindCalls() const
{
    std::lock_guard lock(state_->mutex);
    return state_->bindCalls;
}

QString StandInPortal::lastBindSession() const
{
    std::lock_guard lock(state_->mutex);
    return state_->lastBindSession;
}

QString StandInPortal::session() const
{
    std::lock_guard lock(state_->mutex);
    return state_->session;
}

int StandInPortal::sessionCloses() const
{
    std::lock_guard lock(state_->mutex);
    return state_->sessionCloses;
}

int StandInPortal::requestCloses() const
{
    std::lock_guard lock(state_->mutex);
    return state_->requestCloses;
}

void StandInPortal::activate(const QString& session, const QString& shortcut)
{
    QDBusMessage signal = QDBusMessage::createSignal(kPath, kInterface, "Activated");
    signal.setArguments({QVariant::fromValue(QDBusObjectPath(session)), shortcut,
                         QVariant::fromValue(qulonglong(QDateTime::currentMSecsSinceEpoch())), QVariantMap{}});
    bus_.send(signal);
}

} // namespace hotkeys::testing

#include "stand_in_portal.moc"
