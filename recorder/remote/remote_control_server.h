#pragma once
// The running recorder's end of the command line: a local socket that takes
// one request per connection from processes of the same user, hands it to
// the target and writes the reply. Anything else (another user, a request
// that is too long, unknown or never finished) is refused and closed.

#include "recorder/remote/remote_target.h"

#include <QLocalServer>
#include <QObject>

#include <memory>
#include <string>

#include <sys/types.h>

class QLocalSocket;

namespace recorder {

class RemoteControlServer : public QObject {
    Q_OBJECT
public:
    // Only peers running as `allowedUid` are served (the recorder's own user
    // unless a test says otherwise).
    RemoteControlServer(std::unique_ptr<RemoteTarget> target, uid_t allowedUid, QObject* parent = nullptr);
    ~RemoteControlServer() override;

    // Listens at `path`, replacing a socket left there by a recorder that
    // ended without cleaning up (callers hold the single-instance lock).
    bool listen(const std::string& path, std::string& why);
    void close();
    bool listening() const { return server_.isListening(); }
    // Connections refused for their user since the start.
    int refusedPeers() const { return refusedPeers_; }
    // How long a client may take to send its request.
    static constexpr int kRequestTimeoutMs = 5000;

private:
    void acceptConnections();
    void serve(QLocalSocket* socket);
    void answer(QLocalSocket* socket, const RemoteReply& reply);

    std::unique_ptr<RemoteTarget> target_;
    uid_t allowedUid_;
    QLocalServer server_;
    int refusedPeers_ = 0;
};

} // namespace recorder
