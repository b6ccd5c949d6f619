#include "platform/hotkeys/portal_hotkeys.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>

#include <atomic>

namespace {

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// One entry of the portal's shortcut list: its name and its properties.
struct PortalShortcut {
    QString name;
    QVariantMap properties;
};

QDBusArgument& operator<<(QDBusArgument& out, const PortalShortcut& s)
{
    out.beginStructure();
    out << s.name << s.properties;
    out.endStructure();
    return out;
}

const QDBusArgument& operator>>(const QDBusArgument& in, PortalShortcut& s)
{
    in.beginStructure();
    in >> s.name >> s.properties;
    in.endStructure();
    return in;
}

} // namespace

Q_DECLARE_METATYPE(PortalShortcut)

namespace hotkeys {

namespace {

QString shortcutName(int id) { return QStringLiteral("velmor-hotkey-%1").arg(id); }

// The trigger in the form of the desktops' shortcut names: "CTRL+ALT+r".
QString trigger(const Hotkey& key)
{
    QString text;
    if (key.modifiers & Control) text += "CTRL+";
    if (key.modifiers & Alt) text += "ALT+";
    if (key.modifiers & Shift) text += "SHIFT+";
    if (key.modifiers & Super) text += "LOGO+";
    return text + QChar(key.key).toLower();
}

QString objectPathText(const QVariant& v)
{
    if (v.canConvert<QDBusObjectPath>()) return v.value<QDBusObjectPath>().path();
    return v.toString();
}

// Tokens unique within this process: the portal derives object paths from them.
QString nextToken(const char* what)
{
    static std::atomic<int> counter{0};
    return QStringLiteral("velmor_%1_%2").arg(what).arg(++counter);
}

} // namespace

std::unique_ptr<PortalHotkeys> PortalHotkeys::create(const QDBusConnection& bus, int answerWaitMs)
{
    if (!bus.isConnected()) return nullptr;
    QDBusMessage get = QDBusMessage::createMethodCall(kService, kPath, "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({kInterface, QStringLiteral("version")});
    const QDBusMessage reply = QDBusConnection(bus).call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage) return nullptr;
    return std::unique_ptr<PortalHotkeys>(new PortalHotkeys(bus, answerWaitMs));
}

PortalHotkeys::PortalHotkeys(const QDBusConnection& bus, int answerWaitMs) : bus_(bus), answerWaitMs_(answerWaitMs)
{
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    // QtDBus reads the slot's parameter types by name; until the object-path
    // type is known by name, the connection succeeds but no signal matches it.
    qRegisterMetaType<QDBusObjectPath>();
    bus_.connect(kService, kPath, kInterface, "Activated", this,
                 SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
}

PortalHotkeys::~PortalHotkeys()
{
    bus_.disconnect(kService, kPath, kInterface, "Activated", this,
                    SLOT(onActivated(QDBusObjectPath, QString, qulonglong, QVariantMap)));
    closeSession();
}

std::optional<QVariantMap> PortalHotkeys::request(const QString& method, QList<QVariant> arguments, const QString& token)
{
    // The answer comes as a signal on a path derived from our bus name and the
    // token; listening before the call keeps a fast answer from being missed.
    const QString sender = bus_.baseService().mid(1).replace('.', '_');
    const QString path = kPath + "/request/" + sender + "/" + token;
    const char* slot = SLOT(onResponse(uint, QVariantMap));
    bus_.connect(kService, path, "org.freedesktop.portal.Request", "Response", this, slot);
    answer_.reset();

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(arguments);
    const QDBusMessage reply = bus_.call(call, QDBus::Block, answerWaitMs_);
    QString handle = path;
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
        handle = objectPathText(reply.arguments().constFirst());
        // Portals older than the token scheme answer on a path of their own.
        if (handle != path) bus_.connect(kService, handle, "org.freedesktop.portal.Request", "Response", this, slot);
    }
    if (reply.type() == QDBusMessage::ReplyMessage && !answer_) {
        QEventLoop loop;
        QTimer::singleShot(answerWaitMs_, &loop, &QEventLoop::quit);
        loop_ = &loop;
        loop.exec();
        loop_ = nullptr;
        // Withdraw the question: the desktop would otherwise go on asking the
        // user, and bind keys this call reports as not held.
        if (!answer_)
            bus_.send(QDBusMessage::createMethodCall(kService, handle, "org.freedesktop.portal.Request", "Close"));
    }
    bus_.disconnect(kService, path, "org.freedesktop.portal.Request", "Response", this, slot);
    if (handle != path) bus_.disconnect(kService, handle, "org.freedesktop.portal.Request", "Response", this, slot);

    if (!answer_ || answer_->first != 0) return std::nullopt;
    return answer_->second;
}

void PortalHotkeys::onResponse(uint response, const QVariantMap& results)
{
    answer_ = std::make_pair(response, results);
    if (loop_) loop_->quit();
}

bool PortalHotkeys::openSession()
{
    if (!session_.isEmpty()) return true;
    const QVariantMap options{{"handle_token", nextToken("request")}, {"session_handle_token", nextToken("session")}};
    const auto results = request("CreateSession", {options}, options.value("handle_token").toString());
    if (!results) return false;
    session_ = objectPathText(results->value("session_handle"));
    return !session_.isEmpty();
}

void PortalHotkeys::closeSession()
{
    if (session_.isEmpty()) return;
    bus_.send(QDBusMessage::createMethodCall(kService, session_, "org.freedesktop.portal.Session", "Close"));
    session_.clear();
}

std::vector<bool> PortalHotkeys::registerHotkeys(const std::vector<Hotkey>& keys)
{
    std::vector<bool> held(keys.size(), false);
    if (!openSession()) return held;

    // A session's shortcuts are bound as one list, so the ones held stay in it.
    QList<PortalShortcut> list;
    for (const auto& [name, key] : held_)
        list.append({name, {{"description", QString::fromStdString(key.description)}, {"preferred_trigger", trigger(key)}}});
    std::map<QString, std::size_t> asked;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const QString name = shortcutName(keys[i].id);
        if (held_.count(name) || asked.count(name)) continue;
        asked[name] = i;
        list.append({name,
                     {{"description", QString::fromStdString(keys[i].description)},
                      {"preferred_trigger", trigger(keys[i])}}});
    }
    if (asked.empty()) return held;

    const QString token = nextToken("request");
    const auto results = request("BindShortcuts",
                                 {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(list), QString(),
                                  QVariantMap{{"handle_token", token}}},
                                 token);
    if (!results) return held;
    // The portal lists what it bound; a shortcut it left out is not ours.
    const auto bound = qdbus_cast<QList<PortalShortcut>>(results->value("shortcuts").value<QDBusArgument>());
    for (const PortalShortcut& s : bound) {
        auto it = asked.find(s.name);
        if (it == asked.end()) continue;
        held_[s.name] = keys[it->second];
        held[it->second] = true;
    }
    return held;
}

void PortalHotkeys::unregisterHotkey(int id)
{
    // The portal has no way to unbind one shortcut: a released one is ignored,
    // and the session goes when the last one is released.
    held_.erase(shortcutName(id));
    if (held_.empty()) closeSession();
}

void PortalHotkeys::setHandler(std::function<void(int id)> handler) { handler_ = std::move(handler); }

void PortalHotkeys::onActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong, const QVariantMap&)
{
    if (session.path() != session_) return;
    auto it = held_.find(shortcut);
    if (it == held_.end()) return;
    const int id = it->second.id;
    QMetaObject::invokeMethod(
        this,
        [this, id] {
            const bool stillHeld = held_.count(shortcutName(id)) > 0;
            if (stillHeld && handler_) handler_(id);
        },
        Qt::QueuedConnection);
}

} // namespace hotkeys
