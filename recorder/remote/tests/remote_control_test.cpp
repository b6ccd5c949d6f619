// The local socket between a second process and the running recorder: the
// commands and replies, requests that must be refused, and the checks that
// keep other users out in both directions.

#include "recorder/remote/remote_client.h"
#include "recorder/remote/remote_control_server.h"
#include "recorder/remote/remote_socket_path.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <future>
#include <vector>

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace recorder {
namespace {

struct Performed {
    std::vector<RemoteCommand> commands;
};

class RecordingTarget : public RemoteTarget {
public:
    explicit RecordingTarget(Performed& performed) : performed_(performed) {}
    RemoteReply perform(RemoteCommand command) override
    {
        performed_.commands.push_back(command);
        if (command == RemoteCommand::Status) return {true, statusText(true, "/music/a b.mp3", 12)};
        if (command == RemoteCommand::Record) return {false, "the recording did not start"};
        return {true, "done"};
    }

private:
    Performed& performed_;
};

// Runs `work` on another thread while this one serves the socket.
template <class Result>
Result whileServing(std::future<Result> future)
{
    QDeadlineTimer deadline(20000);
    while (future.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return future.get();
}

sockaddr_un address(const std::string& path)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    return addr;
}

// What a careless or hostile client sends, and all it gets back.
std::string rawExchange(const std::string& path, const std::string& bytes)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un addr = address(path);
    std::string reply;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0) {
        [[maybe_unused]] auto w = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        char buf[512];
        for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) reply.append(buf, std::size_t(n));
    }
    ::close(fd);
    return reply;
}

class RemoteControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/velmor-remote-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        folder_ = tmpl;
        path_ = folder_ + "/recorder.socket";
    }
    void TearDown() override
    {
        server_.reset();
        std::filesystem::remove_all(folder_);
    }
    void listen(uid_t allowed = ::geteuid())
    {
        server_ = std::make_unique<RemoteControlServer>(std::make_unique<RecordingTarget>(performed_), allowed);
        std::string why;
        ASSERT_TRUE(server_->listen(path_, why)) << why;
    }
    RemoteOutcome send(RemoteCommand command, RemoteClientOptions options = defaultClientOptions())
    {
        return whileServing(std::async(std::launch::async, [=, this] { return sendRemoteCommand(path_, command, options); }));
    }

    std::string folder_, path_;
    Performed performed_;
    std::unique_ptr<RemoteControlServer> server_;
};

TEST_F(RemoteControl, EachCommandReachesTheRecorderAndItsAnswerComesBack)
{
    listen();
    const RemoteOutcome status = send(RemoteCommand::Status);
    ASSERT_TRUE(status.delivered) << status.error;
    EXPECT_TRUE(status.reply.ok);
    EXPECT_EQ(status.reply.text, "recording /music/a b.mp3 12");
    // A refusal by the recorder arrives as a refusal, not as success.
    const RemoteOutcome record = send(RemoteCommand::Record);
    ASSERT_TRUE(record.delivered) << record.error;
    EXPECT_FALSE(record.reply.ok);
    EXPECT_EQ(record.reply.text, "the recording did not start");
    ASSERT_TRUE(send(RemoteCommand::Stop).delivered);
    ASSERT_TRUE(send(RemoteCommand::Show).delivered);
    EXPECT_EQ(performed_.commands, (std::vector{RemoteCommand::Status, RemoteCommand::Record, RemoteCommand::Stop,
                                                RemoteCommand::Show}));
}

TEST_F(RemoteControl, MalformedOversizedAndUnfinishedRequestsAreRefusedAndTheServerGoesOn)
{
    listen();
    auto raw = [this](std::string bytes) {
        return whileServing(std::async(std::launch::async, [=, this] { return rawExchange(path_, bytes); }));
    };
    EXPECT_EQ(raw("dance\n"), "error unknown request");
    EXPECT_EQ(raw(std::string(100000, 'x')), "error the request is too long");
    EXPECT_EQ(raw(std::string(70, 's') + "\n"), "error the request is too long");
    EXPECT_EQ(raw(std::string("stat\0us\n", 8)), "error unknown request");
    EXPECT_EQ(raw("sta"), "") << "a request never finished is cut off after a time and runs nothing";
    EXPECT_TRUE(performed_.commands.empty());
    EXPECT_EQ(raw("status\r\n"), "ok recording /music/a b.mp3 12");
    EXPECT_TRUE(send(RemoteCommand::Status).delivered);
}

TEST_F(RemoteControl, APeerOfAnotherUserIsRefusedByItsKernelReportedUid)
{
    // The server's own uid check, seen from the server: its allowed user is
    // not ours, so our connection is, to it, another user's.
    listen(::geteuid() + 1);
    const RemoteOutcome outcome = send(RemoteCommand::Stop);
    // The server hangs up without a word; how the client words that depends on
    // whether the hang-up or its read comes first.
    EXPECT_FALSE(outcome.delivered);
    EXPECT_TRUE(performed_.commands.empty());
    EXPECT_EQ(server_->refusedPeers(), 1);
}

TEST_F(RemoteControl, TheClientTellsNothingToAServerOfAnotherUser)
{
    listen();
    RemoteClientOptions options = defaultClientOptions();
    options.expectedServerUid = ::geteuid() + 1;
    const RemoteOutcome outcome = send(RemoteCommand::Record, options);
    EXPECT_FALSE(outcome.delivered);
    EXPECT_NE(outcome.error.find("belongs to another user"), std::string::npos) << outcome.error;
    EXPECT_TRUE(performed_.commands.empty());
}

TEST_F(RemoteControl, ASocketServedByAnotherRealUserIsRefused)
{
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to run a listener as another user";
    // A folder anyone may enter, and a listener that really runs as nobody.
    ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un addr = address(path_);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 1) != 0) ::_exit(3);
        [[maybe_unused]] auto w = ::write(ready[1], "r", 1);
        const int peer = ::accept(fd, nullptr, nullptr);
        char buf[64];
        [[maybe_unused]] auto r = ::read(peer, buf, sizeof buf);
        [[maybe_unused]] auto w2 = ::write(peer, "ok idle", 7);
        ::_exit(0);
    }
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    const RemoteOutcome outcome = sendRemoteCommand(path_, RemoteCommand::Status);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_FALSE(outcome.delivered) << "the other user's answer was believed";
    EXPECT_NE(outcome.error.find("belongs to another user"), std::string::npos) << outcome.error;
}

TEST_F(RemoteControl, TheSocketIsTheUsersAloneAndALeftoverOneIsReplaced)
{
    // A socket left by a recorder that was killed.
    {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const sockaddr_un addr = address(path_);
        ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
        ::close(fd);
    }
    listen();
    struct stat st {};
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));
    EXPECT_EQ(st.st_mode & 077, 0u) << "others can neither read nor connect";
    EXPECT_TRUE(send(RemoteCommand::Status).delivered);
    server_->close();
    EXPECT_FALSE(std::filesystem::exists(path_));
    const RemoteClientOptions quick{200, 1000, ::geteuid()};
    const RemoteOutcome gone = sendRemoteCommand(path_, RemoteCommand::Status, quick);
    EXPECT_FALSE(gone.delivered);
    EXPECT_NE(gone.error.find("does not answer"), std::string::npos) << gone.error;
}

TEST(RemoteSocketFolder, OnlyAPrivateFolderOfThisUserIsUsed)
{
    char tmpl[] = "/tmp/velmor-folder-XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    const std::string base = tmpl;
    std::string why;
    EXPECT_TRUE(privateFolder(base + "/new", true, why)) << why;
    struct stat st {};
    ASSERT_EQ(::stat((base + "/new").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    ASSERT_EQ(::mkdir((base + "/open").c_str(), 0755), 0);
    ASSERT_EQ(::chmod((base + "/open").c_str(), 0755), 0);
    EXPECT_FALSE(privateFolder(base + "/open", true, why));
    EXPECT_NE(why.find("not a private folder"), std::string::npos);
    // A link planted in place of the folder is not followed.
    ASSERT_EQ(::symlink((base + "/new").c_str(), (base + "/link").c_str()), 0);
    EXPECT_FALSE(privateFolder(base + "/link", true, why));

    ::setenv("VELMOR_HOME", (base + std::string(120, 'x')).c_str(), 1);
    const SocketPlace tooLong = remoteSocketPath();
    EXPECT_TRUE(tooLong.path.empty());
    EXPECT_NE(tooLong.error.find("too long"), std::string::npos);
    ::unsetenv("VELMOR_HOME");
    std::filesystem::remove_all(base);
}

} // namespace
} // namespace recorder

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
