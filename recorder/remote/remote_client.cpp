#include "recorder/remote/remote_client.h"

#include "recorder/remote/peer_credentials.h"

#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QThread>

#include <unistd.h>

namespace recorder {

RemoteClientOptions defaultClientOptions()
{
    RemoteClientOptions options;
    options.expectedServerUid = ::geteuid();
    return options;
}

RemoteOutcome sendRemoteCommand(const std::string& socketPath, RemoteCommand command,
                                const RemoteClientOptions& options)
{
    RemoteOutcome outcome;
    QLocalSocket socket;
    QDeadlineTimer connectDeadline(options.connectMs);
    for (;;) {
        socket.connectToServer(QString::fromStdString(socketPath));
        if (socket.waitForConnected(500)) break;
        if (connectDeadline.hasExpired()) {
            outcome.error = "the recorder does not answer at " + socketPath + " (" + socket.errorString().toStdString() + ")";
            return outcome;
        }
        socket.abort();
        QThread::msleep(100);
    }

    // Whoever listens there must be this user's recorder: a status or a
    // command is nothing to hand to someone else's program.
    const auto uid = peerUid(static_cast<int>(socket.socketDescriptor()));
    if (!uid || *uid != options.expectedServerUid) {
        outcome.error = "refused: the socket " + socketPath + " belongs to another user";
        return outcome;
    }

    const std::string request = requestText(command);
    socket.write(request.data(), qint64(request.size()));
    if (!socket.waitForBytesWritten(2000)) {
        outcome.error = "the recorder did not take the command (" + socket.errorString().toStdString() + ")";
        return outcome;
    }

    // The reply ends where the recorder closes the connection.
    QByteArray bytes;
    QDeadlineTimer replyDeadline(options.replyMs);
    while (socket.state() == QLocalSocket::ConnectedState && !replyDeadline.hasExpired() &&
           bytes.size() <= qsizetype(kMaxReplyBytes)) {
        socket.waitForReadyRead(int(std::min<qint64>(replyDeadline.remainingTime(), 200)));
        bytes += socket.readAll();
    }
    bytes += socket.readAll();
    if (socket.state() == QLocalSocket::ConnectedState && bytes.size() <= qsizetype(kMaxReplyBytes)) {
        outcome.error = "the recorder took the command but did not answer in time (is a message waiting in its window?)";
        return outcome;
    }
    const auto reply = parseReply(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (!reply) {
        outcome.error = bytes.isEmpty() ? "the recorder refused the connection" : "the recorder's answer was not understood";
        return outcome;
    }
    outcome.delivered = true;
    outcome.reply = *reply;
    return outcome;
}

} // namespace recorder
