#include "platform/pulse/server_connection.h"
#include "platform/pulse/source_queries.h"

#include "platform/testserver/pipe_source.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <fstream>
#include <thread>

using namespace std::chrono_literals;
using testsound::SoundServer;

namespace {

struct CountingListener : pulse::ServerListener {
    std::atomic<int> lost{0}, changed{0};
    void serverLost() override { ++lost; }
    void sourcesChanged() override { ++changed; }
};

bool eventually(const std::function<bool()>& done, std::chrono::milliseconds timeout = 2s)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

TEST(ServerConnection, EveryHolderGetsTheSameConnection)
{
    SoundServer::shared();
    auto a = pulse::ServerConnection::shared();
    auto b = pulse::ServerConnection::shared();
    EXPECT_EQ(a, b);
    ASSERT_TRUE(a->ensureConnected());
    ASSERT_TRUE(pulse::sources(*b));
    EXPECT_EQ(a->contextsMade(), 1u);
}

TEST(ServerConnection, TellsListenersOfSourcesThatAppearAndVanish)
{
    auto& server = SoundServer::shared();
    auto c = pulse::ServerConnection::shared();
    ASSERT_TRUE(c->ensureConnected());
    CountingListener listener;
    c->addListener(&listener);
    auto extra = std::make_unique<testsound::PipeSource>(server, "velmor_conn_appears", "Appearing Input");
    EXPECT_TRUE(eventually([&] { return listener.changed >= 1; }));
    const int afterAppearing = listener.changed;
    extra.reset();
    EXPECT_TRUE(eventually([&] { return listener.changed > afterAppearing; }));
    c->removeListener(&listener);
    const int afterRemoval = listener.changed;
    testsound::PipeSource unheard(server, "velmor_conn_unheard", "Unheard Input");
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(listener.changed, afterRemoval);
    EXPECT_EQ(listener.lost, 0);
}

// A listener runs on the loop's thread: a round trip from there is refused at once.
TEST(ServerConnection, RoundTripsFromTheLoopThreadAreRefusedNotDeadlocked)
{
    auto& server = SoundServer::shared();
    auto c = pulse::ServerConnection::shared();
    ASSERT_TRUE(c->ensureConnected());
    struct Nested : pulse::ServerListener {
        pulse::ServerConnection* c = nullptr;
        std::atomic<bool> answered{false}, ran{false}, onLoop{false};
        void sourcesChanged() override
        {
            if (ran) return;
            onLoop = c->onLoopThread();
            answered = pulse::sources(*c, 5s).has_value();
            ran = true;
        }
    } nested;
    nested.c = c.get();
    c->addListener(&nested);
    testsound::PipeSource extra(server, "velmor_conn_nested", "Nested Input");
    ASSERT_TRUE(eventually([&] { return nested.ran.load(); }, 1s)); // well inside the 5 s it would wait
    c->removeListener(&nested);
    EXPECT_TRUE(nested.onLoop);
    EXPECT_FALSE(nested.answered);
    EXPECT_TRUE(pulse::sources(*c)); // the connection is none the worse
}

TEST(ServerConnection, AServerThatStopsAnsweringMeetsTheDeadline)
{
    auto own = SoundServer::startPrivate();
    own->useInThisProcess();
    {
        auto c = pulse::ServerConnection::shared();
        ASSERT_TRUE(pulse::sources(*c));
        long pid = 0;
        std::ifstream(own->folder() + "/pid") >> pid;
        ASSERT_GT(pid, 0);
        ::kill(static_cast<pid_t>(pid), SIGSTOP);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(pulse::sources(*c, 300ms));
        EXPECT_FALSE(pulse::setSourcePort(*c, "velmor_pipe", "none", 300ms));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
        ::kill(static_cast<pid_t>(pid), SIGCONT);
        EXPECT_TRUE(pulse::sources(*c)); // answered again, on a fresh context if need be
    }
    SoundServer::shared().useInThisProcess();
}

TEST(ServerConnection, AKilledServerIsReportedFailsCleanlyAndIsFoundAgainWhenBack)
{
    auto own = SoundServer::startPrivate();
    own->useInThisProcess();
    {
        auto c = pulse::ServerConnection::shared();
        ASSERT_TRUE(c->ensureConnected());
        CountingListener listener;
        c->addListener(&listener);

        own->kill();
        EXPECT_TRUE(eventually([&] { return listener.lost == 1; }));
        EXPECT_FALSE(c->connected());
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(pulse::sources(*c, 500ms));
        EXPECT_FALSE(pulse::setSourceVolume(*c, "velmor_pipe", {1000}, 500ms));
        EXPECT_FALSE(c->ensureConnected(500ms));
        EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
        EXPECT_EQ(listener.lost, 1) << "failed attempts are not losses";

        ASSERT_TRUE(own->restart());
        const int changedBefore = listener.changed;
        ASSERT_TRUE(c->ensureConnected());
        auto list = pulse::sources(*c);
        ASSERT_TRUE(list);
        EXPECT_FALSE(list->empty());
        EXPECT_TRUE(eventually([&] { return listener.changed > changedBefore; })) << "a new context may see other sources";
        c->removeListener(&listener);

        own->kill();
        std::this_thread::sleep_for(100ms);
        EXPECT_EQ(listener.lost, 1) << "a removed listener hears nothing";
    }
    SoundServer::shared().useInThisProcess();
}

} // namespace
