#include "recorder/remote/remote_control_server.h"

#include "recorder/remote/peer_credentials.h"

#include <QLocalSocket>
#include <QPointer>
#include <QTimer>
#include <QVariant>

namespace recorder {

RemoteControlServer::RemoteControlServer(std::unique_ptr<RemoteTarget> target, uid_t allowedUid, QObject* parent)
    : QObject(parent), target_(std::move(target)), allowedUid_(allowedUid)
{
    // The socket file is the user's alone; the uid check below holds even if it were not.
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &RemoteControlServer::acceptConnections);
}

RemoteControlServer::~RemoteControlServer() { close(); }

bool RemoteControlServer::listen(const std::string& path, std::string& why)
{
    const QString name = QString::fromStdString(path);
    QLocalServer::removeServer(name);
    if (server_.listen(name)) return true;
    why = "cannot listen at " + path + ": " + server_.errorString().toStdString();
    return false;
}

void RemoteControlServer::close()
{
    if (!server_.isListening()) return;
    const QString name = server_.fullServerName();
    server_.close();
    QLocalServer::removeServer(name);
}

void RemoteControlServer::acceptConnections()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        const auto uid = peerUid(static_cast<int>(socket->socketDescriptor()));
        if (!uid || *uid != allowedUid_) {
            // No reply: another user learns nothing, not even the state.
            ++refusedPeers_;
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // A client that connects and says nothing must not keep its socket forever.
        QTimer::singleShot(kRequestTimeoutMs, socket, [socket] { socket->abort(); });
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { serve(socket); });
        if (socket->bytesAvailable() > 0) serve(socket);
    }
}

void RemoteControlServer::serve(QLocalSocket* socket)
{
    if (socket->property("answered").toBool()) {
        socket->readAll();
        return;
    }
    const QByteArray waiting = socket->peek(qint64(kMaxRequestBytes) + 1);
    const RequestFrame frame = frameRequest(std::string_view(waiting.constData(), std::size_t(waiting.size())));
    if (frame.kind == RequestFrame::TooLong) answer(socket, {false, "the request is too long"});
    if (frame.kind != RequestFrame::Complete) return; // the rest of the line may still be on its way
    const QByteArray line = socket->read(qint64(frame.lineBytes)).chopped(1);
    const auto command = parseRequest(std::string_view(line.constData(), std::size_t(line.size())));
    if (!command) {
        answer(socket, {false, "unknown request"});
        return;
    }
    socket->setProperty("answered", true);
    // The target may run a nested event loop (a message box); the client may go meanwhile.
    QPointer<QLocalSocket> alive(socket);
    target_->perform(*command, [this, alive](const RemoteReply& reply) {
        if (alive) answer(alive, reply);
    });
}

void RemoteControlServer::answer(QLocalSocket* socket, const RemoteReply& reply)
{
    socket->setProperty("answered", true);
    const std::string text = replyText(reply);
    socket->write(text.data(), qint64(text.size()));
    socket->disconnectFromServer(); // after the reply is written
}

} // namespace recorder
