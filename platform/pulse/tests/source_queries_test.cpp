#include "platform/pulse/source_queries.h"

#include "platform/testserver/pipe_source.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace testsound;

namespace {

TEST(CaptureOrder, PutsMonitorsAfterInputsKeepingServerOrder)
{
    std::vector<pulse::SourceInfo> list(4);
    list[0].name = "sink.monitor";
    list[0].monitor = true;
    list[1].name = "mic";
    list[2].name = "other.monitor";
    list[2].monitor = true;
    list[3].name = "line";
    auto ordered = pulse::captureOrder(list);
    std::vector<std::string> names;
    for (auto& s : ordered) names.push_back(s.name);
    EXPECT_EQ(names, (std::vector<std::string>{"mic", "line", "sink.monitor", "other.monitor"}));
}

TEST(SourceQueries, ListsSourcesWithDescriptionsInCaptureOrder)
{
    auto& server = SoundServer::shared();
    PipeSource extra(server, "velmor_conn_test", "Connection Test Input", 48000, 1);
    auto c = pulse::ServerConnection::shared();
    auto sources = pulse::sources(*c);
    ASSERT_TRUE(sources);
    ASSERT_GE(sources->size(), 3u);
    EXPECT_FALSE(sources->front().monitor);
    EXPECT_TRUE(sources->back().monitor);
    bool found = false;
    for (auto& s : *sources)
        if (s.name == "velmor_conn_test") {
            found = true;
            EXPECT_EQ(s.description, "Connection Test Input");
            EXPECT_EQ(s.channels, 1);
            EXPECT_EQ(s.rate, 48000u);
        }
    EXPECT_TRUE(found);
    EXPECT_EQ(pulse::defaultSourceName(*c), "velmor_pipe");
}

TEST(SourceQueries, SetsSourceVolumeOnEveryChannel)
{
    auto& server = SoundServer::shared();
    PipeSource stereo(server, "velmor_volume_test", "Volume Test Input");
    auto c = pulse::ServerConnection::shared();
    ASSERT_TRUE(pulse::setSourceVolume(*c, "velmor_volume_test", {40000}));
    auto info = pulse::source(*c, "velmor_volume_test");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->volume, (std::vector<std::uint32_t>{40000, 40000}));
    EXPECT_NE(server.pactl("get-source-volume velmor_volume_test").find("40000"), std::string::npos);
    EXPECT_FALSE(pulse::setSourceVolume(*c, "no_such_source", {1}));
}

TEST(SourceQueries, AbsentOrKilledServerFailsWithinTheTimeout)
{
    auto own = SoundServer::startPrivate();
    ::setenv("PULSE_SERVER", own->server().c_str(), 1);
    auto c = pulse::ServerConnection::shared();
    const auto timeout = std::chrono::milliseconds(500);
    ASSERT_TRUE(pulse::sources(*c, timeout));
    own->kill();
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(pulse::sources(*c, timeout));
    EXPECT_FALSE(pulse::setSourceVolume(*c, "velmor_pipe", {1000}, timeout));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    SoundServer::shared().useInThisProcess();
}

} // namespace
