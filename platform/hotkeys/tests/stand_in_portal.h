#pragma once
// A stand-in for the desktop's global-shortcuts portal on a private bus,
// scripted by the test: it can refuse sessions, bind only some of the asked
// shortcuts or never answer, and it records what it was asked.
//
// The code under test makes blocking calls from the test's thread, so the
// stand-in serves its calls from a thread of its own.

#include <QDBusConnection>
#include <QObject>
#include <QThread>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

namespace hotkeys::testing {

struct AskedShortcut {
    QString name;
    QString description;
    QString preferredTrigger;
};

class StandInPortal {
public:
    // Registers as org.freedesktop.portal.Desktop on `bus`.
    explicit StandInPortal(QDBusConnection bus);
    ~StandInPortal();
    StandInPortal(const StandInPortal&) = delete;
    StandInPortal& operator=(const StandInPortal&) = delete;

    bool registered() const;

    // Script. CreateSession answers "cancelled" (1) while sessions are refused.
    void refuseSessions(bool refuse);
    // BindShortcuts leaves out the shortcuts proposed on these triggers
    // ("CTRL+ALT+s"), as when the user declines them.
    void decline(const QStringList& triggers);
    // Requests get their handle but never a Response.
    void answerNever(bool never);
    // CreateSession's session_handle as a string (s), as some portal versions send it.
    void sessionHandleAsString(bool asString);

    // Record.
    std::vector<AskedShortcut> lastBind() const; // the list of the latest BindShortcuts
    int bindCalls() const;
    QString lastBindSession() const; // the session BindShortcuts was called for
    QString session() const;         // the latest session created
    int sessionCloses() const;
    int requestCloses() const;

    // Emits Activated as the desktop does when a bound shortcut is pressed.
    void activate(const QString& session, const QString& shortcut);

    // Shared with the thread that serves the calls.
    struct State;

private:
    QDBusConnection bus_;
    std::unique_ptr<State> state_;
    std::unique_ptr<QThread> thread_;
    QObject* service_ = nullptr; // lives in thread_
    bool registered_ = false;
};

} // namespace hotkeys::testing
