// Audioplayer against the private sound server: what it plays reaches the
// null sink's monitor in order and without gaps, events arrive on the
// creating thread, and volume and balance change what is heard.

#include "recorder/components/audioplayer.h"

#include "platform/com/apartment.h"
#include "platform/testserver/sound_server.h"
#include "platform/testserver/stream_reader.h"
#include "platform/testserver/tone_analysis.h"
#include "recorder/components/tests/test_audio.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <future>
#include <thread>

using namespace std::chrono_literals;
using recorder::Audioplayer;

namespace {

constexpr int kRate = 44100;

class AudioplayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_ = &testsound::SoundServer::shared();
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        apartment_ = com::Apartment::current();
    }
    void TearDown() override { CoUninitialize(); }

    // Records the monitor on another thread while the test pumps its apartment.
    std::future<std::vector<std::int16_t>> recordMonitor(double seconds)
    {
        auto f = std::async(std::launch::async, [this, seconds] {
            return testsound::recordFromSource(server_->server(), "velmor_null.monitor", kRate, 2,
                                               static_cast<std::size_t>(seconds * kRate));
        });
        std::this_thread::sleep_for(300ms); // the record stream is connected by then
        return f;
    }
    void pumpFor(std::chrono::milliseconds t)
    {
        apartment_->pumpUntil([] { return false; }, t);
    }

    testsound::SoundServer* server_ = nullptr;
    std::shared_ptr<com::Apartment> apartment_;
};

// A block of `ms` of one tone per channel (left f, right 2f), continuing phase at `first`.
std::vector<std::uint8_t> toneBlock(double f, int ms, std::uint64_t first = 0)
{
    return testaudio::captureArray(kRate, 2, testaudio::twoTones(kRate, 2, ms / 1000.0, f, 2 * f, first));
}

TEST_F(AudioplayerTest, QueuedBlocksPlayInOrderAndEventsArriveOnTheCreatingThread)
{
    Audioplayer player;
    const auto owner = std::this_thread::get_id();
    int endArray = 0, requests = 0, endPlay = 0, timers = 0;
    bool wrongThread = false;
    std::int16_t loudest = -90;
    player.EndArrayPlay = [&] { ++endArray; wrongThread |= std::this_thread::get_id() != owner; };
    player.RequestOnLoadArray = [&] { ++requests; };
    player.EndPlay = [&] { ++endPlay; };
    player.Timer = [&](std::int32_t, const std::vector<std::int16_t>& levels) {
        ++timers;
        wrongThread |= std::this_thread::get_id() != owner || levels.size() != 2;
        if (!levels.empty()) loudest = std::max(loudest, levels[0]);
    };
    auto monitor = recordMonitor(2.2);
    ASSERT_TRUE(player.OpenOutput(kRate, 2, 16, 0)) << player.lastError();
    ASSERT_TRUE(player.PlayArray(toneBlock(400, 500)));
    ASSERT_TRUE(player.PlayArray(toneBlock(800, 500)));
    ASSERT_TRUE(player.PlayArray(toneBlock(1600, 500)));
    ASSERT_TRUE(player.PlayArray(std::span<const std::uint8_t>{})); // no more
    apartment_->pumpUntil([&] { return endPlay > 0; }, 5s);
    EXPECT_EQ(endPlay, 1);
    EXPECT_EQ(endArray, 3);
    // Everything was handed over at once; only a machine too busy to run this
    // thread between two hand-overs lets the queue run low, and then once.
    EXPECT_LE(requests, 1);
    EXPECT_GT(timers, 20);
    EXPECT_FALSE(wrongThread);
    EXPECT_EQ(loudest, -6); // amplitude 0.5
    EXPECT_NEAR(double(player.AmountPlayed()), 1500, 60);

    const auto heard = monitor.get();
    ASSERT_FALSE(heard.empty());
    // Find where each tone is loudest, in 100 ms windows: the order must be 400, 800, 1600.
    auto firstWindowWith = [&](double f) {
        const std::size_t win = kRate / 10;
        for (std::size_t i = 0; i + win <= heard.size() / 2; i += win / 2) {
            std::span<const std::int16_t> w(heard.data() + i * 2, win * 2);
            if (testsound::toneAmplitude(w, 2, 0, f, kRate) > 0.3) return static_cast<long>(i);
        }
        return -1L;
    };
    const long a = firstWindowWith(400), b = firstWindowWith(800), c = firstWindowWith(1600);
    ASSERT_GE(a, 0);
    EXPECT_GT(b, a);
    EXPECT_GT(c, b);
    EXPECT_NEAR(double(b - a) / kRate, 0.5, 0.08);
}

TEST_F(AudioplayerTest, AsksForMoreWhileLittleIsQueuedAndAnswersKeepItPlaying)
{
    Audioplayer player;
    int requests = 0, endPlay = 0;
    std::uint64_t frame = 0;
    int fed = 0;
    auto feed = [&] {
        if (fed == 8) {
            player.PlayArray(std::span<const std::uint8_t>{});
            return;
        }
        player.PlayArray(toneBlock(500, 250, frame));
        frame += kRate / 4;
        ++fed;
    };
    // Answered as the main window does: one block for every request and every finished block.
    player.RequestOnLoadArray = [&] { ++requests; feed(); };
    player.EndArrayPlay = feed;
    player.EndPlay = [&] { ++endPlay; };
    ASSERT_TRUE(player.OpenOutput(kRate, 2, 16, 0));
    feed();
    apartment_->pumpUntil([&] { return endPlay > 0; }, 6s);
    EXPECT_EQ(endPlay, 1);
    EXPECT_GE(requests, 2);
    EXPECT_EQ(fed, 8);
    EXPECT_NEAR(double(player.AmountPlayed()), 2000, 80);
}

TEST_F(AudioplayerTest, BlocksQueuedBackToBackPlayWithoutGaps)
{
    Audioplayer player;
    auto monitor = recordMonitor(2.6);
    ASSERT_TRUE(player.OpenOutput(kRate, 2, 16, 0));
    // Silence first: the null sink wakes from suspension, and its monitor with it.
    ASSERT_TRUE(player.PlayArray(testaudio::captureArray(kRate, 2, std::vector<std::int16_t>(kRate / 2 * 2, 0))));
    // One continuous tone cut into 50 ms blocks: any gap or click shows as a dip.
    std::uint64_t frame = 0;
    for (int i = 0; i < 24; ++i, frame += kRate / 20) ASSERT_TRUE(player.PlayArray(toneBlock(500, 50, frame)));
    player.PlayArray(std::span<const std::uint8_t>{});
    const auto heard = monitor.get();
    // From the first to the last 5 ms window that carries the tone, every one carries it at full strength.
    const std::size_t win = kRate / 200;
    std::vector<double> levels;
    for (std::size_t i = 0; i + win <= heard.size() / 2; i += win)
        levels.push_back(testsound::rms(std::span<const std::int16_t>(heard.data() + i * 2, win * 2), 2, 0));
    const auto first = std::find_if(levels.begin(), levels.end(), [](double r) { return r > 0.3; });
    const auto last = std::find_if(levels.rbegin(), levels.rend(), [](double r) { return r > 0.3; }).base();
    ASSERT_LT(first, last);
    ASSERT_GT(first, levels.begin()) << "the recording began after the tone";
    EXPECT_GE(last - first, 235); // 1.2 s of tone
    EXPECT_EQ(std::count_if(first, last, [](double r) { return r < 0.3; }), 0);
}

TEST_F(AudioplayerTest, VolumeAndBalanceChangeWhatIsPlayed)
{
    Audioplayer player;
    EXPECT_EQ(player.Volume(), 100);
    EXPECT_EQ(player.Balance(), 0);
    EXPECT_FALSE(player.setVolume(101));
    EXPECT_FALSE(player.setBalance(-101));
    ASSERT_TRUE(player.setVolume(50));
    ASSERT_TRUE(player.setBalance(-100)); // all left
    auto monitor = recordMonitor(1.5);
    ASSERT_TRUE(player.OpenOutput(kRate, 2, 16, 0));
    for (int i = 0; i < 4; ++i) player.PlayArray(toneBlock(500, 250, std::uint64_t(i) * kRate / 4));
    const auto heard = monitor.get();
    const double left = testsound::toneAmplitude(heard, 2, 0, 500, kRate);
    const double right = testsound::toneAmplitude(heard, 2, 1, 1000, kRate);
    EXPECT_GT(left, 0.002);
    EXPECT_LT(left, 0.5 * 0.5); // below the unscaled level
    EXPECT_LT(right, left / 20);
    EXPECT_EQ(player.Volume(), 50);
    EXPECT_EQ(player.Balance(), -100);
}

TEST_F(AudioplayerTest, StopDropsTheQueueAndItsLateEvents)
{
    Audioplayer player;
    int events = 0;
    player.EndArrayPlay = [&] { ++events; };
    player.EndPlay = [&] { ++events; };
    ASSERT_TRUE(player.OpenOutput(8000, 1, 16, 0));
    player.PlayArray(testaudio::captureArray(8000, 1, testaudio::twoTones(8000, 1, 0.3, 440, 1000)));
    EXPECT_FALSE(player.PlayArray(toneBlock(400, 100))); // another format
    pumpFor(150ms);
    player.Stop();
    const auto amount = player.AmountPlayed();
    EXPECT_GT(amount, 50);
    EXPECT_LT(amount, 300);
    pumpFor(500ms);
    EXPECT_EQ(events, 0);
    EXPECT_FALSE(player.isOpen());
    EXPECT_FALSE(player.PlayArray(toneBlock(400, 100)));
    // A new stream counts from zero.
    ASSERT_TRUE(player.OpenOutput(8000, 1, 16, 0));
    EXPECT_LT(player.AmountPlayed(), 20);
}

TEST(AudioplayerWithoutServer, OpenFailsWithAReason)
{
    auto server = testsound::SoundServer::startPrivate();
    server->useInThisProcess();
    server->kill();
    Audioplayer player;
    EXPECT_FALSE(player.OpenOutput(44100, 2, 16, 0));
    EXPECT_NE(player.lastError().find("sound server"), std::string::npos);
    testsound::SoundServer::shared().useInThisProcess();
}

} // namespace
