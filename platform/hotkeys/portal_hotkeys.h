#pragma once
// Hotkeys through the desktop's global-shortcuts portal
// (org.freedesktop.portal.GlobalShortcuts on the session bus), the way a
// Wayland desktop lets a program have keys while others have the focus. The
// desktop may ask the user to confirm or choose the keys; it may also bind a
// shortcut to another key than the one proposed.

#include "platform/hotkeys/global_hotkeys.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QVariantMap>

#include <map>
#include <optional>

class QDBusObjectPath;
class QEventLoop;

namespace hotkeys {

class PortalHotkeys final : public QObject, public GlobalHotkeys {
    Q_OBJECT
public:
    // Null when the bus has no global-shortcuts portal. `answerWaitMs` bounds
    // each wait for the portal's answer, which may include a dialog to the user.
    static std::unique_ptr<PortalHotkeys> create(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                                                 int answerWaitMs = 60000);
    ~PortalHotkeys() override;

    std::vector<bool> registerHotkeys(const std::vector<Hotkey>& keys) override;
    void unregisterHotkey(int id) override;
    void setHandler(std::function<void(int id)> handler) override;

private slots:
    void onActivated(const QDBusObjectPath& session, const QString& shortcut, qulonglong timestamp,
                     const QVariantMap& options);
    void onResponse(uint response, const QVariantMap& results);

private:
    PortalHotkeys(const QDBusConnection& bus, int answerWaitMs);
    // Calls a portal method that answers through a Request object; nullopt when
    // the call or the request fails or the portal does not answer in time.
    std::optional<QVariantMap> request(const QString& method, QList<QVariant> arguments, const QString& token);
    bool openSession();
    void closeSession();

    QDBusConnection bus_;
    int answerWaitMs_;
    QString session_;
    // Shortcut name on the portal → the key held under it.
    std::map<QString, Hotkey> held_;
    std::function<void(int)> handler_;
    std::optional<std::pair<uint, QVariantMap>> answer_;
    QEventLoop* loop_ = nullptr; // the wait for answer_, while one runs
};

} // namespace hotkeys
